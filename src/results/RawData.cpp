#include "results/RawData.h"

#include <QFile>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>

#include "core/Cp1252.h"
#include "core/NumberText.h"
#include "core/Utils.h"
#include "results/RecordText.h"
#include "results/ResultFile.h"

namespace zelvo {

QStringList RawDataLines(TDeviceTyp deviceTyp, std::span<const double> first, std::span<const double> second,
                         const TPeakState &peak, const TFpdResult &fpd, const QLocale &locale) {
  QStringList lines;
  const QString comma = QStringLiteral(",");
  if (deviceTyp != TDeviceTyp::FIDFPD) {
    const std::size_t k = first.size();
    lines.reserve(static_cast<qsizetype>(k) + 6);
    lines << IntText(static_cast<int>(deviceTyp)) << IntText(static_cast<long long>(k));
    for (std::size_t i = 1; i < k; ++i) lines << FloatToStr(first[i], locale);
    lines << IntText(peak.PeakStartIndex) << Sci23(peak.PeakStartLevel) << IntText(peak.PeakEndIndex)
          << Sci23(peak.PeakEndLevel);
    return lines;
  }
  const std::size_t k1 = first.size(), k2 = second.size();
  const std::size_t k = std::min(k1, k2);
  lines.reserve(static_cast<qsizetype>(k) + 6);
  lines << QStringLiteral("2")
        << IntText(static_cast<long long>(k1)) + comma + IntText(static_cast<long long>(k2));
  for (std::size_t i = 1; i < k; ++i)
    lines << FloatToStr(first[i], locale) + comma + FloatToStr(second[i], locale);
  lines << Sci23(peak.FIDStart * 10) + comma + Sci23(fpd.FPDStart * 10);
  lines << Sci23(peak.FIDStartLevel) + comma + Sci23(fpd.FPDStartLevel);
  lines << Sci23(peak.FIDEnd * 10) + comma + Sci23(fpd.FPDEnd * 10);
  lines << Sci23(peak.FIDEndLevel) + comma + Sci23(fpd.FPDEndLevel);
  return lines;
}

QString RawDataStem(const QString &resultFile) {
  const QString name = NamePart(resultFile);
  const qsizetype dot = name.indexOf(u'.');
  return dot < 0 ? QString() : name.left(dot);
}

QString RawDataFileName(const QString &dataDir, const QString &stem, int runAktiv) {
  return dataDir + u'/' + stem + u'_' + QString::number(runAktiv) + QStringLiteral(".txt");
}

QString TImportResult::Message() const {
  QString text = QStringLiteral("Raw data file \"%1\"").arg(Path);
  if (Line > 0) text += QStringLiteral(", line %1").arg(Line);
  return text + QStringLiteral(": ") + Reason;
}

namespace {

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// A line of the file as text for a message: cut short when it is long, bytes that do not
// print escaped (a binary file's line would otherwise reach the terminal as it is).
QString Quoted(std::string_view line) {
  constexpr std::size_t kMax = 60;
  const std::size_t n = std::min(line.size(), kMax + 1);
  return QuotedForMessage(Cp1252Decode(QByteArrayView(line.data(), static_cast<qsizetype>(n))), kMax);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A decimal number with "." or "," as its separator: [sign] digits [sep digits] [exponent],
// blanks around it allowed, at least one mantissa digit, finite.
std::optional<double> ParseValue(std::string_view text) {
  const std::string_view s = Trimmed(text);
  char small[64];
  std::string large;
  char *buf = small;
  if (s.size() >= sizeof small) {
    large.resize(s.size());
    buf = large.data();
  }
  std::size_t n = 0, i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    if (s[i] == '-') buf[n++] = '-';
    ++i;
  }
  int digits = 0;
  for (; i < s.size() && IsDigit(s[i]); ++i, ++digits) buf[n++] = s[i];
  if (i < s.size() && (s[i] == '.' || s[i] == ',')) {
    buf[n++] = '.';
    for (++i; i < s.size() && IsDigit(s[i]); ++i, ++digits) buf[n++] = s[i];
  }
  if (digits == 0) return std::nullopt;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    buf[n++] = 'e';
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) buf[n++] = s[i++];
    int expDigits = 0;
    for (; i < s.size() && IsDigit(s[i]); ++i, ++expDigits) buf[n++] = s[i];
    if (expDigits == 0) return std::nullopt;
  }
  if (i != s.size()) return std::nullopt;
  double value = 0;
  const auto res = std::from_chars(buf, buf + n, value);
  if (res.ec != std::errc() || res.ptr != buf + n || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<int> ParseInt(std::string_view text) {
  return TryStrToInt(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

// Cuts the text into lines at CR LF, LF or a lone CR, one at a time.
class LineCursor {
 public:
  explicit LineCursor(QByteArrayView bytes) : FData(bytes.data()), FEnd(bytes.data() + bytes.size()) {}
  // The next line, or nothing at the end of the text; Number() is its 1-based line number.
  std::optional<std::string_view> Next() {
    if (FData == FEnd) return std::nullopt;
    const char *p = FData;
    while (p != FEnd && *p != '\r' && *p != '\n') ++p;
    std::string_view line(FData, static_cast<std::size_t>(p - FData));
    if (p != FEnd) {
      if (*p == '\r' && p + 1 != FEnd && p[1] == '\n') ++p;
      ++p;
    }
    FData = p;
    ++FNumber;
    return line;
  }
  int Number() const { return FNumber; }

 private:
  const char *FData;
  const char *FEnd;
  int FNumber = 0;
};

// The point where a two-channel value line divides: its only comma, or with three commas
// (two values with a decimal comma each) the middle one. Anything else cannot be divided
// without guessing.
std::optional<std::size_t> ChannelSplit(std::string_view line) {
  std::size_t commas[4];
  int count = 0;
  for (std::size_t i = 0; i < line.size() && count < 4; ++i)
    if (line[i] == ',') commas[count++] = i;
  if (count == 1) return commas[0];
  if (count == 3) return commas[1];
  return std::nullopt;
}

}  // namespace

TImportResult ParseRawData(QByteArrayView bytes, const QString &path) {
  TImportResult result;
  result.Path = path;
  LineCursor lines(bytes);
  auto fail = [&](int line, const QString &reason) {
    result.Line = line;
    result.Reason = reason;
    return result;
  };
  const QString missing = QStringLiteral("missing, the file ends before it");

  const auto first = lines.Next();
  if (!first) return fail(1, missing);
  const auto header = ParseInt(Trimmed(*first));
  if (!header) return fail(1, QStringLiteral("\"%1\" is not a whole number").arg(Quoted(*first)));

  const auto second = lines.Next();
  if (!second) return fail(2, missing);
  TRawImport data;
  data.Header = *header;
  data.Channels = *header == 2 ? 2 : 1;
  long long count = 0;
  if (data.Channels == 2) {
    const std::size_t comma = second->find(',');
    const auto a =
        comma == std::string_view::npos ? std::nullopt : ParseInt(Trimmed(second->substr(0, comma)));
    const auto b =
        comma == std::string_view::npos ? std::nullopt : ParseInt(Trimmed(second->substr(comma + 1)));
    if (!a || !b)
      return fail(2,
                  QStringLiteral("\"%1\" is not two point counts separated by \",\"").arg(Quoted(*second)));
    count = std::min(*a, *b);
  } else {
    const auto n = ParseInt(Trimmed(*second));
    if (!n) return fail(2, QStringLiteral("\"%1\" is not a whole number").arg(Quoted(*second)));
    count = *n;
  }

  const std::size_t points = count > 1 ? static_cast<std::size_t>(count - 1) : 0;
  // A count far beyond the file's size must not reserve memory for it.
  const std::size_t reserve = std::min(points, static_cast<std::size_t>(bytes.size() / 2 + 1));
  data.Fid.reserve(reserve);
  if (data.Channels == 2) data.Fpd.reserve(reserve);
  for (std::size_t i = 0; i < points; ++i) {
    const auto line = lines.Next();
    if (!line) return fail(lines.Number() + 1, missing);
    if (data.Channels == 2) {
      const auto split = ChannelSplit(*line);
      const auto fid = split ? ParseValue(line->substr(0, *split)) : std::nullopt;
      const auto fpd = split ? ParseValue(line->substr(*split + 1)) : std::nullopt;
      if (!fid || !fpd)
        return fail(lines.Number(),
                    QStringLiteral("\"%1\" is not two values separated by \",\"").arg(Quoted(*line)));
      data.Fid.push_back(*fid);
      data.Fpd.push_back(*fpd);
    } else {
      const auto value = ParseValue(*line);
      if (!value) return fail(lines.Number(), QStringLiteral("\"%1\" is not a number").arg(Quoted(*line)));
      data.Fid.push_back(*value);
    }
  }
  // Slope windows end at i with 4 <= i < count - 2, that is up to the last point but one.
  data.SlopeEnd = points > 1 ? std::max<std::size_t>(data.SlopeBegin, points - 1) : data.SlopeBegin;
  result.Ok = true;
  result.Data = std::move(data);
  return result;
}

TImportResult ReadRawDataFile(const QString &path) {
  QFile file(path);
  QByteArray bytes;
  if (file.open(QIODevice::ReadOnly)) bytes = file.readAll();
  if (!file.isOpen() || file.error() != QFileDevice::NoError) {
    TImportResult result;
    result.Path = path;
    result.Reason = file.errorString();
    return result;
  }
  return ParseRawData(bytes, path);
}

}  // namespace zelvo
