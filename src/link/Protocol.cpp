#include "link/Protocol.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "core/NumberText.h"
#include "link/Dispatch.h"

namespace zelvo::proto {

namespace {

constexpr CommandInfo kCommands[] = {
    {Cmd::SN, "SN", Arg::None, Path::Wait, Reply::Unrecognised},
    {Cmd::Y0, "Y0", Arg::None, Path::Wait, Reply::Unrecognised},
    {Cmd::Y1, "Y1", Arg::None, Path::Wait, Reply::Unrecognised},
    {Cmd::X0, "X0", Arg::Text, Path::Wait,
     Reply::Unrecognised},  // also queued for the run time; answered always
    {Cmd::X1, "X1", Arg::Text, Path::Queue, Reply::Unrecognised},
    {Cmd::X2, "X2", Arg::Text, Path::Queue, Reply::Unrecognised},
    {Cmd::X3, "X3", Arg::Text, Path::Queue, Reply::Unrecognised},
    {Cmd::FA, "FA", Arg::None, Path::Wait, Reply::Unrecognised},
    {Cmd::R1, "R1", Arg::None, Path::Queue, Reply::Unrecognised},
    {Cmd::R0, "R0", Arg::None, Path::Queue, Reply::Unrecognised},
    {Cmd::BS, "BS", Arg::Hex4, Path::Queue, Reply::Unrecognised},
    {Cmd::WS, "WS", Arg::Hex4, Path::Queue, Reply::Unrecognised},
    {Cmd::CS, "CS", Arg::Hex4, Path::Queue, Reply::Unrecognised},
    {Cmd::BC, "BC", Arg::None, Path::Wait, Reply::AirSetPoint},
    {Cmd::WC, "WC", Arg::None, Path::Wait, Reply::H2SetPoint},
    {Cmd::CC, "CC", Arg::None, Path::Wait, Reply::CarrierSetPoint},
    {Cmd::BG, "BG", Arg::None, Path::Poll, Reply::AirPressure},
    {Cmd::WG, "WG", Arg::None, Path::Poll, Reply::H2Pressure},
    {Cmd::CG, "CG", Arg::None, Path::Poll, Reply::CarrierPressure},
    {Cmd::VS, "VS", Arg::Tenths, Path::Wait, Reply::Unrecognised},
    {Cmd::VO1, "VO1", Arg::None, Path::Queue, Reply::Unrecognised},
    {Cmd::VO0, "VO0", Arg::None, Path::Queue, Reply::Unrecognised},
    {Cmd::VG, "VG", Arg::None, Path::Poll, Reply::ValveBlockTemperature},
    {Cmd::SS, "SS", Arg::Tenths, Path::Wait, Reply::Unrecognised},
    {Cmd::SO1, "SO1", Arg::None, Path::Queue, Reply::Unrecognised},
    {Cmd::SO0, "SO0", Arg::None, Path::Queue, Reply::Unrecognised},
    {Cmd::SG, "SG", Arg::None, Path::Poll, Reply::ChamberTemperature},
    {Cmd::ES, "ES", Arg::Hundredths, Path::Wait, Reply::Unrecognised},
    {Cmd::EO1, "EO1", Arg::None, Path::Wait, Reply::Unrecognised},
    {Cmd::EO0, "EO0", Arg::None, Path::Wait, Reply::Unrecognised},
    {Cmd::EG, "EG", Arg::None, Path::Poll, Reply::EmissionTemperature},
    {Cmd::TS, "TS", Arg::Hundredths, Path::Wait, Reply::Unrecognised},
    {Cmd::TO1, "TO1", Arg::None, Path::Wait, Reply::Unrecognised},
    {Cmd::TO0, "TO0", Arg::None, Path::Wait, Reply::Unrecognised},
    {Cmd::TG, "TG", Arg::None, Path::Poll, Reply::TransferTemperature},
    {Cmd::HS, "HS", Arg::Hex4, Path::Wait, Reply::Unrecognised},
    {Cmd::HO1, "HO1", Arg::None, Path::Wait, Reply::Unrecognised},
    {Cmd::HO0, "HO0", Arg::None, Path::Wait, Reply::Unrecognised},
    {Cmd::HG, "HG", Arg::None, Path::Poll, Reply::HighVoltage},
    {Cmd::XS, "XS", Arg::Hex4, Path::Wait, Reply::Unrecognised},
    {Cmd::XO1, "XO1", Arg::None, Path::Wait, Reply::Unrecognised},
    {Cmd::XO0, "XO0", Arg::None, Path::Wait, Reply::Unrecognised},
    {Cmd::XG, "XG", Arg::None, Path::Poll, Reply::FpdAir},
    {Cmd::YS, "YS", Arg::Hex4, Path::Wait, Reply::Unrecognised},
    {Cmd::YO1, "YO1", Arg::None, Path::Wait, Reply::Unrecognised},
    {Cmd::YO0, "YO0", Arg::None, Path::Wait, Reply::Unrecognised},
    {Cmd::YG, "YG", Arg::None, Path::Poll, Reply::FpdH2},
    {Cmd::ZZ, "ZZ", Arg::None, Path::Wait, Reply::Unrecognised},
    {Cmd::FG, "FG", Arg::None, Path::Poll, Reply::Flow},
    {Cmd::V1S, "V1S", Arg::Hex2, Path::Queue, Reply::Unrecognised},
    {Cmd::V2S, "V2S", Arg::Hex2, Path::Queue, Reply::Unrecognised},
    {Cmd::V1G, "V1G", Arg::None, Path::Poll, Reply::ValveBank1},
    {Cmd::V2G, "V2G", Arg::None, Path::Poll, Reply::ValveBank2},
    {Cmd::LS, "LS", Arg::Hex2, Path::Queue, Reply::Unrecognised},
    {Cmd::D1, "D1", Arg::None, Path::Queue, Reply::Unrecognised},
    {Cmd::D0, "D0", Arg::None, Path::Queue, Reply::Unrecognised},
    {Cmd::DG, "DG", Arg::None, Path::Poll,
     Reply::InstrumentState},  // queued once at start-up, answered with data
    {Cmd::PS, "PS", Arg::Hex2, Path::Queue, Reply::Unrecognised},
    {Cmd::PG, "PG", Arg::None, Path::Poll, Reply::HeatingPort},
    {Cmd::ConverterStatus, "12AS100", Arg::None, Path::Poll, Reply::ConverterStatus},
    {Cmd::StreamPrepareB, "12B1100", Arg::None, Path::Queue, Reply::Unrecognised},
    {Cmd::StreamPrepareW, "12W1100", Arg::None, Path::Queue, Reply::Unrecognised},
    {Cmd::StreamOn, "12Z1100", Arg::None, Path::Queue, Reply::Unrecognised},
    {Cmd::StreamOff, "12Z0100", Arg::None, Path::Queue, Reply::Unrecognised},
};

// The table is indexed by the enum; keep both in the same order.
constexpr bool TableMatchesEnum() {
  for (std::size_t i = 0; i < std::size(kCommands); ++i)
    if (static_cast<std::size_t>(kCommands[i].cmd) != i) return false;
  return std::size(kCommands) == static_cast<std::size_t>(Cmd::StreamOff) + 1;
}
static_assert(TableMatchesEnum(), "command table out of order");

// All of `s` as a hexadecimal number; empty for an empty or invalid field. At most eight
// digits are ever passed here, so the value fits.
std::optional<int> Hex(QStringView s) {
  if (s.isEmpty() || s.size() > 7) return std::nullopt;
  int v = 0;
  for (QChar c : s) {
    const int d = HexDigit(c);
    if (d < 0) return std::nullopt;
    v = v * 16 + d;
  }
  return v;
}

QString HexText(int value, int digits) {
  const int max = digits == 4 ? 0xFFFF : 0xFF;
  return QString::number(std::clamp(value, 0, max), 16).toUpper().rightJustified(digits, u'0');
}

QString Prefixed(const CommandInfo &info) { return QStringLiteral("<") + QLatin1String(info.code); }

}  // namespace

std::span<const CommandInfo> Commands() { return kCommands; }

const CommandInfo &Info(Cmd cmd) { return kCommands[static_cast<std::size_t>(cmd)]; }

QString Form(Cmd cmd, int value) {
  const CommandInfo &info = Info(cmd);
  QString s = Prefixed(info);
  switch (info.arg) {
    case Arg::None:
    case Arg::Text:
      break;
    case Arg::Hex4:
      s += HexText(value, 4);
      break;
    case Arg::Hex2:
      s += HexText(value, 2);
      break;
    case Arg::Tenths:
      // Clamp before multiplying so that no argument can overflow.
      s += HexText(std::clamp(value, 0, 0xFFFF) * 10, 4);
      break;
    case Arg::Hundredths:
      s += HexText(std::clamp(value, 0, 0xFFFF) * 100, 4);
      break;
  }
  return s + u'\r';
}

QString Form(Cmd cmd, QStringView text) {
  QString s = Prefixed(Info(cmd));
  if (Info(cmd).arg == Arg::Text) s += text;
  return s + u'\r';
}

QString FormCellTime(int cell, bool breakthrough, QStringView time) {
  static constexpr Cmd kCells[] = {Cmd::X1, Cmd::X2, Cmd::X3};
  if (cell < 1 || cell > 3) return {};
  QString arg = breakthrough ? QStringLiteral("*") : QStringLiteral(" ");
  arg += time;
  return Form(kCells[cell - 1], arg);
}

QString FormIdentify(SnFraming framing) {
  switch (framing) {
    case SnFraming::CrLfAround:
      return QStringLiteral("\r\n<SN\r\n");
    case SnFraming::Plain:
      return QStringLiteral("<SN\r");
    case SnFraming::CrBefore:
      return QStringLiteral("\r<SN\r");
  }
  return {};
}

std::optional<ParsedCommand> ParseCommand(QStringView line) {
  if (line.size() < 2 || line[0] != u'<') return std::nullopt;
  const QStringView body = line.mid(1);
  // Longest code that the line starts with ("V1S" before "VS" cannot clash, but "12AS100"
  // and friends must not be taken for shorter codes).
  const CommandInfo *best = nullptr;
  std::size_t bestLen = 0;
  for (const CommandInfo &info : kCommands) {
    const std::size_t len = std::strlen(info.code);
    if (len > bestLen && body.startsWith(QLatin1String(info.code, static_cast<qsizetype>(len)))) {
      best = &info;
      bestLen = len;
    }
  }
  if (!best) return std::nullopt;
  const QStringView arg = body.mid(static_cast<qsizetype>(bestLen));
  ParsedCommand pc{best->cmd, 0, {}};
  switch (best->arg) {
    case Arg::None:
      if (!arg.isEmpty()) return std::nullopt;
      break;
    case Arg::Text:
      pc.text = arg.toString();
      break;
    case Arg::Hex2:
    case Arg::Hex4:
    case Arg::Tenths:
    case Arg::Hundredths: {
      const qsizetype digits = best->arg == Arg::Hex2 ? 2 : 4;
      if (arg.size() != digits) return std::nullopt;
      const auto v = Hex(arg);
      if (!v) return std::nullopt;
      pc.value = *v;
      break;
    }
  }
  return pc;
}

std::optional<int> HexField(QStringView line, int first, int last) {
  if (first < 1 || last < first || line.size() < last) return std::nullopt;
  return Hex(line.mid(first - 1, last - first + 1));
}

int Signed16(int v) {
  const int low = v & 0xFFFF;
  return low >= 0x8000 ? low - 0x10000 : low;
}

std::optional<int> StatusField(QStringView line) {
  if (line.size() == 5) return 103;
  if (line.size() < 8) return std::nullopt;
  int v = 0;
  for (QChar c : line.mid(5, 3)) {
    if (c < u'0' || c > u'9') return std::nullopt;
    v = v * 10 + (c.unicode() - u'0');
  }
  return v;
}

ParsedReply ParseReply(QStringView s) {
  ParsedReply r;
  const QChar key = ReplyKey(s);
  if (key.isNull()) return r;
  // A key needs at least four characters.
  const QChar s3 = s[2], s4 = s[3];
  const bool g = s3 == u'G';

  auto withValue = [&](Reply kind, std::optional<int> v) {
    r.kind = kind;
    r.value = v;
    r.malformed = !v.has_value();
    return r;
  };
  auto without = [&](Reply kind) {
    r.kind = kind;
    return r;
  };
  auto signedValue = [](std::optional<int> v) -> std::optional<int> {
    if (v) return Signed16(*v);
    return std::nullopt;
  };
  const auto h47 = HexField(s, 4, 7);
  const auto h45 = HexField(s, 4, 5);

  // The conditions are those under which the reply step acts on the key; under any other the
  // line is not a reply form the program uses.
  // clang-format off
  switch (key.unicode()) {
    case u'A': return withValue(Reply::ConverterStatus, StatusField(s));
    case u'B': if (g) return withValue(Reply::AirPressure, h47); break;
    case u'C': if (g) return withValue(Reply::CarrierPressure, h47); break;
    case u'W': if (g) return withValue(Reply::H2Pressure, h47); break;
    case u'D': if (g) return withValue(Reply::InstrumentState, h45); break;
    case u'E': if (g) return withValue(Reply::EmissionTemperature, signedValue(h47)); break;
    case u'T': return withValue(Reply::TransferTemperature, signedValue(h47));
    case u'F': return g ? withValue(Reply::Flow, h47) : without(Reply::FlowRefresh);
    case u'H': return withValue(Reply::HighVoltage, h47);
    case u'L': return withValue(Reply::LampByte, h45);
    case u'P': return withValue(Reply::HeatingPort, h45);
    case u'Q': return without(Reply::StartRequest);
    case u'S': return withValue(Reply::ChamberTemperature, signedValue(h47));
    case u'V':
      if (g) return withValue(Reply::ValveBlockTemperature, signedValue(h47));
      if (s4 == u'G' && s3 == u'1') return without(Reply::ValveBank1);
      if (s4 == u'G' && s3 == u'2') return without(Reply::ValveBank2);
      break;
    case u'X': return withValue(Reply::FpdAir, h47);
    case u'Y': return withValue(Reply::FpdH2, h47);
    default: break;
  }
  // clang-format on
  return r;
}

// clang-format off
QString FormReply(Reply kind, int value) {
  auto hex4 = [&](const char *head) { return QLatin1String(head) + HexText(value & 0xFFFF, 4); };
  auto hex2 = [&](const char *head) { return QLatin1String(head) + HexText(value, 2); };
  switch (kind) {
    case Reply::Unrecognised: return {};
    case Reply::AirSetPoint: return hex4(":BC");
    case Reply::H2SetPoint: return hex4(":WC");
    case Reply::CarrierSetPoint: return hex4(":CC");
    case Reply::AirPressure: return hex4(":BG");
    case Reply::H2Pressure: return hex4(":WG");
    case Reply::CarrierPressure: return hex4(":CG");
    case Reply::ChamberTemperature: return hex4(":SG");
    case Reply::ValveBlockTemperature: return hex4(":VG");
    case Reply::EmissionTemperature: return hex4(":EG");
    case Reply::TransferTemperature: return hex4(":TG");
    case Reply::HighVoltage: return hex4(":HG");
    case Reply::FpdAir: return hex4(":XG");
    case Reply::FpdH2: return hex4(":YG");
    case Reply::Flow: return hex4(":FG");
    case Reply::ValveBank1: return hex2(":V1G");
    case Reply::ValveBank2: return hex2(":V2G");
    case Reply::InstrumentState: return hex2(":DG");
    case Reply::HeatingPort: return hex2(":PG");
    case Reply::LampByte: return hex2(":LG");
    case Reply::FlowRefresh: return hex2(":FA");
    case Reply::StartRequest: return QStringLiteral(":QS01");
    case Reply::ConverterStatus:
      return QStringLiteral(":12AS") + QString::number(std::clamp(value, 0, 999)).rightJustified(3, u'0');
  }
  return {};
}
// clang-format on

QString FormAcknowledge(Cmd cmd) {
  return QStringLiteral(":") + QLatin1String(Info(cmd).code, 2) + QStringLiteral("OK");
}

bool HasI2cPort(QStringView idReply) { return idReply.size() >= 4 && idReply[3] == u'4'; }

QString SerialNumberText(QStringView idReply) { return idReply.mid(1).toString(); }

bool IsFlowSensorFitted(QStringView faReply) { return faReply == u":FA01"; }

bool IsDataLine(QStringView line) {
  return !line.isEmpty() && (line[0] == u'/' || line[0] == u'[' || line[0] == u']');
}

std::optional<DataLine> ParseDataLine(QStringView line) {
  if (!IsDataLine(line)) return std::nullopt;
  const auto h = Hex(line.mid(3, 5));  // positions 4..8, fewer when the line is shorter
  if (!h) return std::nullopt;
  const bool negative = line[2] == u'0';  // line.size() >= 4 here
  return DataLine{static_cast<DataMarker>(line[0].toLatin1()), negative ? *h - kDataLineMax : *h};
}

QString FormDataLine(DataMarker marker, int microvolts, QChar second) {
  const int v = std::clamp(microvolts, -kDataLineMax, kDataLineMax);
  const bool negative = v < 0;
  const int h = negative ? v + kDataLineMax : v;
  QString s;
  s.reserve(8);
  s += QChar(static_cast<char16_t>(marker));
  s += second;
  s += negative ? u'0' : u'1';
  s += QString::number(h, 16).toUpper().rightJustified(5, u'0');
  return s;
}

}  // namespace zelvo::proto
