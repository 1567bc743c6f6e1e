#include <gtest/gtest.h>

#include "core/Utils.h"
#include "core/Version.h"

using namespace zelvo;

TEST(Utils, TextHelpers) {
  struct Case {
    QString actual;
    const char *expected;
  } cases[] = {
      {PointToComma("1.2.3"), "1,2,3"},
      {PointToComma("abc"), "abc"},
      {PointToComma(""), ""},
      {TenthsText(275), "27.5"},
      {TenthsText(270), "27.0"},
      {TenthsText(5), "0.5"},
      {TenthsText(-5), "-0.5"},
      {TenthsText(-10), "-1.0"},
      {TenthsText(-25), "-2.5"},
      {TenthsText(65526), "-1.0"},  // 0xFFF6
      {TenthsText(0), "0.0"},
      {TenthsText(32767), "3276.7"},
      {TenthsText(32768), "-3276.8"},       // 0x8000
      {TenthsText(0x10000 + 275), "27.5"},  // only the low 16 bits count
      // Text of a file quoted in a message: what does not print is escaped, a long text cut.
      {QuotedForMessage(u"0,5x"), "0,5x"},
      {QuotedForMessage(QString::fromLatin1("a\x1b[31m\tb\r\x7f\x81 \xe4")), "a\\x1b[31m\\x09b\\x0d\\x7f\\x81 \u00e4"},
      {QuotedForMessage(QString(61, u'7')), "777777777777777777777777777777777777777777777777777777777777..."},
      {QuotedForMessage(QString(60, u'7')), "777777777777777777777777777777777777777777777777777777777777"},
      {QuotedForMessage(u"\x01\x02\x03", 2), "\\x01\\x02..."},
      {QuotedForMessage(QString(1, QChar(0x202E))), "\\u202e"},
  };
  for (const Case &c : cases) EXPECT_EQ(c.actual, c.expected) << c.expected;

  // The build's version, without the build number.
  EXPECT_EQ(VersionText(), QStringLiteral("Version %1.%2.%3")
                               .arg(ZELVO_VERSION_MAJOR)
                               .arg(ZELVO_VERSION_MINOR)
                               .arg(ZELVO_VERSION_PATCH));
  EXPECT_TRUE(VersionText().startsWith("Version 2.2."));
}

TEST(Utils, NumberAndBitHelpers) {
  EXPECT_EQ(IntMax(3, 7), 7);
  EXPECT_EQ(IntMax(7, 3), 7);
  EXPECT_EQ(IntMin(3, 7), 3);
  EXPECT_EQ(IntMin(-7, 3), -7);

  EXPECT_FALSE(TestBit(0xEF, 4));
  EXPECT_TRUE(TestBit(0xEF, 3));
  std::uint8_t b = 0xEF;
  ClearBit(b, 3);
  EXPECT_EQ(b, 0xE7);
  SetBit(b, 3);
  EXPECT_EQ(b, 0xEF);
  SetBit(b, 4);
  EXPECT_EQ(b, 0xFF);
  ClearBit(b, 0);
  ClearBit(b, 7);
  EXPECT_EQ(b, 0x7E);
  // Outside 0..7 there is no bit.
  SetBit(b, 8);
  ClearBit(b, -1);
  EXPECT_EQ(b, 0x7E);
  EXPECT_FALSE(TestBit(0xFF, 8));
}
