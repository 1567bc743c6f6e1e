// Detector data, the chart and monitoring through the window: data lines into the kept
// signals and the series, monitoring on and off on one and two converters, the scale fields,
// the chart's room above the tab area and on a larger window, zoom and pan, the baselines.
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include "FakeInstrument.h"
#include "WindowTestSupport.h"
#include "core/Clock.h"
#include "core/Language.h"
#include "link/ComPort.h"
#include "ui/Tag.h"

using namespace zelvo;

namespace {

class Monitor : public WindowOnTestClock {
 protected:
  void SetUp() override {
    WindowOnTestClock::SetUp();
    form.Session.DiagLog.SetFile(dir.filePath("Zelvo730.log"));
    form.Session.Run.Messzeit = 60;
  }
  void Drain() {
    form.Session.DataDrainStep();
    DrawChartIfChanged();
  }
  QString Log() const {
    QFile f(dir.filePath("Zelvo730.log"));
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
  }
  static std::vector<QPointF> Points(const QCPGraph *g) {
    std::vector<QPointF> v;
    for (auto it = g->data()->constBegin(); it != g->data()->constEnd(); ++it)
      v.emplace_back(it->key, it->value);
    return v;
  }
};

// Each line in its own tick: the reading, the point's time (its sample number / 10), the
// level field and the sampling flag; a malformed line leaves everything as it was.
TEST_F(Monitor, DataLinesBecomePointsOfTheSignalAndTheChart) {
  const struct {
    const char *line;
    std::optional<int> value;  // nothing: the line is skipped
    bool sampling;
  } cases[] = {
      {"[X1FFFFF", 1048575, true},  // opens the window; the second character is ignored
      {"/X100010", 16, true},       {"/X0FFFFF", 0, true},      // sign flag "0": H - FFFFF
      {"/X000000", -1048575, true}, {"/X100010XYZ", 16, true},  // characters after position 8 do not count
      {"/X1012", 18, true},                                     // a short field: 012
      {"/X1", std::nullopt, true},  {"/X1G0000", std::nullopt, true},
      {"]X1ABCDE", 703710, false},  // a closing line still carries a reading
  };
  std::size_t points = 0;
  QString level;
  for (const auto &c : cases) {
    form.Session.DataQueue1.push_back(QString::fromLatin1(c.line));
    Drain();
    EXPECT_TRUE(form.Session.DataQueue1.empty());
    if (c.value) {
      ++points;
      level = QString::number(*c.value);
      EXPECT_EQ(form.Session.Signal1.Y.back(), *c.value) << c.line;
      EXPECT_EQ(Points(Child<QCPGraph>(form, "Series1")).back(), QPointF((points - 1) / 10.0, *c.value))
          << c.line;
    }
    EXPECT_EQ(form.Session.Signal1.Size(), points) << c.line;
    EXPECT_EQ(Child<QCPGraph>(form, "Series1")->dataCount(), static_cast<int>(points)) << c.line;
    EXPECT_EQ(form.Session.Signal1.Counter, static_cast<int>(points)) << c.line;
    EXPECT_EQ(Child<QLineEdit>(form, "editFIDLevel")->text(), level) << c.line;
    EXPECT_EQ(form.Session.Signal1.Sampling, c.sampling) << c.line;
  }
  EXPECT_EQ(form.Session.Signal1.Malformed, 2);
  EXPECT_TRUE(Log().contains("malformed")) << Log().toStdString();

  // Three lines before one tick: three points a tenth of a second apart, the last one shown.
  for (const char *l : {"/X100001", "/X100002", "/X100003"}) form.Session.DataQueue1.push_back(l);
  Drain();
  const auto p = Points(Child<QCPGraph>(form, "Series1"));
  ASSERT_EQ(p.size(), points + 3);
  EXPECT_EQ(p[points + 2], QPointF((points + 2) / 10.0, 3));
  EXPECT_EQ(Child<QLineEdit>(form, "editFIDLevel")->text(), "3");
}

TEST_F(Monitor, SecondPortIsDrainedOnlyWithTwoConverters) {
  form.Session.DeviceTyp = TDeviceTyp::FID;
  form.Session.DataQueue2.push_back("/X100020");
  Drain();
  EXPECT_EQ(form.Session.DataQueue2.size(), 1u);
  EXPECT_EQ(Child<QCPGraph>(form, "Series2")->dataCount(), 0);
  form.Session.DeviceTyp = TDeviceTyp::FIDFPD;
  Drain();
  EXPECT_TRUE(form.Session.DataQueue2.empty());
  EXPECT_EQ(Points(Child<QCPGraph>(form, "Series2")), std::vector<QPointF>{QPointF(0, 32)});
  EXPECT_EQ(Child<QLineEdit>(form, "editFPDLevel")->text(), "32");
}

// On one converter monitoring never touches port 2: a write there would report the closed
// port.
TEST_F(Monitor, MonitoringOnAndOffWithOneConverter) {
  form.Session.DeviceTyp = TDeviceTyp::FID;
  form.Session.DataQueue2.push_back("/X100020");
  form.Session.DataQueue1.push_back("/X100099");
  Click(Child<QPushButton>(form, "btnMonitor"));
  EXPECT_EQ(TagOf(Child<QPushButton>(form, "btnMonitor")), 57);
  EXPECT_EQ(Child<QPushButton>(form, "btnMonitor")->text(), "Monitoring Off");
  EXPECT_EQ(TakeQueued(form), QStringList({"<12B1100\r", "<12W1100\r", "<12Z1100\r"}));
  EXPECT_TRUE(form.Session.DataQueue1.empty());  // what waited is discarded
  EXPECT_EQ(Child<QCustomPlot>(form, "Chart1")->xAxis->range(), QCPRange(0, 300));
  form.Session.DataQueue1.push_back("[X100064");
  Drain();
  EXPECT_EQ(Points(Child<QCPGraph>(form, "Series1")),
            std::vector<QPointF>{QPointF(0, 100)});  // the first reading at 0 s

  Click(Child<QPushButton>(form, "btnMonitor"));
  EXPECT_EQ(TagOf(Child<QPushButton>(form, "btnMonitor")), 55);
  EXPECT_EQ(Child<QPushButton>(form, "btnMonitor")->text(), "Monitoring On");
  EXPECT_EQ(TakeQueued(form), QStringList{"<12Z0100\r"});
  EXPECT_EQ(Child<QCustomPlot>(form, "Chart1")->xAxis->range(), QCPRange(0, 60));
  EXPECT_EQ(Child<QCPGraph>(form, "Series1")->dataCount(), 0);
  EXPECT_EQ(form.Session.Signal1.Size(), 0u);
  EXPECT_EQ(form.Session.DataQueue2.size(), 1u);
  EXPECT_TRUE(messages.empty());
}

TEST_F(Monitor, MonitoringOnAndOffWithTwoConvertersWritesPortTwoAtOnce) {
  FakeInstrument fpd;
  form.Session.ComPort2->SetDeviceName(fpd.Path());
  ASSERT_TRUE(form.Session.OpenPort(form.Session.ComPort2));
  form.Session.DeviceTyp = TDeviceTyp::FIDFPD;
  form.Session.DataQueue2.push_back("/X100020");
  Drain();
  ASSERT_EQ(Child<QCPGraph>(form, "Series2")->dataCount(), 1);
  form.Session.DataQueue2.push_back("/X100021");

  Click(Child<QPushButton>(form, "btnMonitor"));
  EXPECT_EQ(TakeQueued(form), QStringList({"<12B1100\r", "<12W1100\r", "<12Z1100\r"}));
  EXPECT_TRUE(form.Session.DataQueue2.empty());
  EXPECT_EQ(Child<QCPGraph>(form, "Series2")->dataCount(), 0);
  ASSERT_TRUE(PumpUntil([&] { return fpd.Lines.size() >= 3; }));
  EXPECT_EQ(fpd.Lines, QStringList({"<12B1100", "<12W1100", "<12Z1100"}));

  form.Session.DataQueue2.push_back("[X100001");
  Drain();
  Click(Child<QPushButton>(form, "btnMonitor"));
  EXPECT_EQ(TakeQueued(form), QStringList{"<12Z0100\r"});
  EXPECT_EQ(Child<QCPGraph>(form, "Series2")->dataCount(), 0);
  ASSERT_TRUE(PumpUntil([&] { return fpd.Lines.size() >= 4; }));
  EXPECT_EQ(fpd.Lines.last(), "<12Z0100");
  EXPECT_TRUE(messages.empty());
}

TEST_F(Monitor, ScaleFieldsStoreAPairTheAxisCanShowAndRefuseAnyOther) {
  form.Session.Measurement.Scale = 20000;
  form.Session.Measurement.ScaleMin = 0;
  Child<QCustomPlot>(form, "Chart1")->yAxis->setRange(0, 20000);
  EnterAndLeave(form, Child<QLineEdit>(form, "editScale"), "5000");
  EXPECT_EQ(form.Session.Measurement.Scale, 5000);
  EXPECT_EQ(Child<QCustomPlot>(form, "Chart1")->yAxis->range(), QCPRange(0, 5000));
  EXPECT_EQ(form.Session.Settings().ReadInteger("Measurement", "Scale", 0), 5000);
  EXPECT_TRUE(messages.empty());

  const struct {
    const char *field;
    const char *text;
    const char *shown;  // the field afterwards
  } refused[] = {
      {"editScaleMin", "6000", "0"},  // minimum above the maximum
      {"editScaleMin", "5000", "0"},  // no span at all
      {"editScale", "-10", "5000"},   // maximum below the minimum
      {"editScale", "abc", "abc"},    // no number: the text stays
  };
  for (const auto &r : refused) {
    messages.clear();
    EnterAndLeave(form, Child<QLineEdit>(form, r.field), r.text);
    ASSERT_EQ(messages.size(), 1u) << r.text;
    EXPECT_EQ(messages[0].kind, DialogMessage::Error);
    EXPECT_EQ(Child<QLineEdit>(form, r.field)->text(), r.shown);
    EXPECT_EQ(form.Session.Measurement.Scale, 5000);
    EXPECT_EQ(form.Session.Measurement.ScaleMin, 0);
    EXPECT_EQ(Child<QCustomPlot>(form, "Chart1")->yAxis->range(), QCPRange(0, 5000));
    EXPECT_EQ(form.Session.Settings().ReadInteger("Measurement", "Scale", 0), 5000);
    EXPECT_EQ(form.Session.Settings().ReadString("Measurement", "ScaleMin", "none"), "none");
  }
  EXPECT_EQ(messages[0].text, "'abc' is not a valid integer value");
}

// The tab area covers the chart's lowest 20 pixels: nothing of the chart may be drawn there,
// and the time axis's labels and title are drawn just above, in both languages.
TEST_F(Monitor, TimeAxisLabelsAndTitleStayAboveTheTabArea) {
  for (int offset : {kGermanOffset, kEnglishOffset}) {
    QTemporaryDir settings;
    TForm1 window;  // started in the language
    StartWithoutInstrument(window, settings.path(), offset);
    QCustomPlot *chart = Child<QCustomPlot>(window, "Chart1");
    chart->xAxis->setRange(0, 600);
    const QImage image = chart->toPixmap().toImage();
    const int covered =
        chart->geometry().bottom() - Child<QTabWidget>(window, "PageControl")->geometry().top() + 1;
    ASSERT_EQ(covered, TForm1::kTabOverlap);
    const QRgb background = image.pixel(image.width() / 2, image.height() - 1);
    auto inked = [&](int fromRow, int toRow) {
      int n = 0;
      for (int y = fromRow; y < toRow; ++y)
        for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) != background;
      return n;
    };
    EXPECT_EQ(inked(image.height() - covered, image.height()), 0) << offset;
    // The axis title is the lowest text: it ends in the rows just above the tab area.
    EXPECT_GT(inked(image.height() - covered - 12, image.height() - covered), 0) << offset;
    EXPECT_FALSE(chart->xAxis->label().isEmpty());
  }
}

TEST_F(Monitor, LargerWindowGivesTheChartTheRoomAndKeepsTheTabArea) {
  form.show();
  ASSERT_TRUE(PumpUntil([&] { return form.centralWidget()->size() == QSize(984, 650); }));
  EXPECT_EQ(Child<QCustomPlot>(form, "Chart1")->geometry(), QRect(8, 8, 977, 457));
  form.resize(1920, 1080);
  ASSERT_TRUE(PumpUntil([&] { return form.centralWidget()->size() == QSize(1920, 1080); }));
  EXPECT_EQ(Child<QCustomPlot>(form, "Chart1")->geometry(), QRect(8, 8, 977 + 936, 457 + 430));
  EXPECT_EQ(Child<QTabWidget>(form, "PageControl")->geometry(), QRect(0, 445 + 430, 977, 204));
  form.resize(600, 400);  // never below the designed size
  QApplication::processEvents();
  EXPECT_GE(form.centralWidget()->width(), 984);
  EXPECT_GE(form.centralWidget()->height(), 650);
}

// The wheel zooms the time axis, new data leave the zoom alone, a double-click brings the
// fixed axes back.
TEST_F(Monitor, WheelZoomsTheTimeAxisAndADoubleClickRestoresTheFixedAxes) {
  form.Session.Measurement.Scale = 2000;
  form.Session.Measurement.ScaleMin = -100;
  QCustomPlot *chart = Child<QCustomPlot>(form, "Chart1");
  form.show();  // the chart lays itself out on its shown size
  ASSERT_TRUE(PumpUntil([&] { return chart->axisRect()->width() > 500; }));
  const QPointF inside = chart->axisRect()->center();
  const auto doubleClick = [&] {
    QMouseEvent click(QEvent::MouseButtonDblClick, inside, chart->mapToGlobal(inside), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(chart, &click);
  };
  doubleClick();  // the fixed axes of the values above
  ASSERT_EQ(chart->xAxis->range(), QCPRange(0, 60));
  QWheelEvent wheel(inside, chart->mapToGlobal(inside), QPoint(), QPoint(0, 120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(chart, &wheel);
  const QCPRange zoomed = chart->xAxis->range();
  EXPECT_LT(zoomed.size(), 60);
  EXPECT_EQ(chart->yAxis->range(), QCPRange(-100, 2000));
  form.Session.DataQueue1.push_back("/X100010");
  Drain();
  EXPECT_EQ(chart->xAxis->range(), zoomed);
  doubleClick();
  EXPECT_EQ(chart->xAxis->range(), QCPRange(0, 60));
  EXPECT_EQ(chart->yAxis->range(), QCPRange(-100, 2000));
}

// The baselines are drawn after every paint, each only when its flag says so.
TEST_F(Monitor, BaselinesAreDrawnAfterThePaintAsTheirFlagsSay) {
  QCustomPlot *chart = Child<QCustomPlot>(form, "Chart1");
  chart->xAxis->setRange(0, 60);
  chart->yAxis->setRange(0, 1000);
  form.Session.Peak.FIDStart = 100, form.Session.Peak.FIDEnd = 300, form.Session.Peak.FIDStartLevel = form.Session.Peak.FIDEndLevel = 300;
  form.Session.Fpd.FPDStart = 100, form.Session.Fpd.FPDEnd = 300, form.Session.Fpd.FPDStartLevel = form.Session.Fpd.FPDEndLevel = 700;
  // Dark pixels on the level's row between two times (seconds).
  auto inkOnRow = [&](double level, double from = 10, double to = 30) {
    const QImage image = chart->toPixmap().toImage();
    const int y = static_cast<int>(chart->yAxis->coordToPixel(level));
    const int x0 = static_cast<int>(chart->xAxis->coordToPixel(from));
    const int x1 = static_cast<int>(chart->xAxis->coordToPixel(to));
    int n = 0;
    for (int x = x0; x < x1; ++x) n += qGray(image.pixel(x, y)) < 128;
    return n;
  };
  form.Session.FIDBaseDraw = false;
  form.Session.FPDBaseDraw = true;
  EXPECT_GT(inkOnRow(700), 20);  // dotted: about half of the row
  EXPECT_EQ(inkOnRow(300), 0);
  // The line begins at the peak's start, sample 100 at 10 s: ink just after it, none before.
  EXPECT_GT(inkOnRow(700, 10, 10.5), 0);
  EXPECT_EQ(inkOnRow(700, 5, 9.8), 0);
  form.Session.FIDBaseDraw = true;
  form.Session.FPDBaseDraw = false;
  EXPECT_GT(inkOnRow(300), 20);
  EXPECT_EQ(inkOnRow(700), 0);
}

}  // namespace

namespace {

// A long signal in a zoomed-out view is drawn from the lowest and highest reading of each
// block of samples, in their order, and follows the signal as it grows; zoomed in, every
// point is drawn again.
TEST_F(Monitor, LongSignalInAWideViewIsDrawnFromItsBlocksLowsAndHighs) {
  form.show();
  ASSERT_TRUE(PumpUntil([&] { return Child<QCustomPlot>(form, "Chart1")->axisRect()->width() > 500; }));
  const int n = 300000;
  for (int k = 0; k < n; ++k) {
    const int value =
        static_cast<int>(k * 7919LL % 1000) + (k == 123457 ? 50000 : 0);  // a spike in block 3858
    form.Session.DataQueue1.push_back(QString::asprintf("/X1%05X", value));
  }
  Drain();
  ASSERT_EQ(form.Session.Signal1.Size(), std::size_t(n));
  EXPECT_EQ(Child<QCPGraph>(form, "Series1")->dataCount(), n);  // the fixed axis shows a few thousand points

  auto checkBlocks = [&](std::size_t size) {
    const auto data = Child<QCPGraph>(form, "Series1")->data();
    const int blocks = static_cast<int>((size + 31) / 32);
    ASSERT_EQ(data->size(), 2 * blocks);
    for (int b = 0; b < blocks; ++b) {
      const auto first = form.Session.Signal1.Y.begin() + 32 * b;
      const auto end = form.Session.Signal1.Y.begin() + std::min<std::size_t>(size, 32 * (b + 1));
      const auto lo = std::min_element(first, end), hi = std::max_element(first, end);
      const QCPGraphData p = *data->at(2 * b), q = *data->at(2 * b + 1);
      EXPECT_LE(p.key, q.key) << b;
      EXPECT_EQ(std::min(p.value, q.value), *lo) << b;
      EXPECT_EQ(std::max(p.value, q.value), *hi) << b;
      const double loKey = (lo - form.Session.Signal1.Y.begin()) / 10.0, hiKey = (hi - form.Session.Signal1.Y.begin()) / 10.0;
      EXPECT_EQ(std::min(p.key, q.key), std::min(loKey, hiKey)) << b;
    }
  };
  Child<QCustomPlot>(form, "Chart1")->xAxis->setRange(0, n / 10.0);
  Child<QCustomPlot>(form, "Chart1")->replot();
  checkBlocks(n);
  // New readings extend the last block and open new ones.
  for (int k = 0; k < 50; ++k) form.Session.DataQueue1.push_back(k == 20 ? "/X1186A0" : "/X100001");  // 100000 µV
  Drain();
  Child<QCustomPlot>(form, "Chart1")->replot();
  checkBlocks(n + 50);
  EXPECT_EQ(Child<QCPGraph>(form, "Series1")->data()->constEnd()[-1].value, 1);
  // Zoomed in: every point.
  Child<QCustomPlot>(form, "Chart1")->xAxis->setRange(0, 60);
  Child<QCustomPlot>(form, "Chart1")->replot();
  EXPECT_EQ(Child<QCPGraph>(form, "Series1")->dataCount(), n + 50);
}

}  // namespace
