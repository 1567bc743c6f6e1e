#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "ReportFixtures.h"
#include "core/Cp1252.h"
#include "results/Report.h"
#include "results/ReportTexts.h"

using namespace zelvo;
using report_fixtures::Row;

namespace {

const QLocale kGerman(QLocale::German, QLocale::Germany);
const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);

QStringList CsvRows(const TReport &report) {
  QStringList lines = ReportCsv(report).split(u'\n');
  EXPECT_EQ(lines.value(0), QString::fromLatin1(kReportCsvHeader));
  EXPECT_EQ(lines.last(), QString());  // every line ends with LF
  return lines.mid(1, lines.size() - 2);
}

std::vector<TRatePoint> Curve(std::initializer_list<std::pair<double, double>> points) {
  std::vector<TRatePoint> curve;
  for (const auto &[minutes, rate] : points) curve.push_back({minutes, rate, 0, 0});
  return curve;
}

}  // namespace

// Result files with known curves, read back: every figure as the CSV states it. The expected
// values are worked out by hand in the comments (trapezoids from rate 0 at run time 0).
TEST(Report, FiguresOfKnownCurves) {
  struct Case {
    const char *name;
    int id;
    TDeviceTyp typ;
    QLocale locale;
    double limitFid;
    std::vector<Row> rows;
    std::vector<const char *> csv;
    int closedCell;  // the cell whose curve ends at its breakthrough line, 0 for none
  } cases[] = {
      // 15·0.01 + 15·0.03 = 0.6 at 30 min, + 15·0.04 = 1.2 at 45; measured past 30 minutes
      // without a 1.0 crossing: level at least 2. 0.02 lies 40 % off the mean of the last three.
      {"no breakthrough, short, English",
       kEnglishOffset,
       TDeviceTyp::FID,
       kEnglish,
       0.1,
       {{1, 5, 0}, {2, 10, 0}, {4, 15, 0.02}, {4, 30, 0.04}, {4, 45, 0.04}},
       {"1;FID;;;;;≥2;;1.2000;0.6000;;;;;45.00"},
       0},
      // Past 480 minutes without a crossing: level 6. Steady: the last seven at 0.08 (the eighth,
      // 0.05, is 34 % off their mean). Cumulative: 0 to 60, +1.5 to 120, +3.9 to 180, then
      // 4.8 per hour: 10.2 at 240, 29.4 at 480, 34.2 at 540.
      {"no breakthrough past 480 minutes, German",
       kGermanOffset,
       TDeviceTyp::FID,
       kGerman,
       0.1,
       {{5, 60, 0},
        {5, 120, 0.05},
        {5, 180, 0.08},
        {5, 240, 0.08},
        {5, 300, 0.08},
        {5, 360, 0.08},
        {5, 420, 0.08},
        {5, 480, 0.08},
        {5, 540, 0.08}},
       {"2;FID;;;;;6;0.0800;34.2000;0.0000;0.0000;1.5000;10.2000;29.4000;540.00"},
       0},
      // Above both limits at the first evaluation: both crossings at its own time, 8 minutes,
      // so level 0; 8·2.5/2 = 10. The off lines after it are no measurements.
      {"breakthrough at the first evaluation",
       kEnglishOffset,
       TDeviceTyp::FID,
       kEnglish,
       1.0,
       {{1, 2, 0}, {4, 8, 2.5, 0, true}, {1, 14, 0}, {4, 20, 0, 0, true}, {4, 32, 0, 0, true}},
       {"1;FID;8.00;8.00;8.00;8.00;0;;10.0000;;;;;;8.00"},
       1},
      // A run at the 0.1 limit, German texts with decimal points: the curve ends at the
      // breakthrough (40 min, crossing 20 + 0.05·20/0.1 = 30), so the level is only a bound.
      // 0.5 to 20 min, + 10·(0.05 + 0.1)/2 = 1.25 at 30, + 2.0 to 40 = 2.5.
      {"run at the 0.1 limit",
       kGermanOffset,
       TDeviceTyp::FID,
       kEnglish,
       0.1,
       {{5, 20, 0.05}, {5, 40, 0.15, 0, true}, {5, 60, 0, 0, true}, {5, 80, 0, 0, true}},
       {"2;FID;40.00;30.00;;;≥2;;2.5000;1.2500;;;;;40.00"},
       2},
      // 36 hours: the run clock restarts after 23:50 (a zero gas line), so "01:00:00" is
      // 1500 minutes. Crossings: 720 + 0.05·360/0.15 = 840 and 1380 + 0.5·120/1 = 1440 (level 6).
      // 480 lies in the segment 360..720 (0 to 0.05): 120·(0.05/3)/2 = 1. To the end:
      // 9 + 45 + 105 + 120 + 465 + 567 = 1311. Steady: 1.5, 1.6, 1.55.
      {"longer than 24 hours",
       kGermanOffset,
       TDeviceTyp::FID,
       kGerman,
       5.0,
       {{1, 5, 0.01},
        {4, 360, 0},
        {4, 720, 0.05},
        {4, 1080, 0.2},
        {4, 1380, 0.5},
        {1, 1430, 0.01},
        {4, 1500, 1.5},
        {4, 1800, 1.6},
        {4, 2160, 1.55}},
       {"1;FID;1080.00;840.00;1500.00;1440.00;6;1.5500;1311.0000;0.0000;0.0000;0.0000;0.0000;1.0000;2160.00"},
       0},
      // FID and FPD per cell; cell 2 has no line. The FPD crosses 0.1 at the first evaluation;
      // cell 3's FID is flat (steady over all four), its FPD zero (no steady state).
      {"FIDFPD",
       kEnglishOffset,
       TDeviceTyp::FIDFPD,
       kEnglish,
       0.1,
       report_fixtures::kFidFpdRows,
       {std::begin(report_fixtures::kFidFpdCsv), std::end(report_fixtures::kFidFpdCsv)},
       1},
  };
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const QString path = report_fixtures::WriteResultFile(dir.filePath(QStringLiteral("r.csv")), c.id, c.typ,
                                                          c.locale, c.rows, c.limitFid);
    const TReportRead read = ReadReport(path);
    ASSERT_TRUE(read.Ok()) << ReportErrorText(*read.Error, kEnglishOffset).toStdString();
    const TReport &r = read.Report;
    EXPECT_EQ(r.Header.ID, c.id);
    EXPECT_EQ(r.Header.DeviceTyp, c.typ);
    EXPECT_TRUE(r.Warnings.empty());
    QStringList expected;
    for (const char *line : c.csv) expected << QString::fromUtf8(line);
    EXPECT_EQ(CsvRows(r), expected);
    for (const TCellReport &cell : r.Cells) {
      EXPECT_EQ(cell.EndsAtBreakthrough, cell.Cell == c.closedCell) << cell.Cell;
      EXPECT_EQ(cell.Chemical, "Aceton");
      EXPECT_EQ(cell.SampleText, QStringLiteral("Handschuh %1").arg(cell.Cell));
    }
  }
}

TEST(Report, HeaderParticulars) {
  QTemporaryDir dir;
  const QString path =
      report_fixtures::WriteResultFile(dir.filePath(QStringLiteral("h.csv")), kGermanOffset,
                                       TDeviceTyp::FIDFPD, kGerman, report_fixtures::kFidFpdRows);
  const TReportRead read = ReadReport(path);
  ASSERT_TRUE(read.Ok());
  const TReportHeader &h = read.Report.Header;
  EXPECT_EQ(h.SerialNumber, "730-0815");
  EXPECT_EQ(h.Created, "13.03.2023 14:05:09");
  EXPECT_EQ(h.SetValues, QStringList({"27 °C", "100 °C", "150 °C", "200 °C", "600 V"}));
  EXPECT_EQ(h.ActualValues.value(3), "--- ° C");
  EXPECT_EQ(h.LimitFID, "0,10");
  EXPECT_EQ(h.LimitFPD, "0,5");
  EXPECT_EQ(h.FIDCalArea, "45000");
  EXPECT_EQ(h.Messzeit, "60 s");
  EXPECT_EQ(h.Description.value(0), "PVC, 0,5 mm");
  EXPECT_EQ(h.StandardTextId, 9);  // 27 °C: ASTM F 739
  // The curve keeps the lines it came from: cell 1's first evaluation is the second
  // measurement line, after 18 header lines.
  ASSERT_FALSE(read.Report.Cells.empty());
  EXPECT_EQ(read.Report.Cells[0].Curve.front().Line, 20);
  EXPECT_EQ(read.Report.Cells[0].BreakTime, "00:30:00");
}

// Choosing an existing file appends the next run to it: the report covers the last run, from
// where the measurement number starts again, and says so.
TEST(Report, LaterRunInTheSameFile) {
  QTemporaryDir dir;
  const QString path =
      report_fixtures::WriteResultFile(dir.filePath(QStringLiteral("m.csv")), kEnglishOffset, TDeviceTyp::FID,
                                       kEnglish, {{4, 10, 0.5}, {4, 20, 2.0, 0, true}, {4, 30, 0, 0, true}});
  AppendTextLines(path,
                  report_fixtures::MeasurementLines({{1, 5, 0}, {4, 12, 0.02}, {4, 24, 0.02}, {4, 36, 0.02}},
                                                    kEnglishOffset, TDeviceTyp::FID, kEnglish));
  const TReportRead read = ReadReport(path);
  ASSERT_TRUE(read.Ok());
  ASSERT_EQ(read.Report.Warnings.size(), 1u);
  EXPECT_EQ(read.Report.Warnings[0].Count, 2);
  EXPECT_EQ(read.Report.Warnings[0].Line, 21);  // 17 header lines, 3 lines of the first run
  EXPECT_EQ(ReportWarningText(read.Report.Warnings[0], kEnglishOffset),
            "The file holds 2 runs; the report covers the last one (from line 21).");
  // 12·0.01 + 24·0.02 = 0.6; the first run's breakthrough is not this run's.
  EXPECT_EQ(CsvRows(read.Report), QStringList{"1;FID;;;;;≥2;0.0200;0.6000;0.4800;;;;;36.00"});
}

// The boundaries of the definitions on bare curves (minutes, rate).
TEST(Report, FigureBoundaries) {
  struct Case {
    const char *name;
    std::vector<TRatePoint> curve;
    std::optional<double> bt01, bt10;
    const char *level;
    std::optional<double> steady;
    int steadyCount;
  } cases[] = {
      // A rate equal to the limit is no breakthrough; the crossing then lies at that evaluation.
      {"rate equal to the limit", Curve({{10, 0.1}, {20, 1.0}}), 10, std::nullopt, "≥1", std::nullopt, 0},
      {"crossing at exactly 10 minutes", Curve({{5, 0.5}, {15, 1.5}}), 5, 10, "0", std::nullopt, 0},
      {"crossing at exactly 480 minutes", Curve({{470, 0.5}, {490, 1.5}}), 470, 480, "5", std::nullopt, 0},
      {"measured to exactly 480 minutes", Curve({{480, 0.05}}), std::nullopt, std::nullopt, "≥5",
       std::nullopt, 0},
      {"measured past 480 minutes", Curve({{480.5, 0.05}}), std::nullopt, std::nullopt, "6", std::nullopt, 0},
      {"measured 10 minutes or less", Curve({{10, 0.05}}), std::nullopt, std::nullopt, "≥0", std::nullopt, 0},
      // ±10 % holds at its edge although 0.55 − 0.5 is a little more than 0.05 in binary.
      {"steady at the edge of the band", Curve({{10, 0.45}, {20, 0.55}, {30, 0.5}}), 10, std::nullopt, "≥1",
       0.5, 3},
      {"just outside the band", Curve({{10, 0.44}, {20, 0.56}, {30, 0.5}}), 10, std::nullopt, "≥1",
       std::nullopt, 0},
      // The longest tail that holds: all five have mean 0.09, and 0.05 is outside.
      {"longest tail", Curve({{10, 0.05}, {20, 0.1}, {30, 0.105}, {40, 0.095}, {50, 0.1}}), 20, std::nullopt,
       "≥2", 0.1, 4},
      {"two evaluations are no steady state", Curve({{10, 0.05}, {20, 0.05}}), std::nullopt, std::nullopt,
       "≥1", std::nullopt, 0},
      {"zero is no steady state", Curve({{10, 0}, {20, 0}, {30, 0}}), std::nullopt, std::nullopt, "≥1",
       std::nullopt, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const TCellFigures f = ComputeFigures(c.curve);
    ASSERT_EQ(f.Breakthrough[0].has_value(), c.bt01.has_value());
    if (c.bt01) {
      EXPECT_NEAR(f.Breakthrough[0]->Minutes, *c.bt01, 1e-9);
    }
    ASSERT_EQ(f.Breakthrough[1].has_value(), c.bt10.has_value());
    if (c.bt10) {
      EXPECT_NEAR(f.Breakthrough[1]->Minutes, *c.bt10, 1e-9);
    }
    EXPECT_EQ(LevelText(f.Level), QString::fromUtf8(c.level));
    ASSERT_EQ(f.SteadyRate.has_value(), c.steady.has_value());
    if (c.steady) {
      EXPECT_NEAR(*f.SteadyRate, *c.steady, 1e-12);
    }
    EXPECT_EQ(f.SteadyCount, c.steadyCount);
  }
}

// A file that cannot be read names itself and the line at fault, and nothing is reported.
TEST(Report, UnreadableFiles) {
  QTemporaryDir dir;
  const QString good =
      report_fixtures::WriteResultFile(dir.filePath(QStringLiteral("g.csv")), kEnglishOffset, TDeviceTyp::FID,
                                       kEnglish, {{4, 10, 0.5}, {4, 20, 0.6}});
  const QStringList lines = ReadTextLines(good);  // 17 header lines, measurements on 18 and 19
  auto with = [&](int line, const QString &text) {
    QStringList changed = lines;
    changed[line - 1] = text;
    return changed;
  };
  auto field = [&](int line, int f, const QString &text) {
    QStringList fields = lines[line - 1].split(u';');
    fields[f - 1] = text;
    return with(line, fields.join(u';'));
  };
  struct Case {
    const char *name;
    QStringList content;
    TReportErrorKind kind;
    int line;
    const char *message;  // after "PATH:LINE: "
  } cases[] = {
      {"empty file", {}, TReportErrorKind::NotResultFile, 1, "Not a result file of this program"},
      {"not a result file",
       {"a;b;c"},
       TReportErrorKind::NotResultFile,
       1,
       "Not a result file of this program"},
      {"parameter line changed", with(6, "Cells:;3"), TReportErrorKind::BadHeaderLine, 6,
       "Unexpected header line, expected: \"Number of cells:;\""},
      {"header cut short", lines.mid(0, 9), TReportErrorKind::BadHeaderLine, 10,
       "Unexpected header line, expected: \"Time per cell:;\""},
      {"FIDFPD column titles on an FID header", with(17, ColumnTitleLine(kEnglishOffset, TDeviceTyp::FIDFPD)),
       TReportErrorKind::BadHeaderLine, 17,
       "Unexpected header line, expected: \"Cell;Break;Breaktime;Chemical;Factor;Gas flow "
       "(ml/min);Measuretime;"
       "ppm;ppm/rate IsoButan;Area;Sampleinfo;Date;Time\""},
      {"line cut short", with(19, lines[18].left(30)), TReportErrorKind::FieldCount, 19,
       "Measurement line with 7 fields, expected 14"},
      {"run time", field(18, 7, "00:1x:00"), TReportErrorKind::BadField, 18,
       "Measurement line: field 7 (\"00:1x:00\") cannot be read"},
      {"rate", field(19, 9, "0.5.1"), TReportErrorKind::BadField, 19,
       "Measurement line: field 9 (\"0.5.1\") cannot be read"},
      {"position", field(19, 1, "7"), TReportErrorKind::BadField, 19,
       "Measurement line: field 1 (\"7\") cannot be read"},
  };
  const QString path = dir.filePath(QStringLiteral("bad.csv"));
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    QFile::remove(path);
    if (c.content.isEmpty())
      QFile(path).open(QIODevice::WriteOnly);
    else
      WriteTextLines(path, c.content);
    const TReportRead read = ReadReport(path);
    ASSERT_FALSE(read.Ok());
    EXPECT_EQ(read.Error->Kind, c.kind);
    EXPECT_EQ(read.Error->Line, c.line);
    EXPECT_EQ(ReportErrorText(*read.Error, kEnglishOffset).toStdString(),
              (path + u':' + QString::number(c.line) + QStringLiteral(": ") + QString::fromUtf8(c.message))
                  .toStdString());
    EXPECT_TRUE(read.Report.Cells.empty());
  }
  const TReportRead missing = ReadReport(dir.filePath(QStringLiteral("none.csv")));
  ASSERT_FALSE(missing.Ok());
  EXPECT_EQ(missing.Error->Kind, TReportErrorKind::CannotRead);
  EXPECT_EQ(missing.Error->Line, 0);
  EXPECT_TRUE(ReportErrorText(*missing.Error, kEnglishOffset).startsWith(dir.filePath("none.csv") + ": "));
}

TEST(Report, TextsExistInBothLanguages) {
  for (int id = report_text::kTitle; id <= report_text::kLast; ++id) {
    EXPECT_FALSE(GetLangString(kGermanOffset, id).isEmpty()) << id;
    EXPECT_FALSE(GetLangString(kEnglishOffset, id).isEmpty()) << id;
  }
}

// The steady state of long curves equals the definition computed tail by tail (the figures
// screen tails by running sums): plateaus with ripple at the edge of the ±10 % band, steps,
// negative and zero rates.
TEST(Report, SteadyStateEqualsTheDefinitionOnLongCurves) {
  auto reference = [](const std::vector<TRatePoint> &curve) -> std::pair<std::optional<double>, int> {
    for (size_t count = curve.size(); count >= 3; --count) {
      const auto tail = std::span(curve).last(count);
      double mean = 0;
      for (const TRatePoint &p : tail) mean += p.Rate;
      mean /= static_cast<double>(count);
      if (!(mean > 0)) continue;
      const double band = 0.1 * mean * (1 + 1e-9);
      if (std::all_of(tail.begin(), tail.end(), [&](const TRatePoint &p) { return std::fabs(p.Rate - mean) <= band; }))
        return {mean, static_cast<int>(count)};
    }
    return {std::nullopt, 0};
  };
  std::uint32_t seed = 12345;
  auto random = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<double>(seed >> 8) / static_cast<double>(1u << 24);
  };
  for (int trial = 0; trial < 300; ++trial) {
    std::vector<TRatePoint> curve;
    const int n = 3 + static_cast<int>(random() * 400);
    const double plateau = trial % 7 == 0 ? 0 : 0.01 + random();
    const double ripple = 0.08 + 0.04 * random();  // around the band's edge
    for (int i = 0; i < n; ++i) {
      double rate = plateau * (1 + ripple * (2 * random() - 1));
      if (i < n / 3 && trial % 3 == 0) rate = plateau * i / n;  // a rise before the plateau
      if (trial % 11 == 0 && i % 17 == 0) rate = -rate;
      if (trial % 5 == 0 && i % 2 == 0) rate = plateau;  // exact values on the band
      curve.push_back({2.0 * i, rate, 0, 0});
    }
    const TCellFigures f = ComputeFigures(curve);
    const auto [rate, count] = reference(curve);
    EXPECT_EQ(f.SteadyRate, rate) << "trial " << trial;
    EXPECT_EQ(f.SteadyCount, count) << "trial " << trial;
  }
}
