#include <gtest/gtest.h>

#include "core/Cp1252.h"

using namespace zelvo;

TEST(Cp1252, EveryByteSurvivesDecodeAndEncode) {
  QByteArray all;
  for (int b = 0; b < 256; ++b) all.append(static_cast<char>(b));
  const QString text = Cp1252Decode(all);
  ASSERT_EQ(text.size(), 256);
  EXPECT_EQ(Cp1252Encode(text), all);
}

TEST(Cp1252, MapsTheCodePageCharacters) {
  struct Case {
    char16_t unicode;
    unsigned char byte;
  } cases[] = {
      {u'A', 0x41},   {u'²', 0xB2},   {u'°', 0xB0},   {u'µ', 0xB5},   {u'ü', 0xFC},   {u'ÿ', 0xFF},
      {0x20AC, 0x80}, {0x201E, 0x84}, {0x2122, 0x99}, {0x0178, 0x9F}, {0x0081, 0x81},  // unassigned byte maps
                                                                                       // to the control
                                                                                       // character of the
                                                                                       // same value
  };
  for (const Case &c : cases) {
    const QString s(QChar(c.unicode));
    EXPECT_EQ(Cp1252Encode(s), QByteArray(1, static_cast<char>(c.byte))) << int(c.unicode);
    EXPECT_EQ(Cp1252Decode(QByteArray(1, static_cast<char>(c.byte))), s) << int(c.byte);
  }
}

TEST(Cp1252, CharactersOutsideTheCodePageBecomeOneQuestionMarkEach) {
  // U+0080 is a C1 control the code page has no byte for (0x80 is the euro sign); the emoji
  // is one character in two UTF-16 units.
  const QString text = QStringLiteral("a\u0101b\u0080c") + QString::fromUtf8("\xF0\x9F\x98\x80") + "d";
  EXPECT_EQ(Cp1252Encode(text), QByteArray("a?b?c?d"));
  EXPECT_FALSE(Cp1252CanEncode(text));
  EXPECT_TRUE(Cp1252CanEncode(QStringLiteral("SampleArea(cm²) 27 °C €")));
}
