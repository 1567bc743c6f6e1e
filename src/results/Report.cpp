#include "results/Report.h"

#include <QFile>
#include <algorithm>
#include <charconv>
#include <cmath>

#include "core/Cp1252.h"
#include "core/Language.h"
#include "core/TextFile.h"
#include "core/Utils.h"
#include "results/ReportTexts.h"
#include "results/ResultFile.h"

namespace zelvo {

namespace {

using namespace report_text;

constexpr int kFidFields = 14;     // fields of a measurement line on FID (and FPD) instruments
constexpr int kFidFpdFields = 16;  // on FIDFPD instruments
constexpr int kFirstCell = 4;      // gas position of sample cell 1
constexpr double kSteadyBand = 0.1;
constexpr double kSteadyAllowance = 1e-9;

// A number as the result file writes it: the decimal separator of the writing system's
// locale (a comma or a point; the file never holds group separators), an optional exponent.
std::optional<double> ParseNumber(QStringView text) {
  QString t = text.trimmed().toString();
  t.replace(QChar(0x2212), u'-');  // a locale's minus sign
  if (t.isEmpty() || t.count(u',') + t.count(u'.') > 1) return std::nullopt;
  t.replace(u',', u'.');
  const QByteArray bytes = t.toLatin1();
  double value = 0;
  const char *end = bytes.constData() + bytes.size();
  const auto [ptr, ec] = std::from_chars(bytes.constData(), end, value);
  if (ec != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<int> ParseWhole(QStringView text, int min, int max) {
  const QStringView t = text.trimmed();
  if (t.isEmpty() || t.size() > 9) return std::nullopt;
  for (QChar c : t)
    if (!c.isDigit() || c.unicode() > '9') return std::nullopt;
  const int value = t.toInt();
  if (value < min || value > max) return std::nullopt;
  return value;
}

// "hh:nn:ss" as seconds of the day.
std::optional<int> ParseRunTime(QStringView text) {
  const QList<QStringView> parts = text.trimmed().split(u':');
  if (parts.size() != 3 || parts[1].size() != 2 || parts[2].size() != 2) return std::nullopt;
  const auto h = ParseWhole(parts[0], 0, 23);
  const auto m = ParseWhole(parts[1], 0, 59);
  const auto s = ParseWhole(parts[2], 0, 59);
  if (!h || !m || !s) return std::nullopt;
  return *h * 3600 + *m * 60 + *s;
}

}  // namespace

bool TResultLine::Measured(bool fpd) const {
  return FIDRate != 0 || FIDArea != 0 || (fpd && (FPDRate != 0 || FPDArea != 0));
}

// A field count above the expected one comes from a ";" inside the sample text, the one free
// text between the numbers and the date.
std::optional<TReportError> ReadResultLine(const QString &text, bool fpd, int number, TResultLine &l) {
  auto badField = [number](int field, const QString &fieldText) {
    TReportError e;
    e.Kind = TReportErrorKind::BadField;
    e.Line = number;
    e.Detail = fieldText;
    e.Field = field;
    return e;
  };
  const QStringList f = text.split(u';');
  const int expected = fpd ? kFidFpdFields : kFidFields;
  if (f.size() < expected) {
    TReportError e;
    e.Kind = TReportErrorKind::FieldCount;
    e.Line = number;
    e.Count = static_cast<int>(f.size());
    e.Expected = expected;
    return e;
  }
  l.Number = number;
  const auto position = ParseWhole(f[0], 1, 6);
  if (!position) return badField(1, f[0]);
  l.Position = *position;
  const QString mark = f[1].trimmed();
  if (!mark.isEmpty() && mark != u'*') return badField(2, f[1]);
  l.Star = mark == u'*';
  l.BreakTime = f[2];
  l.Chemical = f[3];
  for (int i : {4, 5}) {  // factor and flow are checked, not used
    if (!ParseNumber(f[i])) return badField(i + 1, f[i]);
  }
  const auto seconds = ParseRunTime(f[6]);
  if (!seconds) return badField(7, f[6]);
  l.Seconds = *seconds;
  const std::pair<int, double *> numbers[] = {
      {7, &l.FIDppm}, {8, &l.FIDRate}, {9, &l.FIDArea}, {10, &l.FPDRate}, {11, &l.FPDArea}};
  for (const auto &[i, value] : numbers) {
    if (i >= 10 && !fpd) break;
    const auto v = ParseNumber(f[i]);
    if (!v) return badField(i + 1, f[i]);
    *value = *v;
  }
  const qsizetype sample = fpd ? 12 : 10;
  const qsizetype last = f.size() - 1;
  l.SampleText = f.mid(sample, last - 2 - sample).join(u';');
  l.Date = f[last - 2].trimmed();
  l.Time = f[last - 1].trimmed();
  const auto aktiv = ParseWhole(f[last], 1, 999999999);
  if (!aktiv) return badField(static_cast<int>(last + 1), f[last]);
  l.runAktiv = *aktiv;
  return std::nullopt;
}

std::optional<double> ReadResultNumber(QStringView text) { return ParseNumber(text); }

bool TRunClock::Take(TResultLine &line) {
  const bool first = !fAny || line.runAktiv <= fLastAktiv;
  if (first)
    fDays = 0;
  else if (line.Seconds < fLastSeconds)
    ++fDays;  // past midnight of the run clock
  fAny = true;
  fLastAktiv = line.runAktiv;
  fLastSeconds = line.Seconds;
  line.Minutes = (fDays * kSecondsPerDay + line.Seconds) / 60.0;
  return first;
}

TCurveStep CurveStep(const TResultLine &line, bool fpd) {
  if (!line.Star) return TCurveStep::Point;
  return line.Measured(fpd) ? TCurveStep::LastPoint : TCurveStep::End;
}

TRatePoint RatePoint(const TResultLine &line, TDetector detector) {
  TRatePoint p;
  p.Minutes = line.Minutes;
  p.Rate = detector == TDetector::FID ? line.FIDRate : line.FPDRate;
  p.Line = line.Number;
  if (detector == TDetector::FID) p.Ppm = line.FIDppm;
  return p;
}

namespace {

QString Field(const QStringList &fields, qsizetype i) { return i < fields.size() ? fields[i] : QString(); }

class TParser {
 public:
  TParser(const QStringList &lines, const QString &path, int run) : fLines(lines), fWanted(run) {
    fOut.Report.File = path;
  }

  TReportRead Run() {
    if (Header() && Measurements()) BuildCells();
    return std::move(fOut);
  }

 private:
  const QStringList &fLines;
  const int fWanted;  // 0: the last run
  TReportRead fOut;
  int fId = 0;
  bool fFpd = false;
  std::vector<TResultLine> fRun;

  QString S(int n) const { return GetLangString(fId, n); }
  TReportHeader &H() { return fOut.Report.Header; }

  bool Fail(TReportErrorKind kind, int line, const QString &detail = {}) {
    TReportError e;
    e.Kind = kind;
    e.File = fOut.Report.File;
    e.Line = line;
    e.Detail = detail;
    fOut.Error = e;
    return false;
  }

  // The header line at `index` (0-based) must begin with `prefix`; gives its fields.
  std::optional<QStringList> Expect(int index, const QString &prefix) {
    if (index >= fLines.size() || !fLines[index].startsWith(prefix)) {
      Fail(TReportErrorKind::BadHeaderLine, index + 1, prefix);
      return std::nullopt;
    }
    return fLines[index].split(u';');
  }

  bool Header() {
    const QStringList first = fLines.isEmpty() ? QStringList() : fLines[0].split(u';');
    const QString label = first.value(0);
    if (label == GetLangString(kGermanOffset, 58) + u':')
      fId = kGermanOffset;
    else if (label == GetLangString(kEnglishOffset, 58) + u':')
      fId = kEnglishOffset;
    else
      return Fail(TReportErrorKind::NotResultFile, 1);
    H().ID = fId;
    H().ResultFile = Field(first, 1);
    H().Created = Field(first, 3);
    const QString device = Field(first, 4);
    const QString deviceLabel = S(121) + u':';
    H().SerialNumber = device.startsWith(deviceLabel) ? device.mid(deviceLabel.size()) : device;

    fFpd = fLines.size() > 4 && fLines[4].startsWith(S(70) + QStringLiteral(":;"));
    H().DeviceTyp = fFpd ? TDeviceTyp::FIDFPD : TDeviceTyp::FID;

    const auto set = Expect(1, S(59) + u' ' + S(60) + QStringLiteral(":;"));
    if (!set) return false;
    const auto actual = Expect(2, S(59) + u' ' + S(61) + QStringLiteral(":;"));
    if (!actual) return false;
    for (int i = 2; i < (fFpd ? 11 : 5); i += 2) {
      H().SetValues << Field(*set, i);
      H().ActualValues << Field(*actual, i);
    }
    const auto fid = Expect(3, S(69) + QStringLiteral(":;"));
    if (!fid) return false;
    H().FIDCalMenge = Field(*fid, 1);
    H().FIDCalArea = Field(*fid, 3);
    H().LimitFID = Field(*fid, 5);
    H().FIDFactor = Field(*fid, 7);
    int at = 4;
    if (fFpd) {
      const QStringList fpd = fLines[at++].split(u';');
      H().FPDCalMenge = Field(fpd, 1);
      H().FPDCalArea = Field(fpd, 3);
      H().LimitFPD = Field(fpd, 5);
      H().FPDFactor = Field(fpd, 7);
    }
    const QString startLabel = S(1) + u':';
    if (!Expect(at, startLabel)) return false;
    H().Startzelle = fLines[at++].mid(startLabel.size());
    const std::pair<int, QString *> params[] = {{2, &H().AnzahlZellen},
                                                {4, &H().AnzahlMessreihen},
                                                {75, &H().SampleTime},
                                                {76, &H().InjectionTime},
                                                {3, &H().Messzeit}};
    for (const auto &[text, value] : params) {
      const auto fields = Expect(at++, S(text) + QStringLiteral(":;"));
      if (!fields) return false;
      *value = Field(*fields, 1);
    }
    if (!Expect(at++, S(51))) return false;
    for (int i = 0; i < kHeaderDescriptionLines; ++i) H().Description << fLines.value(at++);

    const QString titles = ColumnTitleLine(fId, H().DeviceTyp);
    if (at >= fLines.size() || !fLines[at].startsWith(S(77) + u';' + S(78) + u';') ||
        fLines[at].count(u';') != titles.count(u';'))
      return Fail(TReportErrorKind::BadHeaderLine, at + 1, titles);
    fMeasurementsFrom = at + 1;

    const QString chamber = H().SetValues.value(0);
    qsizetype digits = 0;
    while (digits < chamber.size() && chamber[digits].isDigit()) ++digits;
    const int setpoint = chamber.left(digits).toInt();
    H().StandardTextId = setpoint == 27 ? 9 : setpoint == 23 ? 10 : 0;
    return true;
  }

  int fMeasurementsFrom = 0;


  bool ParseLine(const QString &text, int number, TResultLine &l) {
    if (auto error = ReadResultLine(text, fFpd, number, l)) {
      error->File = fOut.Report.File;
      fOut.Error = std::move(*error);
      return false;
    }
    return true;
  }

  bool Measurements() {
    std::vector<std::vector<TResultLine>> runs;
    TRunClock clock;
    for (int i = fMeasurementsFrom; i < fLines.size(); ++i) {
      if (fLines[i].trimmed().isEmpty()) continue;
      TResultLine l;
      if (!ParseLine(fLines[i], i + 1, l)) return false;
      if (clock.Take(l)) runs.emplace_back();
      runs.back().push_back(l);
    }
    for (size_t r = 0; r < runs.size(); ++r) fOut.Report.Runs.push_back(Summary(runs[r], static_cast<int>(r) + 1));
    const int count = static_cast<int>(runs.size());
    if (fWanted < 0 || fWanted > count || (fWanted > 0 && count == 0)) {
      Fail(TReportErrorKind::NoSuchRun, 0);
      fOut.Error->Field = fWanted;
      fOut.Error->Count = count;
      return false;
    }
    if (count == 0) return true;
    const int chosen = fWanted > 0 ? fWanted : count;
    fRun = runs[static_cast<size_t>(chosen - 1)];
    fOut.Report.Run = chosen;
    if (fWanted == 0 && count > 1)
      fOut.Report.Warnings.push_back({TReportWarningKind::EarlierRunsSkipped, fRun.front().Number, count});
    return true;
  }

  TReportRun Summary(const std::vector<TResultLine> &lines, int number) const {
    TReportRun r;
    r.Number = number;
    r.FirstLine = lines.front().Number;
    r.Date = lines.front().Date;
    r.Time = lines.front().Time;
    r.Evaluations = static_cast<int>(lines.size());
    for (const TResultLine &l : lines) {
      if (!r.Positions.contains(l.Position)) r.Positions << l.Position;
      const int cell = l.Position - kFirstCell + 1;
      if (l.Star && l.Measured(fFpd) && cell >= 1 && !r.BrokeThrough.contains(cell)) r.BrokeThrough << cell;
    }
    return r;
  }

  void BuildCells() {
    for (int cell = 1; cell <= 3; ++cell) {
      std::vector<const TResultLine *> lines;
      bool ended = false;
      for (const TResultLine &l : fRun) {
        if (l.Position != cell + kFirstCell - 1) continue;
        const TCurveStep step = CurveStep(l, fFpd);
        if (step != TCurveStep::End) lines.push_back(&l);
        if (step == TCurveStep::Point) continue;
        ended = step == TCurveStep::LastPoint;
        break;
      }
      if (lines.empty()) continue;
      for (TDetector d : {TDetector::FID, TDetector::FPD}) {
        if (d == TDetector::FPD && !fFpd) break;
        TCellReport c;
        c.Cell = cell;
        c.Detector = d;
        for (const TResultLine *l : lines)
          c.Curve.push_back(RatePoint(*l, d));
        c.Figures = ComputeFigures(c.Curve);
        c.EndsAtBreakthrough = ended;
        if (ended) c.BreakTime = lines.back()->BreakTime;
        c.SampleText = lines.back()->SampleText;
        c.Chemical = lines.back()->Chemical;
        fOut.Report.Cells.push_back(std::move(c));
      }
    }
  }
};

int LevelFor(double minutes) {
  return static_cast<int>(
      std::count_if(kLevelMinutes.begin(), kLevelMinutes.end(), [minutes](double m) { return minutes > m; }));
}

QString Minutes(const std::optional<double> &v) { return v ? ReportNumber(*v, 2) : QString(); }
QString Amount(const std::optional<double> &v) { return v ? ReportNumber(*v, 4) : QString(); }

// The figures of one cell and detector in the order of the CSV's columns.
QStringList CsvFields(const TCellReport &c) {
  const TCellFigures &f = c.Figures;
  QStringList fields{QString::number(c.Cell), DetectorName(c.Detector)};
  for (const auto &b : f.Breakthrough) {
    fields << Minutes(b ? std::optional(b->FirstMinutes) : std::nullopt);
    fields << Minutes(b ? std::optional(b->Minutes) : std::nullopt);
  }
  fields << LevelText(f.Level) << Amount(f.SteadyRate) << Amount(f.CumulativeEnd);
  for (const auto &cum : f.Cumulative) fields << Amount(cum);
  fields << Minutes(f.DurationMinutes);
  return fields;
}

}  // namespace

QString DetectorName(TDetector detector) {
  return detector == TDetector::FID ? QStringLiteral("FID") : QStringLiteral("FPD");
}

QString LevelText(const TCellFigures &f, int offset) {
  if (f.Level.Level == 0 && !f.Level.LowerBound) return QStringLiteral("< 1");
  if (f.Level.Level == 0)
    return GetLangString(offset, kTextLevelNotClassified).arg(static_cast<int>(std::floor(f.DurationMinutes)));
  return LevelText(f.Level);
}

QString ReportRunList(const TReport &report) {
  QString out;
  for (const TReportRun &r : report.Runs) {
    QStringList positions, cells;
    for (int p : r.Positions) positions << QString::number(p);
    for (int c : r.BrokeThrough) cells << QString::number(c);
    out += QStringLiteral("run %1: started %2 %3, line %4; positions %5; %6 evaluations; breakthrough: %7\n")
               .arg(r.Number)
               .arg(r.Date, r.Time)
               .arg(r.FirstLine)
               .arg(positions.join(u','))
               .arg(r.Evaluations)
               .arg(cells.isEmpty() ? QStringLiteral("none") : QStringLiteral("cell ") + cells.join(QStringLiteral(", cell ")));
  }
  if (report.Runs.empty()) out += QStringLiteral("no run in the file\n");
  return out;
}

QString LevelText(const TPerformanceLevel &level) {
  return (level.LowerBound ? QStringLiteral("≥") : QString()) + QString::number(level.Level);
}

QString ReportNumber(double value, int decimals) {
  QString text = QString::number(value, 'f', decimals);
  if (text.startsWith(u'-') &&
      std::none_of(text.begin(), text.end(), [](QChar c) { return c >= u'1' && c <= u'9'; }))
    text.remove(0, 1);
  return text;
}

TCellFigures ComputeFigures(std::span<const TRatePoint> curve) {
  TCellFigures f;
  if (curve.empty()) return f;
  f.DurationMinutes = curve.back().Minutes;

  for (size_t k = 0; k < kReportLimits.size(); ++k) {
    const double limit = kReportLimits[k];
    const auto above =
        std::find_if(curve.begin(), curve.end(), [limit](const TRatePoint &p) { return p.Rate > limit; });
    if (above == curve.end()) continue;
    TCrossing c;
    c.FirstMinutes = c.Minutes = above->Minutes;
    if (above != curve.begin()) {
      const TRatePoint &b = *(above - 1);  // its rate is at most the limit, so the slope is positive
      c.Minutes = b.Minutes + (limit - b.Rate) * (above->Minutes - b.Minutes) / (above->Rate - b.Rate);
    }
    f.Breakthrough[k] = c;
  }

  if (const auto &one = f.Breakthrough[1])
    f.Level = {LevelFor(one->Minutes), false};
  else if (f.DurationMinutes > kLevelMinutes.back())
    f.Level = {static_cast<int>(kLevelMinutes.size()), false};
  else
    f.Level = {LevelFor(f.DurationMinutes), true};

  // Trapezoids from (0, 0) through every point; a time of the cumulative figures inside a
  // segment takes the rate interpolated there.
  TRatePoint previous;
  double sum = 0;
  size_t next = 0;
  for (const TRatePoint &p : curve) {
    const double dt = p.Minutes - previous.Minutes;
    for (; next < kCumulativeMinutes.size() && kCumulativeMinutes[next] <= p.Minutes; ++next) {
      const double t = kCumulativeMinutes[next] - previous.Minutes;
      const double rate = dt > 0 ? previous.Rate + (p.Rate - previous.Rate) * t / dt : p.Rate;
      f.Cumulative[next] = sum + t * (previous.Rate + rate) / 2;
    }
    sum += dt * (previous.Rate + p.Rate) / 2;
    previous = p;
  }
  f.CumulativeEnd = sum;

  // The longest tail run first: the first that holds is the steady state. Each tail is
  // screened first by its sum and extremes taken from the end (O(1) a tail); a tail is
  // computed exactly as stated above only when the screen cannot rule it out, so the result is
  // the exact computation's while a long curve takes linear time.
  const size_t n = curve.size();
  std::vector<double> tailSum(n + 1, 0.0), absSum(n + 1, 0.0), low(n + 1, 0.0), high(n + 1, 0.0);
  for (size_t k = 1; k <= n; ++k) {
    const double r = curve[n - k].Rate;
    tailSum[k] = tailSum[k - 1] + r;
    absSum[k] = absSum[k - 1] + std::fabs(r);
    low[k] = k == 1 ? r : std::min(low[k - 1], r);
    high[k] = k == 1 ? r : std::max(high[k - 1], r);
  }
  constexpr double kRounding = 1.2e-16;  // a unit roundoff of double, with room
  auto exactHolds = [&](size_t count, double &mean) {
    const auto tail = curve.last(count);
    mean = 0;
    for (const TRatePoint &p : tail) mean += p.Rate;
    mean /= static_cast<double>(count);
    if (!(mean > 0)) return false;
    const double band = kSteadyBand * mean * (1 + kSteadyAllowance);
    return std::all_of(tail.begin(), tail.end(), [&](const TRatePoint &p) { return std::fabs(p.Rate - mean) <= band; });
  };
  for (size_t count = n; count >= 3; --count) {
    const double c = static_cast<double>(count);
    const double approx = tailSum[count] / c;
    // Both sums lie within count roundings of the exact sum of the rates.
    const double err = 4 * c * kRounding * (absSum[count] / c) + 1e-300;
    const double slack = err + 1e-12 * std::fabs(approx);
    const double widest = kSteadyBand * (approx + err) * (1 + kSteadyAllowance);
    if (approx + err <= 0 || high[count] - (approx + err) > widest + slack ||
        (approx - err) - low[count] > widest + slack)
      continue;  // fails whatever the rounding of its mean
    double mean = 0;
    if (exactHolds(count, mean)) {
      f.SteadyRate = mean;
      f.SteadyCount = static_cast<int>(count);
      break;
    }
  }
  return f;
}

TReportRead ParseReport(const QStringList &lines, const QString &path, int run) {
  return TParser(lines, path, run).Run();
}

TReportRead ReadReport(const QString &path, int run) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    TReportRead out;
    out.Report.File = path;
    out.Error = TReportError{TReportErrorKind::CannotRead, path, 0, file.errorString()};
    return out;
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    TReportRead out;
    out.Report.File = path;
    out.Error = TReportError{TReportErrorKind::CannotRead, path, 0, file.errorString()};
    return out;
  }
  return ParseReport(SplitLines(Cp1252Decode(bytes)), path, run);
}

QString ReportErrorText(const TReportError &e, int offset) {
  auto S = [offset](int n) { return GetLangString(offset, n); };
  QString text;
  switch (e.Kind) {
    case TReportErrorKind::CannotRead:
      text = S(kCannotRead).arg(e.Detail);
      break;
    case TReportErrorKind::NotResultFile:
      text = S(kNotResultFile);
      break;
    case TReportErrorKind::BadHeaderLine:
      text = S(kBadHeaderLine).arg(e.Detail);
      break;
    case TReportErrorKind::FieldCount:
      text = S(kFieldCount).arg(e.Count).arg(e.Expected);
      break;
    case TReportErrorKind::BadField:
      text = S(kBadField).arg(e.Field).arg(QuotedForMessage(e.Detail));
      break;
    case TReportErrorKind::NoSuchRun:
      text = GetLangString(offset, kTextNoSuchRun).arg(e.Field).arg(e.Count);
      break;
  }
  const QString where = e.Line > 0 ? e.File + u':' + QString::number(e.Line) : e.File;
  return where + QStringLiteral(": ") + text;
}

QString ReportWarningText(const TReportWarning &w, int offset) {
  switch (w.Kind) {
    case TReportWarningKind::EarlierRunsSkipped:
      return GetLangString(offset, kEarlierRuns).arg(w.Count).arg(w.Line);
  }
  return QString();
}

QString ReportCsv(const TReport &report) {
  QString out = QLatin1String(kReportCsvHeader) + u'\n';
  for (const TCellReport &c : report.Cells) out += CsvFields(c).join(u';') + u'\n';
  return out;
}

QString ReportTable(const TReport &report) {
  const TReportHeader &h = report.Header;
  const int en = kEnglishOffset;
  QString out;
  auto line = [&out](const QString &label, const QString &value) {
    if (!value.trimmed().isEmpty()) out += label + QStringLiteral(": ") + value + u'\n';
  };
  line(QStringLiteral("Result file"), report.File);
  if (report.Run > 0) {
    const TReportRun &r = report.Runs[static_cast<size_t>(report.Run - 1)];
    line(QStringLiteral("Run"), QStringLiteral("%1 of %2, started %3 %4").arg(report.Run).arg(report.Runs.size()).arg(r.Date, r.Time));
  }
  line(QStringLiteral("Written"), h.Created);
  line(QStringLiteral("Device"),
       h.SerialNumber + QLatin1String(h.DeviceTyp == TDeviceTyp::FIDFPD ? " (FID and FPD)" : " (FID)"));
  line(QStringLiteral("Standard"), h.StandardTextId
                                       ? GetLangString(en, h.StandardTextId)
                                       : QStringLiteral("unknown (chamber ") + h.SetValues.value(0) + u')');
  line(QStringLiteral("Run limit FID"), h.LimitFID);
  if (h.DeviceTyp == TDeviceTyp::FIDFPD) line(QStringLiteral("Run limit FPD"), h.LimitFPD);
  for (const QString &d : h.Description) line(QStringLiteral("Description"), d);

  // Column titles a reader understands; the CSV keeps its short names.
  QList<QStringList> rows{{QStringLiteral("Cell"), QStringLiteral("Detector"), QStringLiteral(">0.1 first"),
                           QStringLiteral(">0.1 at"), QStringLiteral(">1.0 first"), QStringLiteral(">1.0 at"),
                           QStringLiteral("Level"), QStringLiteral("Steady rate"), QStringLiteral("Cum. end"),
                           QStringLiteral("Cum. 30"), QStringLiteral("Cum. 60"), QStringLiteral("Cum. 120"),
                           QStringLiteral("Cum. 240"), QStringLiteral("Cum. 480"), QStringLiteral("Duration")}};
  int shownCell = 0;
  for (const TCellReport &c : report.Cells) {
    if (c.Cell != shownCell) {
      shownCell = c.Cell;
      QString about = c.SampleText.trimmed();
      if (!c.Chemical.trimmed().isEmpty())
        about += (about.isEmpty() ? QString() : QStringLiteral(", ")) + c.Chemical.trimmed();
      if (c.EndsAtBreakthrough)
        about += QStringLiteral("; closed at its breakthrough, run time ") + c.BreakTime.trimmed();
      line(QStringLiteral("Cell %1").arg(c.Cell), about);
    }
    QStringList row = CsvFields(c);
    row[6] = LevelText(c.Figures, en);
    for (QString &field : row)
      if (field.isEmpty()) field = u'-';
    rows << row;
  }
  if (report.Cells.empty()) out += QStringLiteral("No measurement of a sample cell.\n");

  std::vector<qsizetype> widths(rows[0].size(), 0);
  for (const QStringList &row : rows)
    for (qsizetype i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
  out += u'\n';
  for (const QStringList &row : rows) {
    QString text;
    for (qsizetype i = 0; i < row.size(); ++i) {
      if (i > 0) text += QStringLiteral("  ");
      text += i < 2 ? row[i].leftJustified(widths[i]) : row[i].rightJustified(widths[i]);
    }
    out += text + u'\n';
  }
  out += QStringLiteral("\nBreakthrough times in minutes of run time (first evaluation above the limit, and "
                        "interpolated), rates in µg/cm²/min, cumulative permeation in µg/cm².\n");
  return out;
}

}  // namespace zelvo
