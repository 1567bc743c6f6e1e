// The instrument's command set, reply forms and detector data lines.
#include <gtest/gtest.h>

#include <set>

#include "link/Protocol.h"
#include "link/StatusReplies.h"

using namespace zelvo::proto;

namespace {

struct FormCase {
  Cmd cmd;
  int value;
  const char *expected;
};

// Every command of the instrument, formed from a value in its natural unit.
TEST(ProtocolCommands, EveryCommandIsFormedWithItsArgumentAndCr) {
  const FormCase cases[] = {
      {Cmd::SN, 0, "<SN\r"},
      {Cmd::Y0, 0, "<Y0\r"},
      {Cmd::Y1, 0, "<Y1\r"},
      {Cmd::FA, 0, "<FA\r"},
      {Cmd::R1, 0, "<R1\r"},
      {Cmd::R0, 0, "<R0\r"},
      {Cmd::BS, 700, "<BS02BC\r"},  // 700 mbar FID air
      {Cmd::WS, 600, "<WS0258\r"},
      {Cmd::CS, 1999, "<CS07CF\r"},
      {Cmd::BC, 0, "<BC\r"},
      {Cmd::WC, 0, "<WC\r"},
      {Cmd::CC, 0, "<CC\r"},
      {Cmd::BG, 0, "<BG\r"},
      {Cmd::WG, 0, "<WG\r"},
      {Cmd::CG, 0, "<CG\r"},
      {Cmd::VS, 60, "<VS0258\r"},  // 60 degC valve block: 600 tenths
      {Cmd::VO1, 0, "<VO1\r"},
      {Cmd::VO0, 0, "<VO0\r"},
      {Cmd::VG, 0, "<VG\r"},
      {Cmd::SS, 27, "<SS010E\r"},  // 27 degC chamber: 270 tenths
      {Cmd::SO1, 0, "<SO1\r"},
      {Cmd::SO0, 0, "<SO0\r"},
      {Cmd::SG, 0, "<SG\r"},
      {Cmd::ES, 80, "<ES1F40\r"},  // 8000 hundredths
      {Cmd::EO1, 0, "<EO1\r"},
      {Cmd::EO0, 0, "<EO0\r"},
      {Cmd::EG, 0, "<EG\r"},
      {Cmd::TS, 150, "<TS3A98\r"},  // 150 degC transfer line: 15000 hundredths
      {Cmd::TO1, 0, "<TO1\r"},
      {Cmd::TO0, 0, "<TO0\r"},
      {Cmd::TG, 0, "<TG\r"},
      {Cmd::HS, 1000, "<HS03E8\r"},  // 1000 V
      {Cmd::HS, 0, "<HS0000\r"},
      {Cmd::HO1, 0, "<HO1\r"},
      {Cmd::HO0, 0, "<HO0\r"},
      {Cmd::HG, 0, "<HG\r"},
      {Cmd::XS, 500, "<XS01F4\r"},
      {Cmd::XO1, 0, "<XO1\r"},
      {Cmd::XO0, 0, "<XO0\r"},
      {Cmd::XG, 0, "<XG\r"},
      {Cmd::YS, 2000, "<YS07D0\r"},
      {Cmd::YO1, 0, "<YO1\r"},
      {Cmd::YO0, 0, "<YO0\r"},
      {Cmd::YG, 0, "<YG\r"},
      {Cmd::ZZ, 0, "<ZZ\r"},
      {Cmd::FG, 0, "<FG\r"},
      {Cmd::V1S, 0xFE, "<V1SFE\r"},
      {Cmd::V2S, 0xFF, "<V2SFF\r"},
      {Cmd::V1G, 0, "<V1G\r"},
      {Cmd::V2G, 0, "<V2G\r"},
      {Cmd::LS, 0xEF, "<LSEF\r"},  // the start-up lamp byte
      {Cmd::LS, 0x07, "<LS07\r"},  // two digits with a leading zero
      {Cmd::D1, 0, "<D1\r"},
      {Cmd::D0, 0, "<D0\r"},
      {Cmd::DG, 0, "<DG\r"},
      {Cmd::PS, 0xCF, "<PSCF\r"},
      {Cmd::PG, 0, "<PG\r"},
      {Cmd::ConverterStatus, 0, "<12AS100\r"},
      {Cmd::StreamPrepareB, 0, "<12B1100\r"},
      {Cmd::StreamPrepareW, 0, "<12W1100\r"},
      {Cmd::StreamOn, 0, "<12Z1100\r"},
      {Cmd::StreamOff, 0, "<12Z0100\r"},
      // Out-of-range values never produce extra digits.
      {Cmd::HS, 70000, "<HSFFFF\r"},
      {Cmd::BS, -5, "<BS0000\r"},
      {Cmd::V1S, 0x1FE, "<V1SFF\r"},
  };
  std::set<Cmd> covered;
  for (const auto &c : cases) {
    EXPECT_EQ(Form(c.cmd, c.value), QString::fromLatin1(c.expected)) << c.expected;
    covered.insert(c.cmd);
  }
  // Text commands, the cell display and the identification framings.
  EXPECT_EQ(Form(Cmd::X0, u"00:00:00"), QStringLiteral("<X000:00:00\r"));
  EXPECT_EQ(FormCellTime(1, false, u"Run Time --:--"), QStringLiteral("<X1 Run Time --:--\r"));
  EXPECT_EQ(FormCellTime(3, true, u"01:02:03"), QStringLiteral("<X3*01:02:03\r"));
  EXPECT_EQ(FormCellTime(4, true, u"01:02:03"), QString());
  EXPECT_EQ(FormIdentify(SnFraming::CrLfAround), QStringLiteral("\r\n<SN\r\n"));
  EXPECT_EQ(FormIdentify(SnFraming::Plain), QStringLiteral("<SN\r"));
  EXPECT_EQ(FormIdentify(SnFraming::CrBefore), QStringLiteral("\r<SN\r"));
  covered.insert({Cmd::X0, Cmd::X1, Cmd::X2, Cmd::X3});
  EXPECT_EQ(covered.size(), Commands().size()) << "a command of the table has no case";
}

// Every formed command parses back to itself, so the simulator and the program agree.
TEST(ProtocolCommands, FormedCommandsParseBack) {
  for (const CommandInfo &info : Commands()) {
    const QString line = info.arg == Arg::Text ? Form(info.cmd, u"12:34:56") : Form(info.cmd, 0x2A);
    const auto parsed = ParseCommand(QStringView(line).chopped(1));
    ASSERT_TRUE(parsed.has_value()) << info.code;
    EXPECT_EQ(parsed->cmd, info.cmd) << info.code;
  }
  const auto ss = ParseCommand(u"<SS010E");
  ASSERT_TRUE(ss);
  EXPECT_EQ(ss->value, 270);
  const auto x2 = ParseCommand(u"<X2*00:10:00");
  ASSERT_TRUE(x2);
  EXPECT_EQ(x2->cmd, Cmd::X2);
  EXPECT_EQ(x2->text, QStringLiteral("*00:10:00"));
  EXPECT_EQ(ParseCommand(u"<12Z1100")->cmd, Cmd::StreamOn);
  EXPECT_EQ(ParseCommand(u"<XO1")->cmd, Cmd::XO1);  // letter O, not the display command X0
}

TEST(ProtocolCommands, UnknownOrMalformedCommandsAreRejected) {
  for (const char16_t *line : {u"", u"<", u"SG", u"<QQ", u"<SG1", u"<SS10E", u"<SS010E0", u"<SS01G0",
                               u"<V1SF", u"<12Z110", u"<12Z11000", u"<LS-1"}) {
    EXPECT_FALSE(ParseCommand(line).has_value()) << QString::fromUtf16(line).toStdString();
  }
}

struct ReplyCase {
  const char16_t *line;
  Reply kind;
  std::optional<int> value;
};

TEST(ProtocolReplies, EveryReplyFormIsRecognisedWithItsData) {
  const ReplyCase cases[] = {
      {u":BG02bd", Reply::AirPressure, 701},  // either letter case
      {u":WG0257", Reply::H2Pressure, 599},
      {u":CG03E8", Reply::CarrierPressure, 1000},
      {u":SGFFF6", Reply::ChamberTemperature, -10},  // -1.0 degC in tenths
      {u":SG0113", Reply::ChamberTemperature, 275},
      {u":VG0258", Reply::ValveBlockTemperature, 600},
      {u":EG3A98", Reply::EmissionTemperature, 15000},  // 150 degC in hundredths
      {u":EGFF9C", Reply::EmissionTemperature, -100},
      {u":TG3A98", Reply::TransferTemperature, 15000},
      {u":HG02BC", Reply::HighVoltage, 700},
      {u":XG01F4", Reply::FpdAir, 500},
      {u":YG0258", Reply::FpdH2, 600},
      {u":FG0064", Reply::Flow, 100},
      {u":SG0113XYZ", Reply::ChamberTemperature, 275},  // characters after the field ignored
      {u":V1GFE", Reply::ValveBank1, std::nullopt},
      {u":V2G", Reply::ValveBank2, std::nullopt},
      {u":DG01", Reply::InstrumentState, 1},
      {u":PGFC", Reply::HeatingPort, 0xFC},
      {u":12AS118", Reply::ConverterStatus, 118},
      {u":12AS100", Reply::ConverterStatus, 100},
      {u":12AS", Reply::ConverterStatus, 103},  // ends right after "AS"
      {u":LGEF", Reply::LampByte, 0xEF},
      {u":QS01", Reply::StartRequest, std::nullopt},
      {u":QG00", Reply::StartRequest, std::nullopt},  // key Q by the first test
      {u":FA00", Reply::FlowRefresh, std::nullopt},
      {u":FA01", Reply::FlowRefresh, std::nullopt},
      {u":FC12", Reply::FlowRefresh, std::nullopt},
      // Not reply forms of the table.
      {u":SN4-0001", Reply::Unrecognised, std::nullopt},
      {u":SSOK", Reply::Unrecognised, std::nullopt},
      {u":EOOK", Reply::Unrecognised, std::nullopt},
      {u":ZG0001", Reply::Unrecognised, std::nullopt},
      {u"SG0113", Reply::Unrecognised, std::nullopt},
      {u":S", Reply::Unrecognised, std::nullopt},
      {u"", Reply::Unrecognised, std::nullopt},
      // The classification is the reply step's: three characters or fewer are never a
      // status reply, ":QS" needs five, a read-back is no status reply, and a key whose
      // condition fails (B without "G" third) is none either.
      {u":SG", Reply::Unrecognised, std::nullopt},
      {u":FG", Reply::Unrecognised, std::nullopt},
      {u":F?", Reply::Unrecognised, std::nullopt},
      {u":QS", Reply::Unrecognised, std::nullopt},
      {u":QSx", Reply::Unrecognised, std::nullopt},
      {u":BC02BC", Reply::Unrecognised, std::nullopt},
      {u":B1G0", Reply::Unrecognised, std::nullopt},
      {u":D2G01", Reply::Unrecognised, std::nullopt},
  };
  for (const auto &c : cases) {
    const ParsedReply r = ParseReply(c.line);
    const std::string name = QString::fromUtf16(c.line).toStdString();
    EXPECT_EQ(r.kind, c.kind) << name;
    EXPECT_EQ(r.value, c.value) << name;
    EXPECT_FALSE(r.malformed) << name;
  }
}

// A recognised form whose data are missing or not digits of the right base gives no value.
TEST(ProtocolReplies, MalformedDataAreReportedNeverDecoded) {
  const std::pair<const char16_t *, Reply> cases[] = {
      {u":SGx", Reply::ChamberTemperature},    // no digits at all
      {u":SG011", Reply::ChamberTemperature},  // three of four digits
      {u":SG01G3", Reply::ChamberTemperature},
      {u":SG 113", Reply::ChamberTemperature},
      {u":SG-113", Reply::ChamberTemperature},
      {u":EGxyzw", Reply::EmissionTemperature},
      {u":HG02B", Reply::HighVoltage},
      {u":FG00", Reply::Flow},
      {u":DG0", Reply::InstrumentState},
      {u":S1G0123", Reply::ChamberTemperature},  // key S by the third test: "G" is no digit
      {u":PGZZ", Reply::HeatingPort},
      {u":LG1", Reply::LampByte},
      {u":12AS1", Reply::ConverterStatus},  // a partial status field
      {u":12AS11", Reply::ConverterStatus},
      {u":12AS1A8", Reply::ConverterStatus},  // hexadecimal is not decimal
      {u":12AS+18", Reply::ConverterStatus},
  };
  for (const auto &[line, kind] : cases) {
    const ParsedReply r = ParseReply(line);
    const std::string name = QString::fromUtf16(line).toStdString();
    EXPECT_EQ(r.kind, kind) << name;
    EXPECT_TRUE(r.malformed) << name;
    EXPECT_FALSE(r.value.has_value()) << name;
  }
}

// The simulator answers with FormReply; whatever it forms must read back as the same value,
// and every data reply named in the command table must be formable. The set point
// read-backs are read by the start-up, the status replies by ParseReply.
TEST(ProtocolReplies, FormedRepliesReadBackToTheirValue) {
  EXPECT_EQ(FormReply(Reply::ChamberTemperature, -10), QStringLiteral(":SGFFF6"));
  EXPECT_EQ(FormReply(Reply::EmissionTemperature, 15000), QStringLiteral(":EG3A98"));
  EXPECT_EQ(FormReply(Reply::InstrumentState, 1), QStringLiteral(":DG01"));
  EXPECT_EQ(FormReply(Reply::ValveBank1, 0xFE), QStringLiteral(":V1GFE"));
  EXPECT_EQ(FormReply(Reply::ConverterStatus, 118), QStringLiteral(":12AS118"));
  EXPECT_EQ(FormReply(Reply::ConverterStatus, 5), QStringLiteral(":12AS005"));
  EXPECT_EQ(FormReply(Reply::StartRequest), QStringLiteral(":QS01"));
  EXPECT_EQ(FormAcknowledge(Cmd::SS), QStringLiteral(":SSOK"));
  EXPECT_EQ(FormAcknowledge(Cmd::EO1), QStringLiteral(":EOOK"));
  EXPECT_EQ(FormAcknowledge(Cmd::Y1), QStringLiteral(":Y1OK"));

  const std::set<Reply> signedKinds = {Reply::ChamberTemperature, Reply::ValveBlockTemperature,
                                       Reply::EmissionTemperature, Reply::TransferTemperature};
  const std::set<Reply> byteKinds = {Reply::InstrumentState, Reply::HeatingPort, Reply::LampByte};
  const std::set<Reply> noValue = {Reply::ValveBank1, Reply::ValveBank2, Reply::StartRequest,
                                   Reply::FlowRefresh};
  const std::set<Reply> readBacks = {Reply::AirSetPoint, Reply::H2SetPoint, Reply::CarrierSetPoint};
  for (const CommandInfo &info : Commands()) {
    if (info.reply == Reply::Unrecognised) continue;
    std::vector<int> values = {0, 1, 0xFF};
    if (signedKinds.count(info.reply))
      values = {-32768, -10, 0, 275, 32767};
    else if (info.reply == Reply::ConverterStatus)
      values = {0, 100, 118, 999};
    else if (!byteKinds.count(info.reply) && !noValue.count(info.reply))
      values = {0, 700, 0xFFFF};
    for (int v : values) {
      const QString line = FormReply(info.reply, v);
      if (readBacks.count(info.reply)) {
        EXPECT_EQ(zelvo::ReadBackSetPoint(line, -1).value, v) << line.toStdString();
        EXPECT_EQ(ParseReply(line).kind, Reply::Unrecognised) << line.toStdString();
        continue;
      }
      const ParsedReply r = ParseReply(line);
      EXPECT_EQ(r.kind, info.reply) << line.toStdString();
      if (noValue.count(info.reply))
        EXPECT_FALSE(r.value.has_value()) << line.toStdString();
      else
        EXPECT_EQ(r.value, v) << line.toStdString();
    }
  }
}

TEST(ProtocolReplies, FieldHelpersAndIdentification) {
  EXPECT_EQ(HexField(u":SGFFF6", 4, 7), 0xFFF6);
  EXPECT_EQ(Signed16(0xFFF6), -10);
  EXPECT_EQ(Signed16(0x7FFF), 32767);
  EXPECT_EQ(Signed16(0x8000), -32768);
  EXPECT_EQ(Signed16(0x3A98), 15000);
  EXPECT_EQ(HexField(u":DG01", 4, 5), 1);
  EXPECT_EQ(HexField(u":DG0", 4, 5), std::nullopt);
  EXPECT_EQ(HexField(u":DG01", 0, 2), std::nullopt);
  EXPECT_EQ(StatusField(u":12AS"), 103);
  EXPECT_EQ(StatusField(u":12AS118"), 118);
  EXPECT_EQ(StatusField(u":12AS11"), std::nullopt);

  EXPECT_TRUE(HasI2cPort(u":SN4-0001"));
  EXPECT_FALSE(HasI2cPort(u":SN2-0002"));
  EXPECT_FALSE(HasI2cPort(u":SN"));
  EXPECT_EQ(SerialNumberText(u":SN4-0001"), QStringLiteral("SN4-0001"));
  EXPECT_TRUE(IsFlowSensorFitted(u":FA01"));
  EXPECT_FALSE(IsFlowSensorFitted(u":FA00"));
  EXPECT_FALSE(IsFlowSensorFitted(u":FA01 "));
}

TEST(ProtocolDataLines, ReadingsAreDecodedFromSignFlagAndFiveDigits) {
  const std::tuple<const char16_t *, DataMarker, int> cases[] = {
      {u"/X100010", DataMarker::Reading, 16},
      {u"/X0FFFFF", DataMarker::Reading, 0},  // flag "0": H - 0xFFFFF
      {u"/X000000", DataMarker::Reading, -1048575},
      {u"[X1FFFFF", DataMarker::Open, 1048575},    // the second character is ignored
      {u"]X1ABCDE", DataMarker::Close, 703710},    // a closing line carries a reading
      {u"/a1abcde", DataMarker::Reading, 703710},  // lower-case digits
      {u"/X100010XYZ", DataMarker::Reading, 16},   // after position 8 ignored
      {u"/X1012", DataMarker::Reading, 18},        // a short field: only "012"
      {u"/X20000A", DataMarker::Reading, 10},      // any flag but "0" is non-negative
  };
  for (const auto &[line, marker, uv] : cases) {
    const auto d = ParseDataLine(line);
    const std::string name = QString::fromUtf16(line).toStdString();
    ASSERT_TRUE(d.has_value()) << name;
    EXPECT_EQ(d->marker, marker) << name;
    EXPECT_EQ(d->microvolts, uv) << name;
  }
  for (const char16_t *bad : {u"/X1", u"/X1G0000", u"/X1 0000", u"/", u"", u":X100010", u"X/100010"}) {
    EXPECT_FALSE(ParseDataLine(bad).has_value()) << QString::fromUtf16(bad).toStdString();
  }
}

TEST(ProtocolDataLines, FormedLinesDecodeToTheSameReading) {
  for (int uv : {0, 1, 16, -1, -16, 703710, 1048575, -1048575, -1048574, 123456, -123456}) {
    const QString line = FormDataLine(DataMarker::Reading, uv);
    EXPECT_EQ(line.size(), 8);
    const auto d = ParseDataLine(line);
    ASSERT_TRUE(d.has_value()) << uv;
    EXPECT_EQ(d->microvolts, uv) << line.toStdString();
  }
  EXPECT_EQ(FormDataLine(DataMarker::Open, 16), QStringLiteral("[X100010"));
  EXPECT_EQ(FormDataLine(DataMarker::Close, -1), QStringLiteral("]X0FFFFE"));
  EXPECT_EQ(ParseDataLine(FormDataLine(DataMarker::Reading, 2000000))->microvolts, 1048575);  // clamped
}

}  // namespace
