// The permeation report end to end: a run against the simulator whose FID limit lies above
// cell 1's steady rate, so that cell 1 is measured to the end of the run, then zelvo730-report
// on the result file. Its 1.0 crossing, steady-state rate and cumulative permeation are
// compared with the simulator's own curve.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QtTest/QTest>
#include <cmath>
#include <iostream>

#include "WholeBench.h"
#include "app/WindowTestSupport.h"
#include "link/PtyPair.h"

using namespace zelvo;
using namespace whole;

namespace {

// Cell 1: 2.0 µg/cm²/min at steady state, reached with a time constant of 10 s from the run's
// start. Cell 2 reads far above the run's limit of 3 and is closed at its first sample, so that
// cell 1 is sampled every position from then on. Sharp peaks and a sensitive detector, as in
// the FID run.
constexpr double kSteadyRate = 2.0, kTau = 10, kLimit = 3;
constexpr const char *kScenario =
    "[Detector]\napex=2.5\ntail=0.1\ncal_area=1000000\n"
    "[Cell1]\nlag=0\ntau=10\nrate_ss=2.0\n"
    "[Cell2]\nlag=0\ntau=0\nrate_ss=6\n";

// The scenario's rate of cell 1 and its integral (µg/cm² · 60), t in seconds since the run start.
double TruthRate(double t) { return t <= 0 ? 0 : kSteadyRate * (1 - std::exp(-t / kTau)); }
double TruthIntegral(double t) { return t <= 0 ? 0 : kSteadyRate * (t - kTau * (1 - std::exp(-t / kTau))); }

struct ReportRun {
  int Exit = -1;
  QByteArray Out, Err;
};
ReportRun RunReport(const QStringList &args) {
  QProcess p;
  p.start(QStringLiteral(ZELVO_REPORT_PATH), args);
  ReportRun r;
  if (!p.waitForFinished(60000)) return r;
  r.Exit = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.Out = p.readAllStandardOutput();
  r.Err = p.readAllStandardError();
  return r;
}

class WholeReport : public WithRecordedMessages {};

TEST_F(WholeReport, CellMeasuredToItsSteadyStateAgainstTheScenariosCurve) {
  BenchSetup setup;
  setup.First = 4;
  setup.Count = 2;
  setup.Cycles = 26;
  setup.Messzeit = 5;
  setup.LimitFid = kLimit;
  setup.FidCalArea = 1000000;  // the scenario's area of 100 ppm
  setup.Scenario = kScenario;
  Bench bench(setup);
  ASSERT_TRUE(bench.ok());
  TForm1 *form = bench.StartProgram();
  ASSERT_TRUE(form);
  // This run goes through the window: the Save button chose the result file, the Start
  // button starts it.
  QTest::mouseClick(form->findChild<QPushButton *>(QStringLiteral("btnStart")), Qt::LeftButton);
  ASSERT_TRUE(form->Session.Sequencer.RunGoing());
  // 27 positions of about 7.5 s.
  ASSERT_TRUE(bench.WaitForRunEnd(900)) << "the run did not end by itself";
  bench.StopSimulator();

  const ReportRun csv = RunReport({bench.ResultFile(), QStringLiteral("--csv"), QStringLiteral("-")});
  ASSERT_EQ(csv.Exit, 0) << csv.Err.toStdString();
  const QStringList rows = QString::fromUtf8(csv.Out).split(u'\n', Qt::SkipEmptyParts);
  ASSERT_EQ(rows.size(), 3);  // the header, cells 1 and 2
  const QStringList c1 = rows[1].split(u';'), c2 = rows[2].split(u';');
  ASSERT_EQ(c1.value(0), "1");
  // Cell 2 was closed at its first evaluation: its figures are those of that one line.
  EXPECT_EQ(c2.value(0), "2");
  EXPECT_EQ(c2.value(2), c2.value(14));

  // Cell 1: 1.0 crossing, steady state and the cumulative permeation at its last evaluation.
  ASSERT_FALSE(c1.value(5).isEmpty()) << rows[1].toStdString();
  ASSERT_FALSE(c1.value(7).isEmpty()) << "no steady state: " << rows[1].toStdString();
  const double bt10 = c1.value(5).toDouble() * 60, steady = c1.value(7).toDouble(),
               cumEnd = c1.value(8).toDouble(), duration = c1.value(14).toDouble() * 60;
  const std::optional<double> truthBt10 = bench.TruthCrossing(1, 1.0);
  ASSERT_TRUE(truthBt10);
  // One cycle: the time between cell 1's evaluations around the crossing.
  std::vector<double> cell1;
  for (const ResultLine &l : bench.ResultLines())
    if (l.Position == 4) cell1.push_back(l.RunSeconds);
  ASSERT_EQ(cell1.size(), 26u);
  double cycle = 0;
  for (std::size_t i = 1; i < cell1.size() && cycle == 0; ++i)
    if (cell1[i] >= *truthBt10) cycle = cell1[i] - cell1[i - 1];
  ASSERT_GT(cycle, 0);
  EXPECT_LE(std::abs(bt10 - *truthBt10), cycle);
  EXPECT_NEAR(steady, kSteadyRate, kSteadyRate * 0.03);
  // The program's run clock and the simulator's start together at the start command. A line's
  // run time is that of its evaluation, some seconds after its sample was drawn: the measured
  // curve lags the scenario's by that much, which is most of the difference below.
  const double truthCum = TruthIntegral(duration) / 60;
  EXPECT_NEAR(cumEnd, truthCum, truthCum * 0.05);
  EXPECT_NEAR(TruthRate(duration), kSteadyRate, 0.001);  // steady well before the end

  const std::optional<double> runStart = bench.EventTime("run start");
  ASSERT_TRUE(runStart);
  double lastDrawn = 0;
  for (const Injection &in : bench.Injections(1))
    if (in.Position == 4) lastDrawn = in.T - *runStart;
  const double sampledCum = TruthIntegral(lastDrawn) / 60;
  std::cout << "[figures] report, cell 1: 1.0 crossing " << bt10 << " s, truth " << *truthBt10 << " s (cycle "
            << cycle << " s); steady rate " << steady << ", truth " << kSteadyRate << " ("
            << (steady / kSteadyRate - 1) * 100 << " %); cumulative at " << duration << " s " << cumEnd
            << " ug/cm2, truth " << truthCum << " (" << (cumEnd / truthCum - 1) * 100
            << " %); against the scenario up to the last sample, drawn at " << lastDrawn << " s: "
            << (cumEnd / sampledCum - 1) * 100 << " %\n";
  RecordProperty("bt10_error_s", std::to_string(bt10 - *truthBt10));
  RecordProperty("steady_error_percent", std::to_string((steady / kSteadyRate - 1) * 100));
  RecordProperty("cumulative_error_percent", std::to_string((cumEnd / truthCum - 1) * 100));

  // And the report as PDF.
  const QString pdf = bench.Path("report.pdf");
  const ReportRun written = RunReport({bench.ResultFile(), QStringLiteral("--pdf"), pdf});
  EXPECT_EQ(written.Exit, 0) << written.Err.toStdString();
  QFile f(pdf);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_TRUE(f.read(5) == "%PDF-");
}

}  // namespace
