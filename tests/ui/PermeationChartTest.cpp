// The permeation view's widgets: log scale with zero rates, tool tips, breakthrough marks, the
// export, the switch, and both languages' texts in the window's chart area.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>

#include "core/Language.h"
#include "results/PermeationView.h"
#include "results/RecordText.h"
#include "ui/PermeationChart.h"

using namespace zelvo;

namespace {

TMeasurementRecord Evaluation(int position, double minutes, double fid, double fpd, int aktiv, bool star = false) {
  TMeasurementRecord r;
  r.runZelle = position;
  r.Mark = star ? QStringLiteral("*") : QStringLiteral(" ");
  r.BreakTime = star ? ElapsedText(minutes * 60) : QStringLiteral("--:--");
  r.FIDSampleFactor = 1;
  r.Flow = 100;
  r.RunTime = ElapsedText(minutes * 60);
  r.FIDppm = fid * 40;
  r.FIDMessMenge = fid;
  r.FIDArea = fid * 20000 + 5;  // measured even at rate 0
  r.FPDMessMenge = fpd;
  r.FPDArea = fpd * 30000;
  r.runAktiv = aktiv;
  return r;
}

// Three cells on two detectors: cell 1 at rate 0 for its first evaluations, then breaking
// through at 150 min; cells 2 and 3 flat.
void Feed(TPermeationView &view) {
  view.BeginRun(TDeviceTyp::FIDFPD, 1.0, 1.0);
  int aktiv = 1;
  for (int k = 0; k < 10; ++k) {
    const double t = 10 + 15.0 * k;
    const bool last = k == 9;
    view.Add(Evaluation(4, t, k < 3 ? 0 : 0.2 * (k - 2), 0.01 * k, aktiv++, last));
    view.Add(Evaluation(5, t + 5, 0.05, 0.002, aktiv++));
    view.Add(Evaluation(6, t + 10, 0.3, 0, aktiv++));
  }
}

struct Shown {
  TPermeationView view;
  TPermeationPanel panel;
  Shown() {
    Feed(view);
    panel.resize(977, 457);  // the window's chart area
    panel.SetView(&view);
    panel.show();
    QApplication::processEvents();
  }
  TPermeationChart &Chart() { return *panel.Chart(); }
};

void Click(QWidget *w) {
  const QPointF at(w->width() / 2.0, w->height() / 2.0);
  for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QMouseEvent e(type, at, w->mapToGlobal(at), Qt::LeftButton, type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                  Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
  }
}

}  // namespace

TEST(PermeationChart, ZeroRatesOnTheLogScaleSitOnItsFloorMarkedBelow) {
  Shown s;
  TPermeationChart &chart = s.Chart();
  const TRatePoint zero = s.view.Curve(1, TDetector::FID)->Points.front();
  ASSERT_EQ(zero.Rate, 0);

  // Linear: the zero at 0.
  EXPECT_DOUBLE_EQ(chart.PixelOf(zero).y(), chart.yAxis->coordToPixel(0));

  Click(s.panel.LogToggle());  // the operator's toggle
  ASSERT_TRUE(chart.Logarithmic());
  EXPECT_EQ(chart.yAxis->scaleType(), QCPAxis::stLogarithmic);
  // The smallest rate above zero is the FPD's 0.002: the floor is its decade.
  EXPECT_DOUBLE_EQ(chart.LogFloor(), 0.001);
  EXPECT_LT(chart.yAxis->range().lower, chart.LogFloor());
  // Nothing drawn at or below zero on a log axis; the zero inside the plot, on the floor.
  for (int g = 0; g < chart.graphCount(); ++g)
    for (auto it = chart.graph(g)->data()->constBegin(); it != chart.graph(g)->data()->constEnd(); ++it)
      EXPECT_GE(it->value, chart.LogFloor());
  const QPointF at = chart.PixelOf(zero);
  EXPECT_DOUBLE_EQ(at.y(), chart.yAxis->coordToPixel(chart.LogFloor()));
  EXPECT_TRUE(chart.axisRect()->rect().contains(at.toPoint()));
  const QString tip = chart.ToolTipAt(at);
  EXPECT_TRUE(tip.startsWith(QStringLiteral("Zelle 1 FID"))) << tip.toStdString();
  EXPECT_TRUE(tip.contains(QStringLiteral("unter 0,001"))) << tip.toStdString();
  // A rate above the floor says nothing of it.
  const TRatePoint flat = s.view.Curve(3, TDetector::FID)->Points.back();
  EXPECT_FALSE(chart.ToolTipAt(chart.PixelOf(flat)).contains(QStringLiteral("unter")));

  Click(s.panel.LogToggle());
  EXPECT_EQ(chart.yAxis->scaleType(), QCPAxis::stLinear);
}

TEST(PermeationChart, ToolTipMarkAndTimeAxis) {
  Shown s;
  TPermeationChart &chart = s.Chart();
  s.panel.SetLanguage(kEnglishOffset);
  const TRatePoint p = s.view.Curve(1, TDetector::FID)->Points[5];  // 85 min, 0.6
  const QString tip = chart.ToolTipAt(chart.PixelOf(p) + QPointF(2, -2));
  EXPECT_EQ(tip, QStringLiteral("Cell 1 FID\nRun time 1:25 (85.0 min)\nRate 0.600 µg/cm²/min\n24.000 ppm"));
  EXPECT_TRUE(chart.ToolTipAt(chart.PixelOf(p) + QPointF(20, 20)).isEmpty());

  // Cell 1's breakthrough at 145 min: a vertical mark named with its time.
  int marks = 0;
  for (int i = 0; i < chart.itemCount(); ++i) {
    if (auto *text = qobject_cast<QCPItemText *>(chart.item(i)); text && text->text().startsWith(QStringLiteral("Breakthrough"))) {
      EXPECT_EQ(text->text(), QStringLiteral("Breakthrough cell 1: 2:25"));
      EXPECT_DOUBLE_EQ(text->position->key(), 145);
      ++marks;
    }
  }
  EXPECT_EQ(marks, 1);

  // The run is past two hours: hours and minutes; zoomed into the first hour: minutes.
  EXPECT_EQ(chart.xAxis->label(), QStringLiteral("Run time (h:min)"));
  chart.xAxis->setRange(0, 60);
  EXPECT_EQ(chart.xAxis->label(), GetLangString(kEnglishOffset, 143));
  // A new evaluation keeps the operator's zoom; a double-click returns to the whole run.
  QWheelEvent wheel(QPointF(100, 100), chart.mapToGlobal(QPointF(100, 100)), QPoint(), QPoint(0, 120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(&chart, &wheel);
  const QCPRange zoomed = chart.xAxis->range();
  s.view.Add(Evaluation(5, 170, 0.05, 0.002, 99));
  EXPECT_EQ(chart.xAxis->range(), zoomed);
  QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(100, 100), chart.mapToGlobal(QPointF(100, 100)), Qt::LeftButton,
                  Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&chart, &dbl);
  EXPECT_EQ(chart.xAxis->range().lower, 0);
  EXPECT_GE(chart.xAxis->range().upper, 170);
}

TEST(PermeationChart, ExportsPngAndPdf) {
  Shown s;
  QTemporaryDir dir;
  const std::pair<const char *, QByteArray> files[] = {{"view.png", QByteArray("\x89PNG")}, {"view.PDF", QByteArray("%PDF")}};
  for (const auto &[name, magic] : files) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    ASSERT_TRUE(SaveChart(&s.Chart(), path)) << name;
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.read(4).startsWith(magic)) << name;
  }
  EXPECT_FALSE(SaveChart(&s.Chart(), dir.filePath(QStringLiteral("no/such/folder/view.png"))));
}

// The switch by real clicks, and every text of the view in both languages within the window's
// chart area: the strip's columns without a horizontal scroll bar, the buttons' captions whole.
TEST(PermeationChart, SwitchAndBothLanguagesFit) {
  TChartSwitch sw;
  sw.show();
  std::vector<bool> switched;
  QObject::connect(&sw, &TChartSwitch::Switched, [&switched](bool on) { switched.push_back(on); });
  Click(sw.PermeationButton());
  Click(sw.PermeationButton());  // pressed already: no change
  Click(sw.SignalButton());
  EXPECT_EQ(switched, (std::vector<bool>{true, false}));
  EXPECT_FALSE(sw.PermeationShown());

  Shown s;
  for (int offset : {kGermanOffset, kEnglishOffset}) {
    SCOPED_TRACE(offset);
    s.panel.SetLanguage(offset);
    sw.SetLanguage(offset);
    QApplication::processEvents();
    TPermeationStrip &strip = *s.panel.Strip();
    EXPECT_EQ(strip.rowCount(), 6);
    EXPECT_LE(strip.horizontalHeader()->length(), strip.viewport()->width());
    EXPECT_FALSE(strip.horizontalScrollBar()->isVisible());
    for (QAbstractButton *b : {static_cast<QAbstractButton *>(s.panel.LogToggle()),
                               static_cast<QAbstractButton *>(sw.SignalButton()),
                               static_cast<QAbstractButton *>(sw.PermeationButton())})
      EXPECT_GE(b->width(), b->fontMetrics().horizontalAdvance(b->text())) << b->text().toStdString();
  }

  // The first minutes of a run, whose cells are not classified yet (the longest level text).
  s.view.BeginRun(TDeviceTyp::FIDFPD, 1.0, 1.0);
  for (int position = 4; position <= 6; ++position) s.view.Add(Evaluation(position, position, 0.01, 0.001, position));
  for (int offset : {kGermanOffset, kEnglishOffset}) {
    SCOPED_TRACE(offset);
    s.panel.SetLanguage(offset);
    QApplication::processEvents();
    TPermeationStrip &strip = *s.panel.Strip();
    EXPECT_EQ(strip.item(0, 4)->text(), QStringLiteral("–"));
    EXPECT_EQ(strip.item(0, 4)->toolTip(), GetLangString(offset, kTextLevelNotClassified).arg(4));
    EXPECT_LE(strip.horizontalHeader()->length(), strip.viewport()->width());
  }
}

// A view that goes before its chart leaves nothing behind that the chart would draw.
TEST(PermeationChart, OutlivesItsView) {
  TPermeationPanel panel;
  {
    TPermeationView view;
    Feed(view);
    panel.SetView(&view);
    EXPECT_GT(panel.Chart()->graphCount(), 0);
  }
  EXPECT_EQ(panel.Chart()->graphCount(), 0);
  panel.Chart()->xAxis->setRange(0, 30);  // a zoom after it
  panel.Chart()->SetLogarithmic(true);
  panel.Strip()->Refresh();
  EXPECT_EQ(panel.Strip()->rowCount(), 0);
  EXPECT_TRUE(panel.Chart()->ToolTipAt(QPointF(50, 50)).isEmpty());
}
