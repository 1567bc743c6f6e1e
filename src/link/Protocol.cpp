#include "link/Protocol.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace zelvo::proto {

namespace {

constexpr CommandInfo kCommands[] = {
    {Cmd::SN, "SN", Arg::None, Path::Wait},
    {Cmd::Y0, "Y0", Arg::None, Path::Wait},
    {Cmd::Y1, "Y1", Arg::None, Path::Wait},
    {Cmd::X0, "X0", Arg::Text, Path::Wait},  // also queued for the run time; answered always
    {Cmd::X1, "X1", Arg::Text, Path::Queue},
    {Cmd::X2, "X2", Arg::Text, Path::Queue},
    {Cmd::X3, "X3", Arg::Text, Path::Queue},
    {Cmd::FA, "FA", Arg::None, Path::Wait},
    {Cmd::R1, "R1", Arg::None, Path::Queue},
    {Cmd::R0, "R0", Arg::None, Path::Queue},
    {Cmd::BS, "BS", Arg::Hex4, Path::Queue},
    {Cmd::WS, "WS", Arg::Hex4, Path::Queue},
    {Cmd::CS, "CS", Arg::Hex4, Path::Queue},
    {Cmd::BC, "BC", Arg::None, Path::Wait},
    {Cmd::WC, "WC", Arg::None, Path::Wait},
    {Cmd::CC, "CC", Arg::None, Path::Wait},
    {Cmd::BG, "BG", Arg::None, Path::Poll},
    {Cmd::WG, "WG", Arg::None, Path::Poll},
    {Cmd::CG, "CG", Arg::None, Path::Poll},
    {Cmd::VS, "VS", Arg::Tenths, Path::Wait},
    {Cmd::VO1, "VO1", Arg::None, Path::Queue},
    {Cmd::VO0, "VO0", Arg::None, Path::Queue},
    {Cmd::VG, "VG", Arg::None, Path::Poll},
    {Cmd::SS, "SS", Arg::Tenths, Path::Wait},
    {Cmd::SO1, "SO1", Arg::None, Path::Queue},
    {Cmd::SO0, "SO0", Arg::None, Path::Queue},
    {Cmd::SG, "SG", Arg::None, Path::Poll},
    {Cmd::ES, "ES", Arg::Hundredths, Path::Wait},
    {Cmd::EO1, "EO1", Arg::None, Path::Wait},
    {Cmd::EO0, "EO0", Arg::None, Path::Wait},
    {Cmd::EG, "EG", Arg::None, Path::Poll},
    {Cmd::TS, "TS", Arg::Hundredths, Path::Wait},
    {Cmd::TO1, "TO1", Arg::None, Path::Wait},
    {Cmd::TO0, "TO0", Arg::None, Path::Wait},
    {Cmd::TG, "TG", Arg::None, Path::Poll},
    {Cmd::HS, "HS", Arg::Hex4, Path::Wait},
    {Cmd::HO1, "HO1", Arg::None, Path::Wait},
    {Cmd::HO0, "HO0", Arg::None, Path::Wait},
    {Cmd::HG, "HG", Arg::None, Path::Poll},
    {Cmd::XS, "XS", Arg::Hex4, Path::Wait},
    {Cmd::XO1, "XO1", Arg::None, Path::Wait},
    {Cmd::XO0, "XO0", Arg::None, Path::Wait},
    {Cmd::XG, "XG", Arg::None, Path::Poll},
    {Cmd::YS, "YS", Arg::Hex4, Path::Wait},
    {Cmd::YO1, "YO1", Arg::None, Path::Wait},
    {Cmd::YO0, "YO0", Arg::None, Path::Wait},
    {Cmd::YG, "YG", Arg::None, Path::Poll},
    {Cmd::ZZ, "ZZ", Arg::None, Path::Wait},
    {Cmd::FG, "FG", Arg::None, Path::Poll},
    {Cmd::V1S, "V1S", Arg::Hex2, Path::Queue},
    {Cmd::V2S, "V2S", Arg::Hex2, Path::Queue},
    {Cmd::V1G, "V1G", Arg::None, Path::Poll},
    {Cmd::V2G, "V2G", Arg::None, Path::Poll},
    {Cmd::LS, "LS", Arg::Hex2, Path::Queue},
    {Cmd::D1, "D1", Arg::None, Path::Queue},
    {Cmd::D0, "D0", Arg::None, Path::Queue},
    {Cmd::DG, "DG", Arg::None, Path::Poll},  // queued once at start-up, answered with data
    {Cmd::PS, "PS", Arg::Hex2, Path::Queue},
    {Cmd::PG, "PG", Arg::None, Path::Poll},
    {Cmd::ConverterStatus, "12AS100", Arg::None, Path::Poll},
    {Cmd::StreamPrepareB, "12B1100", Arg::None, Path::Queue},
    {Cmd::StreamPrepareW, "12W1100", Arg::None, Path::Queue},
    {Cmd::StreamOn, "12Z1100", Arg::None, Path::Queue},
    {Cmd::StreamOff, "12Z0100", Arg::None, Path::Queue},
};

// The table is indexed by the enum; keep both in the same order.
constexpr bool TableMatchesEnum() {
  for (std::size_t i = 0; i < std::size(kCommands); ++i)
    if (static_cast<std::size_t>(kCommands[i].cmd) != i) return false;
  return std::size(kCommands) == static_cast<std::size_t>(Cmd::StreamOff) + 1;
}
static_assert(TableMatchesEnum(), "command table out of order");

int HexDigit(QChar c) {
  const char16_t u = c.unicode();
  if (u >= u'0' && u <= u'9') return u - u'0';
  if (u >= u'A' && u <= u'F') return u - u'A' + 10;
  if (u >= u'a' && u <= u'f') return u - u'a' + 10;
  return -1;
}

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
  if (s.size() < 3 || s[0] != u':') return r;
  const QChar s2 = s[1], s3 = s[2];

  auto withValue = [&](Reply kind, std::optional<int> v) {
    r.kind = kind;
    r.value = v;
    r.malformed = !v.has_value();
    return r;
  };
  auto signedValue = [](std::optional<int> v) -> std::optional<int> {
    if (v) return Signed16(*v);
    return std::nullopt;
  };

  if (s2 == u'Q' && s3 == u'S') {
    r.kind = Reply::StartRequest;
    return r;
  }
  if (s.size() >= 5 && s[3] == u'A' && s[4] == u'S') return withValue(Reply::ConverterStatus, StatusField(s));
  if (s2 == u'V' && (s3 == u'1' || s3 == u'2') && s.size() >= 4 && s[3] == u'G') {
    r.kind = s3 == u'1' ? Reply::ValveBank1 : Reply::ValveBank2;
    return r;
  }
  // clang-format off
  if (s3 == u'C') {
    switch (s2.unicode()) {
      case u'B': return withValue(Reply::AirSetPoint, HexField(s, 4, 7));
      case u'W': return withValue(Reply::H2SetPoint, HexField(s, 4, 7));
      case u'C': return withValue(Reply::CarrierSetPoint, HexField(s, 4, 7));
      default: break;
    }
  } else if (s3 == u'G') {
    const auto h4 = HexField(s, 4, 7);
    switch (s2.unicode()) {
      case u'B': return withValue(Reply::AirPressure, h4);
      case u'W': return withValue(Reply::H2Pressure, h4);
      case u'C': return withValue(Reply::CarrierPressure, h4);
      case u'S': return withValue(Reply::ChamberTemperature, signedValue(h4));
      case u'V': return withValue(Reply::ValveBlockTemperature, signedValue(h4));
      case u'E': return withValue(Reply::EmissionTemperature, signedValue(h4));
      case u'T': return withValue(Reply::TransferTemperature, signedValue(h4));
      case u'H': return withValue(Reply::HighVoltage, h4);
      case u'X': return withValue(Reply::FpdAir, h4);
      case u'Y': return withValue(Reply::FpdH2, h4);
      case u'F': return withValue(Reply::Flow, h4);
      case u'D': return withValue(Reply::InstrumentState, HexField(s, 4, 5));
      case u'P': return withValue(Reply::HeatingPort, HexField(s, 4, 5));
      case u'L': return withValue(Reply::LampByte, HexField(s, 4, 5));
      default: return r;
    }
  }
  // clang-format on
  if (s2 == u'F') r.kind = Reply::FlowRefresh;  // third character other than "G"
  return r;
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
