// The live permeation view's data against the result file and the report of the same lines.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "ReportFixtures.h"
#include "results/PermeationView.h"

using namespace zelvo;
using namespace report_fixtures;

namespace {

void ExpectSameFigures(const TCellFigures &a, const TCellFigures &b) {
  for (size_t k = 0; k < a.Breakthrough.size(); ++k) {
    ASSERT_EQ(a.Breakthrough[k].has_value(), b.Breakthrough[k].has_value()) << "limit " << k;
    if (a.Breakthrough[k]) {
      EXPECT_EQ(a.Breakthrough[k]->FirstMinutes, b.Breakthrough[k]->FirstMinutes);
      EXPECT_EQ(a.Breakthrough[k]->Minutes, b.Breakthrough[k]->Minutes);
    }
  }
  EXPECT_EQ(a.Level.Level, b.Level.Level);
  EXPECT_EQ(a.Level.LowerBound, b.Level.LowerBound);
  EXPECT_EQ(a.SteadyRate, b.SteadyRate);
  EXPECT_EQ(a.SteadyCount, b.SteadyCount);
  EXPECT_EQ(a.CumulativeEnd, b.CumulativeEnd);
  EXPECT_EQ(a.Cumulative, b.Cumulative);
  EXPECT_EQ(a.DurationMinutes, b.DurationMinutes);
}

// The view fed with `rows` one record at a time against the report of the file those records
// make: the same curves point for point, the same figures, a mark where the report's curve ends
// at a breakthrough.
void ExpectViewEqualsReport(const std::vector<Row> &rows, TDeviceTyp typ, double limitFid) {
  TPermeationView view;
  int changes = 0;
  QObject::connect(&view, &TPermeationView::Changed, [&changes] { ++changes; });
  view.BeginRun(typ, limitFid, 1.0);
  int aktiv = 1;
  for (const Row &r : rows) ASSERT_TRUE(view.Add(Record(r, kEnglishOffset, aktiv++)));
  EXPECT_EQ(changes, static_cast<int>(rows.size()) + 1);  // the run's start and every evaluation
  EXPECT_EQ(view.Evaluations(), static_cast<int>(rows.size()));

  TResultHeader h = fixtures::Header(kEnglishOffset, typ, QStringLiteral("x.csv"));
  h.LimitFID = limitFid;
  const QStringList lines =
      ResultHeaderLines(h, QLocale::c()) + MeasurementLines(rows, kEnglishOffset, typ, QLocale::c());
  const TReportRead read = ParseReport(lines, QStringLiteral("x.csv"));
  ASSERT_TRUE(read.Ok());

  const std::vector<const TPermeationCurve *> curves = view.Curves();
  ASSERT_EQ(curves.size(), read.Report.Cells.size());
  for (size_t i = 0; i < curves.size(); ++i) {
    const TPermeationCurve &v = *curves[i];
    const TCellReport &r = read.Report.Cells[i];
    SCOPED_TRACE(QStringLiteral("cell %1 %2").arg(r.Cell).arg(DetectorName(r.Detector)).toStdString());
    EXPECT_EQ(v.Cell, r.Cell);
    EXPECT_EQ(v.Detector, r.Detector);
    ASSERT_EQ(v.Points.size(), r.Curve.size());
    for (size_t k = 0; k < v.Points.size(); ++k) {
      EXPECT_EQ(v.Points[k].Minutes, r.Curve[k].Minutes) << k;
      EXPECT_EQ(v.Points[k].Rate, r.Curve[k].Rate) << k;
      EXPECT_EQ(v.Points[k].Ppm, r.Curve[k].Ppm) << k;
    }
    ExpectSameFigures(v.Figures, r.Figures);
    const auto mark = view.Breakthrough(v.Cell);
    ASSERT_EQ(mark.has_value(), r.EndsAtBreakthrough);
    if (mark) {
      EXPECT_EQ(mark->Minutes, r.Curve.back().Minutes);
      EXPECT_EQ(mark->Time, r.BreakTime.trimmed());
    }
  }
}

}  // namespace

TEST(PermeationView, EqualsTheResultLinesAndTheReport) {
  // Two detectors: cell 1 breaks through on its FPD at 30 min and is closed (its later off lines
  // are no points), cell 3 stays flat.
  ExpectViewEqualsReport(kFidFpdRows, TDeviceTyp::FIDFPD, 0.1);
  // One detector over two midnights of the run clock, a rate with more decimals than the
  // file keeps (the view shows what the file holds), a cell closed before its first line, and
  // a breakthrough at the EN limit at 2950 min followed by off lines.
  ExpectViewEqualsReport({{4, 0, 0.0004},
                          {6, 1, 0, 0, true},
                          {4, 700, 0.12345},
                          {5, 710, 0.2},
                          {4, 1430, 0.3},
                          {5, 1440, 0.25},
                          {4, 1450, 0.6},
                          {5, 2000, 0.26},
                          {4, 2900, 0.95},
                          {4, 2950, 1.4, 0, true},
                          {5, 2960, 0.27},
                          {4, 2970, 0, 0, true},
                          {5, 2980, 0.26}},
                         TDeviceTyp::FID, 1.0);
}

TEST(PermeationView, MarkAtTheFirstEvaluationAboveTheLimitOnly) {
  TPermeationView view;
  view.BeginRun(TDeviceTyp::FID, 0.1, 0);
  int aktiv = 1;
  for (const Row &r : std::vector<Row>{{4, 2, 0.05}, {5, 4, 0.08}, {4, 6, 0.1}, {5, 8, 0.09}})
    view.Add(Record(r, kGermanOffset, aktiv++));
  EXPECT_FALSE(view.Breakthrough(1));  // a rate equal to the limit is none
  EXPECT_FALSE(view.Breakthrough(2));
  view.Add(Record({4, 10, 0.15, 0, true}, kGermanOffset, aktiv++));
  view.Add(Record({4, 12, 0, 0, true}, kGermanOffset, aktiv++));  // the closed cell's off line
  ASSERT_TRUE(view.Breakthrough(1));
  EXPECT_EQ(view.Breakthrough(1)->Minutes, 10);
  EXPECT_EQ(view.Breakthrough(1)->Time, QStringLiteral("00:10:00"));
  EXPECT_EQ(view.Curve(1, TDetector::FID)->Points.size(), 3u);
  EXPECT_EQ(view.Curve(1, TDetector::FPD), nullptr);  // one detector
  EXPECT_EQ(view.Limit(TDetector::FID), 0.1);
  EXPECT_EQ(view.OtherLimits(), std::vector<double>{1.0});
  EXPECT_EQ(view.LastMinutes(), 10);
}

// A program restarted during a test shows the last run of its result file; the next run's
// first evaluation replaces it.
TEST(PermeationView, ResultFileShowsOnlyItsLastRunUntilANewRunStarts) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("probe.csv"));
  const QLocale german(QLocale::German, QLocale::Germany);
  TResultHeader h = fixtures::Header(kGermanOffset, TDeviceTyp::FID, path);
  h.LimitFID = 1.0;
  const QStringList first = MeasurementLines({{4, 2, 5.0}, {5, 4, 6.0}, {4, 6, 7.0, 0, true}}, kGermanOffset,
                                             TDeviceTyp::FID, german);
  const QStringList second =
      MeasurementLines({{4, 2, 0.2}, {6, 4, 0.3}, {4, 6, 0.4}}, kGermanOffset, TDeviceTyp::FID, german);
  WriteTextLines(path, ResultHeaderLines(h, german) + first + second);

  TPermeationView view;
  ASSERT_FALSE(view.LoadFile(path));
  EXPECT_EQ(view.Source(), path);
  EXPECT_EQ(view.SourceRun(), 2);
  EXPECT_EQ(view.SourceRuns(), 2);
  EXPECT_EQ(view.Evaluations(), 3);
  EXPECT_EQ(view.Limit(TDetector::FID), 1.0);
  EXPECT_EQ(view.OtherLimits(), std::vector<double>{0.1});
  ASSERT_NE(view.Curve(1, TDetector::FID), nullptr);
  EXPECT_EQ(view.Curve(1, TDetector::FID)->Points.size(), 2u);
  EXPECT_EQ(view.Curve(1, TDetector::FID)->Points.back().Rate, 0.4);
  EXPECT_EQ(view.Curve(2, TDetector::FID), nullptr);  // measured in the first run only
  EXPECT_FALSE(view.Breakthrough(1));                 // the first run's breakthrough
  EXPECT_EQ(view.Curves().size(), 2u);

  // The restarted program's run counts from 1 again.
  view.Add(Record({5, 2, 0.01}, kGermanOffset, 1));
  EXPECT_TRUE(view.Source().isEmpty());
  EXPECT_EQ(view.Curves().size(), 1u);
  EXPECT_NE(view.Curve(2, TDetector::FID), nullptr);

  // A file that is not a result file empties the view.
  WriteTextLines(path, {QStringLiteral("something else")});
  const auto error = view.LoadFile(path);
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Kind, TReportErrorKind::NotResultFile);
  EXPECT_TRUE(view.Curves().empty());
}
