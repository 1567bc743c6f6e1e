// The permeation view in the window, reached as the operator reaches it: the switch above the
// chart area, the log toggle, a chosen result file with earlier runs, and a run against the
// simulator in which one cell breaks through.
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "WindowTestSupport.h"
#include "app/Zelvo730_Main.h"
#include "core/Language.h"
#include "core/TextFile.h"
#include "results/Report.h"
#include "results/ReportFixtures.h"
#include "support/Files.h"
#include "ui/PermeationChart.h"
#include "ui/Widgets.h"

using namespace zelvo;
using namespace report_fixtures;

namespace {

template <class T>
T *Find(const TForm1 &form, const char *name) {
  T *w = form.findChild<T *>(QLatin1String(name));
  EXPECT_TRUE(w) << name;
  return w;
}

void ClickNow(QWidget *w) {
  ASSERT_TRUE(w);
  QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, w->rect().center());
  QCoreApplication::processEvents();
}

class PermeationWindow : public WindowOnTestClock {
 protected:
  void SetUp() override {
    WindowOnTestClock::SetUp();
    form.show();
    QCoreApplication::processEvents();
    chart1 = Find<QCustomPlot>(form, "Chart1");
    panel = Find<TPermeationPanel>(form, "PermeationPanel");
    chartSwitch = Find<TChartSwitch>(form, "ChartSwitch");
    ASSERT_TRUE(chart1 && panel && chartSwitch);
  }
  void ShowPermeation() { ClickNow(chartSwitch->PermeationButton()); }

  QCustomPlot *chart1 = nullptr;
  TPermeationPanel *panel = nullptr;
  TChartSwitch *chartSwitch = nullptr;
};

}  // namespace

// Either chart in the one place above the tab area, and both follow the window's size.
TEST_F(PermeationWindow, SwitchSwapsTheChartsInThePlaceOfTheSignalChart) {
  const QTabWidget *tabs = Find<QTabWidget>(form, "PageControl");
  EXPECT_TRUE(chart1->isVisible());
  EXPECT_FALSE(panel->isVisible());
  EXPECT_TRUE(chartSwitch->isVisible());

  ShowPermeation();
  EXPECT_TRUE(panel->isVisible());
  EXPECT_FALSE(chart1->isVisible());
  EXPECT_TRUE(chartSwitch->isVisible()) << "the switch stays above the permeation view";
  EXPECT_TRUE(chartSwitch->PermeationButton()->isChecked());

  for (const QSize grow : {QSize(0, 0), QSize(300, 200)}) {
    SCOPED_TRACE(grow.width());
    form.resize(form.size() + grow);
    QCoreApplication::processEvents();
    const QRect c = chart1->geometry(), p = panel->geometry();
    EXPECT_EQ(p.topLeft(), c.topLeft());
    EXPECT_EQ(p.width(), c.width());
    EXPECT_EQ(p.bottom() + 1, tabs->geometry().top()) << "down to the tab area, the strip in sight";
    EXPECT_EQ(c.right() - chartSwitch->geometry().right(), 10) << "the switch keeps to the top right corner";
    EXPECT_LT(chartSwitch->geometry().bottom(), p.top() + 40);
  }

  ClickNow(chartSwitch->SignalButton());
  EXPECT_TRUE(chart1->isVisible());
  EXPECT_FALSE(panel->isVisible());
  EXPECT_TRUE(chartSwitch->SignalButton()->isChecked());
  EXPECT_TRUE(messages.empty());
}

// On the log scale a rate of 0 sits on the axis floor inside the plot, whether the run has
// rates above 0 or none yet; the toggle goes back to the linear scale.
TEST_F(PermeationWindow, LogToggleWithZeroRates) {
  struct Case {
    const char *name;
    std::vector<Row> rows;
  };
  const Case cases[] = {
      {"zeros beside rates", {{4, 10, 0}, {5, 12, 0.02}, {4, 20, 0}, {5, 22, 0.5}, {4, 30, 0.003}}},
      {"nothing above zero yet", {{4, 10, 0}, {5, 12, 0}, {4, 20, 0}}},
  };
  ShowPermeation();
  auto *chart = Find<TPermeationChart>(form, "PermeationChart");
  auto *log = Find<QCheckBox>(form, "cbPermeationLog");
  ASSERT_TRUE(chart && log);
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    form.Session.Permeation.BeginRun(TDeviceTyp::FID, 0.1, 1.0);
    int aktiv = 1;
    for (const Row &r : c.rows) ASSERT_TRUE(form.Session.Permeation.Add(Record(r, kEnglishOffset, aktiv++)));
    QCoreApplication::processEvents();

    ClickNow(log);
    ASSERT_TRUE(chart->Logarithmic());
    EXPECT_EQ(chart->yAxis->scaleType(), QCPAxis::stLogarithmic);
    EXPECT_GT(chart->LogFloor(), 0);
    for (int g = 0; g < chart->graphCount(); ++g)
      for (auto it = chart->graph(g)->data()->constBegin(); it != chart->graph(g)->data()->constEnd(); ++it)
        EXPECT_GE(it->value, chart->LogFloor()) << "nothing at or below 0 on a log axis";
    const TRatePoint zero = form.Session.Permeation.Curve(1, TDetector::FID)->Points.front();
    ASSERT_EQ(zero.Rate, 0);
    const QPointF at = chart->PixelOf(zero);
    EXPECT_DOUBLE_EQ(at.y(), chart->yAxis->coordToPixel(chart->LogFloor()));
    EXPECT_TRUE(chart->axisRect()->rect().contains(at.toPoint()));
    EXPECT_FALSE(chart->ToolTipAt(at).isEmpty());

    ClickNow(log);
    EXPECT_FALSE(chart->Logarithmic());
    EXPECT_EQ(chart->yAxis->scaleType(), QCPAxis::stLinear);
  }
  EXPECT_TRUE(messages.empty());
}

// A program restarted during a test: the result file chosen again shows its last run, and
// says so above the chart; a file that is not a result file is told in the status bar, with
// no message box.
TEST_F(PermeationWindow, ChosenResultFileShowsItsLastRun) {
  const QString path = dir.filePath(QStringLiteral("probe.csv"));
  const QLocale german(QLocale::German, QLocale::Germany);
  TResultHeader h = fixtures::Header(kGermanOffset, TDeviceTyp::FID, path);
  h.LimitFID = 0.1;
  WriteTextLines(path, ResultHeaderLines(h, german) +
                           MeasurementLines({{4, 2, 0.05}, {5, 4, 0.06}, {4, 6, 0.7, 0, true}}, kGermanOffset,
                                            TDeviceTyp::FID, german) +
                           MeasurementLines({{4, 2, 0.01}, {6, 4, 0.02}, {4, 6, 0.03}}, kGermanOffset,
                                            TDeviceTyp::FID, german));
  QString chosen = path;
  form.FileDialogHook = [&chosen](const TForm1::TFileDialogRequest &) { return chosen; };
  ShowPermeation();
  ClickNow(Find<QPushButton>(form, "btnSpeichern"));
  QCoreApplication::processEvents();

  const TPermeationView &view = form.Session.Permeation;
  EXPECT_EQ(view.SourceRun(), 2);
  EXPECT_EQ(view.SourceRuns(), 2);
  ASSERT_NE(view.Curve(1, TDetector::FID), nullptr);
  EXPECT_EQ(view.Curve(1, TDetector::FID)->Points.size(), 2u);
  EXPECT_EQ(view.Curve(2, TDetector::FID), nullptr) << "cell 2 was measured in the first run only";
  EXPECT_FALSE(view.Breakthrough(1)) << "the first run's breakthrough";
  auto *chart = Find<TPermeationChart>(form, "PermeationChart");
  ASSERT_TRUE(chart);
  EXPECT_EQ(chart->PixelOf(view.Curve(1, TDetector::FID)->Points.back()).x(), chart->xAxis->coordToPixel(6));
  const QString source = Find<QLabel>(form, "lblPermeationSource")->text();
  EXPECT_TRUE(source.contains(QStringLiteral("probe.csv")) && source.contains(u'2')) << source.toStdString();
  EXPECT_EQ(view.LastMinutes(), 6);

  // A file of its header only (a new file) leaves the view as it is.
  chosen = dir.filePath(QStringLiteral("new.csv"));
  ClickNow(Find<QPushButton>(form, "btnSpeichern"));
  EXPECT_EQ(view.Source(), path);

  chosen = dir.filePath(QStringLiteral("other.csv"));
  WriteTextLines(chosen, {QStringLiteral("something else")});
  ClickNow(Find<QPushButton>(form, "btnSpeichern"));
  EXPECT_TRUE(view.Curves().empty());
  const QString told = Find<TStatusBar>(form, "statusbarRun")->Text();
  EXPECT_TRUE(told.contains(QStringLiteral("other.csv"))) << told.toStdString();
  EXPECT_TRUE(messages.empty());
}

#if defined(ZELVO_SIM_PATH)
#include "core/Settings.h"
#include "support/SimBench.h"

namespace {

// Seconds of a run time "hh:nn:ss".
double Seconds(const QString &text) {
  const QStringList p = text.split(u':');
  return p.size() == 3 ? p[0].toInt() * 3600 + p[1].toInt() * 60 + p[2].toInt() : -1;
}

class PermeationWithSimulator : public WithRecordedMessages {};

}  // namespace

// Cells 1 and 2 for two cycles, cell 1 above the limit from its first sample on: the view,
// switched to during the run, marks cell 1's breakthrough at the run time of its first "*"
// line in the result file (not at its later off line) and cell 2 not at all.
TEST_F(PermeationWithSimulator, BrokenCellsMarkAtItsFirstStarLine) {
  testsupport::SimSetup setup;
  setup.Scenario = "[Cell1]\nlag=0\ntau=1\nrate_ss=2\n[Cell2]\nrate_ss=0\n";
  setup.Seed = 5;
  testsupport::SimBench bench(setup);
  ASSERT_TRUE(bench.ok());
  bench.WriteSettings({
      {"Calibration", "FIDCalArea", "200000"},
      {"Measurement", "MeasurementSampleTime/s", "0"},
      {"Measurement", "MeasurementInjectionTime/s", "1"},
      {"Measurement", "MeasurementTimePerCell/s", "10"},
      {"Measurement", "StartingCell", "4"},
      {"Measurement", "NumberOfCells", "2"},
      {"Measurement", "NumberOfCycles", "2"},
      {"Measurement", "LimitFID", "0.1"},
  });
  TForm1 form;
  form.Session.ProgramDirOverride = bench.Dir();
  form.Session.DiagLog.SetEchoToStderr(false);
  form.FormCreate();
  form.show();
  const QString file = bench.Path(QStringLiteral("probe.csv"));
  form.FileDialogHook = [&file](const TForm1::TFileDialogRequest &) { return file; };
  ClickNow(Find<QPushButton>(form, "btnSpeichern"));
  auto *start = Find<QPushButton>(form, "btnStart");
  auto *chartSwitch = Find<TChartSwitch>(form, "ChartSwitch");
  ASSERT_TRUE(start && chartSwitch);
  ClickNow(start);
  ASSERT_FALSE(start->isEnabled()) << "the run did not start";
  ASSERT_TRUE(PumpUntil([&] { return form.Session.Permeation.Evaluations() >= 1; }, 60000));
  ClickNow(chartSwitch->PermeationButton());  // free during the run
  EXPECT_TRUE(Find<TPermeationPanel>(form, "PermeationPanel")->isVisible());
  ASSERT_TRUE(PumpUntil([&] { return start->isEnabled(); }, 180000)) << "the run did not end";
  QCoreApplication::processEvents();

  // The result file: the first line of cell 1 (position 4) marked "*".
  const QStringList lines = ReadTextLines(file);
  double starAt = -1;
  int stars = 0, cellLines = 0;
  bool titles = false;
  for (const QString &line : lines) {
    if (!titles) {
      titles = line.startsWith(QStringLiteral("Cell;"));
      continue;
    }
    const QStringList f = line.split(u';');
    if (f.value(0).toInt() != 4) continue;
    ++cellLines;
    if (f.value(1) != QStringLiteral("*")) continue;
    if (stars++ == 0) starAt = Seconds(f.value(6)) / 60;
  }
  ASSERT_EQ(cellLines, 2);
  ASSERT_EQ(stars, 2) << "the breakthrough and the closed cell's off line";
  ASSERT_GT(starAt, 0);

  const TPermeationView &view = form.Session.Permeation;
  ASSERT_TRUE(view.Breakthrough(1));
  EXPECT_DOUBLE_EQ(view.Breakthrough(1)->Minutes, starAt);
  EXPECT_FALSE(view.Breakthrough(2));
  ASSERT_NE(view.Curve(1, TDetector::FID), nullptr);
  EXPECT_EQ(view.Curve(1, TDetector::FID)->Points.size(), 1u) << "the off line is no point";
  auto *chart = Find<TPermeationChart>(form, "PermeationChart");
  ASSERT_TRUE(chart);
  int marks = 0;
  for (int i = 0; i < chart->itemCount(); ++i) {
    auto *mark = qobject_cast<QCPItemStraightLine *>(chart->item(i));
    if (!mark || !mark->objectName().startsWith(QStringLiteral("breakthrough"))) continue;
    ++marks;
    EXPECT_EQ(mark->objectName(), QStringLiteral("breakthrough1"));
    EXPECT_DOUBLE_EQ(mark->point1->coords().x(), starAt);
  }
  EXPECT_EQ(marks, 1);
}
#endif
