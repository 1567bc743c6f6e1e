// What the status replies do to the held bytes and the displays, without a window.
#include <gtest/gtest.h>

#include "core/Language.h"
#include "link/StatusReplies.h"

using namespace zelvo;

namespace {

TEST(StatusReplies, LoopLampFollowsTheReportedStateOnChangeOnly) {
  const struct {
    std::uint8_t held, reported, lamp;
    bool changed, loopOn;
    std::uint8_t newLamp;
    const char *command;
  } cases[] = {
      {0x00, 0x00, 0xEF, false, false, 0, nullptr},  // the held byte repeated: nothing
      {0x00, 0x01, 0xEF, true, true, 0xE7, "<LSE7\r"},
      {0x01, 0x00, 0xE7, true, false, 0xEF, "<LSEF\r"},
      // Another bit changed while the loop stays on: the lamp byte is sent again as it is.
      {0x01, 0x03, 0xE7, true, true, 0xE7, "<LSE7\r"},
      // The other lamps keep their bits (cell 1 lit: bit 7 clear).
      {0x01, 0x00, 0x67, true, false, 0x6F, "<LS6F\r"},
  };
  for (const auto &c : cases) {
    const auto u = FollowInstrumentState(c.held, c.reported, c.lamp);
    ASSERT_EQ(u.has_value(), c.changed) << int(c.held) << " " << int(c.reported);
    if (!u) continue;
    EXPECT_EQ(u->loopOn, c.loopOn) << int(c.reported);
    EXPECT_EQ(u->lampByte, c.newLamp) << int(c.reported);
    EXPECT_EQ(u->command, QString::fromLatin1(c.command)) << int(c.reported);
  }
}

TEST(StatusReplies, HeatingPortIsWrittenBackWithItsHeatingBitsRepeated) {
  // Bits 0 and 1 (0 = heating on) are repeated in bits 5 and 4, bits 0 to 3 are set, bits 6
  // and 7 pass through.
  const struct {
    std::uint8_t held, reported;
    bool changed, chamberOn, valveBlockOn;
    std::uint8_t port;
  } cases[] = {
      {0xFF, 0xFF, false, false, false, 0},   {0xFF, 0xFC, true, true, true, 0xCF},
      {0xFC, 0xFF, true, false, false, 0xFF}, {0xFF, 0xFE, true, true, false, 0xDF},
      {0xFF, 0x3D, true, false, true, 0x2F},  {0xCF, 0x00, true, true, true, 0x0F},
  };
  for (const auto &c : cases) {
    const auto u = FollowHeatingPort(c.held, c.reported);
    ASSERT_EQ(u.has_value(), c.changed) << int(c.reported);
    if (!u) continue;
    EXPECT_EQ(u->chamberOn, c.chamberOn) << int(c.reported);
    EXPECT_EQ(u->valveBlockOn, c.valveBlockOn) << int(c.reported);
    EXPECT_EQ(u->portByte, c.port) << int(c.reported);
    EXPECT_EQ(u->command, proto::Form(proto::Cmd::PS, c.port)) << int(c.reported);
  }
}

TEST(StatusReplies, GasSetPointIsSentAgainWhenTheReadBackDiffersOrIsGarbled) {
  const struct {
    const char *reply;
    int program;
    std::optional<int> value;
    bool resend;
  } cases[] = {
      {":BC02BC", 700, 700, false},        {":CC03e8", 1000, 1000, false},  // either letter case
      {":BC02BC99", 700, 700, false},  // characters after the field are not read
      {":BC028A", 700, 650, true},         {":BC02X?", 700, std::nullopt, true},
      {":BC02B", 700, std::nullopt, true}, {"", 700, std::nullopt, true},  // no answer within the wait
  };
  for (const auto &c : cases) {
    const SetPointReadBack r = ReadBackSetPoint(QString::fromLatin1(c.reply), c.program);
    EXPECT_EQ(r.value, c.value) << c.reply;
    EXPECT_EQ(r.resend, c.resend) << c.reply;
  }
}

TEST(StatusReplies, DisplayTextsInBothLanguages) {
  const struct {
    const char *reply;
    int offset;
    const char *text;  // UTF-8
  } cases[] = {
      {":SG0113", kEnglishOffset, "27.5°C"},
      {":SG0113", kGermanOffset, "27.5° C"},
      {":VGFFF6", kEnglishOffset, "-1.0°C"},
      {":EG3A98", kEnglishOffset, "150 °C"},
      {":TGFF9C", kGermanOffset, "-1 ° C"},
      {":EGFF9D", kEnglishOffset, "0 °C"},  // -0.99 degrees truncate toward zero, not down
      {":HG02BC", kEnglishOffset, "700 V"},
      {":XG01F4", kEnglishOffset, "500 AIR mbar"},
      {":XG01F4", kGermanOffset, "500 Air mbar"},
      {":YG0258", kEnglishOffset, "600 H2 mbar"},
      {":BG02BC", kEnglishOffset, "700"},
      {":FG0064", kEnglishOffset, "100"},
      {":DG01", kEnglishOffset, ""},    // no display of its own
      {":SG01X3", kEnglishOffset, ""},  // malformed
  };
  for (const auto &c : cases) {
    EXPECT_EQ(StatusText(proto::ParseReply(QString::fromLatin1(c.reply)), c.offset),
              QString::fromUtf8(c.text))
        << c.reply << " " << c.offset;
  }
}

}  // namespace
