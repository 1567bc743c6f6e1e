// Detector data into the kept signals and the chart; chart view and monitoring.
#include <qcustomplot.h>

#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <cmath>
#include <functional>

#include "app/Zelvo730_Main.h"
#include "core/Clock.h"
#include "core/Errors.h"
#include "core/Language.h"
#include "core/NumberText.h"
#include "link/Protocol.h"
#include "ui/Dialogs.h"
#include "ui/Tag.h"

using namespace zelvo;

namespace {

constexpr int kTagMonitorOff = 55;  // btnMonitor's tag and caption text while monitoring is off
constexpr int kTagMonitorOn = 57;
constexpr int kTextTime = 82;      // "Zeit"
constexpr int kTextSeconds = 108;  // "sek"

// Draws on the chart's top layer after everything else of a replot, clipped to the plot
// area: the window's hook after each paint.
class TAfterDrawLayer final : public QCPLayerable {
 public:
  TAfterDrawLayer(QCustomPlot *plot, std::function<void(QPainter *)> draw)
      : QCPLayerable(plot, QStringLiteral("overlay")), FDraw(std::move(draw)) {}

 protected:
  void applyDefaultAntialiasingHint(QCPPainter *painter) const override {
    applyAntialiasingHint(painter, mAntialiased, QCP::aeOther);
  }
  QRect clipRect() const override { return mParentPlot->axisRect()->rect(); }
  void draw(QCPPainter *painter) override { FDraw(painter); }

 private:
  std::function<void(QPainter *)> FDraw;
};

// The points a drain appended to the kept signal, appended to its series too.
void AppendToGraph(const TSignalChannel &channel, std::size_t from, QCPGraphDataContainer &data) {
  for (std::size_t i = from; i < channel.Size(); ++i) data.add(QCPGraphData(channel.X[i], channel.Y[i]));
}

void FillGraph(QCPGraphDataContainer &data, const std::vector<double> &x, const std::vector<double> &y) {
  QVector<QCPGraphData> points(static_cast<qsizetype>(std::min(x.size(), y.size())));
  for (qsizetype i = 0; i < points.size(); ++i) points[i] = QCPGraphData(x[i], y[i]);
  data.set(points, true);
}

// Samples per block of the coarse copy, and the samples per pixel column from which on the
// coarse copy is drawn (every column then spans several whole blocks).
constexpr int kBlock = 32;
constexpr int kCoarseFromSamplesPerPixel = 4 * kBlock;

}  // namespace

// One signal series in two resolutions: every point (the series' own data), and per block of
// kBlock samples its lowest and its highest reading in the order they came, built up as the
// signal grows. QCustomPlot's sampling draws each pixel column from the lowest and highest
// value in it, so a column spanning whole blocks looks the same from either copy.
struct TForm1::TChartDetail {
  struct Series {
    QSharedPointer<QCPGraphDataContainer> Full, Coarse;
    std::size_t Done = 0;  // samples of the kept signal in Coarse
    bool InOrder = true;   // times never went back (else only the full copy is drawn)
    int InBlock = 0;       // samples of the last block so far
    QCPGraphData Low, High;

    void Reset() {
      Coarse->clear();
      Done = 0;
      InOrder = true;
      InBlock = 0;
    }
    // Brings the coarse copy up to the kept signal.
    void Follow(const TSignalChannel &signal) {
      if (signal.Size() < Done) Reset();
      for (std::size_t k = Done; k < signal.Size() && InOrder; ++k) {
        const QCPGraphData p(signal.X[k], signal.Y[k]);
        if (k > 0 && signal.X[k] < signal.X[k - 1]) {
          InOrder = false;
          break;
        }
        if (InBlock == 0) {
          Low = High = p;
          Coarse->add(p);
          Coarse->add(p);
        } else {
          if (p.value < Low.value) Low = p;
          if (p.value > High.value) High = p;
          auto last = Coarse->end();
          const bool lowFirst = Low.key <= High.key;
          *(last - 2) = lowFirst ? Low : High;
          *(last - 1) = lowFirst ? High : Low;
        }
        if (++InBlock == kBlock) InBlock = 0;
        Done = k + 1;
      }
    }
  };
  std::array<Series, 2> S;
};

QCPGraphDataContainer &TForm1::SignalGraphData(int port) { return *ChartDetail->S[port == 2 ? 1 : 0].Full; }

void TForm1::ClearSignalGraph(int port) {
  TChartDetail::Series &s = ChartDetail->S[port == 2 ? 1 : 0];
  s.Full->clear();
  s.Reset();
}

// Before every replot (the tick's, and those of zoom and pan): each signal series shows the
// copy that suits the view.
void TForm1::ChooseChartDetail() {
  const QCPRange view = Chart1->xAxis->range();
  const double pixels = std::max(1, Chart1->axisRect()->width());
  for (int port : {1, 2}) {
    TChartDetail::Series &s = ChartDetail->S[port - 1];
    const TSignalChannel &signal = port == 1 ? Session.Signal1 : Session.Signal2;
    QCPGraph *graph = port == 1 ? Series1 : Series2;
    bool coarse = false;
    if (s.InOrder && signal.Size() > kCoarseFromSamplesPerPixel * pixels) {
      const auto first = std::lower_bound(signal.X.begin(), signal.X.end(), view.lower);
      const auto last = std::upper_bound(first, signal.X.end(), view.upper);
      if (last - first > kCoarseFromSamplesPerPixel * pixels) {
        s.Follow(signal);
        coarse = s.InOrder;
      }
    }
    const QSharedPointer<QCPGraphDataContainer> &want = coarse ? s.Coarse : s.Full;
    if (graph->data() != want) graph->setData(want);
    // A wide view is a dense band of vertical strokes: smoothing their edges costs much and
    // shows nothing.
    graph->setAntialiased(!coarse);
  }
}

// ---------------------------------------------------------------------------------------
// Detector data

// The points the session appended to a kept signal, appended to its series too.
void TForm1::AppendSignal(int port, std::size_t first) {
  AppendToGraph(port == 2 ? Session.Signal2 : Session.Signal1, first, SignalGraphData(port));
}

// The slope series' graph (shown once an import has shown it); point j belongs to the
// window centred on sample j + 2.
void TForm1::ShowSlopes() {
  std::vector<double> slopeTimes(Session.Slopes.size());
  for (std::size_t j = 0; j < Session.Slopes.size(); ++j) slopeTimes[j] = (j + 2) / 10.0;
  FillGraph(*Serie3->data(), slopeTimes, Session.Slopes);
}

// ---------------------------------------------------------------------------------------
// Chart

void TForm1::SetupChartView() {
  // The tab area covers the chart's lowest pixels: the time axis keeps its labels and its
  // title above it.
  Chart1->xAxis->setPadding(Chart1->xAxis->padding() + kTabOverlap);
  // The wheel zooms and a drag pans the time axis, also while the stream runs (the axes are
  // never rescaled by new data); a double-click returns to the fixed axes.
  Chart1->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
  Chart1->axisRect()->setRangeDrag(Qt::Horizontal);
  Chart1->axisRect()->setRangeZoom(Qt::Horizontal);
  Chart1->setNoAntialiasingOnDrag(true);
  connect(Chart1, &QCustomPlot::mouseDoubleClick, this, [this](QMouseEvent *) {
    RestoreChartAxes();
    Chart1->replot();
  });
  // However long the series grow, only what a pixel column can show is drawn.
  for (QCPGraph *g : {Series1, Series2, Serie3}) g->setAdaptiveSampling(true);
  ChartDetail = std::make_shared<TChartDetail>();
  for (int i = 0; i < 2; ++i) {
    ChartDetail->S[i].Full = (i == 0 ? Series1 : Series2)->data();
    ChartDetail->S[i].Coarse = QSharedPointer<QCPGraphDataContainer>::create();
  }
  connect(Chart1, &QCustomPlot::beforeReplot, this, [this] { ChooseChartDetail(); });
  new TAfterDrawLayer(Chart1, [this](QPainter *canvas) { Chart1AfterDraw(canvas); });
}

void TForm1::ShowChartCaptions(int offset) {
  Chart1->xAxis->setLabel(GetLangString(offset, kTextTime) + QStringLiteral(" (") +
                          GetLangString(offset, kTextSeconds) + QLatin1Char(')'));
}

void TForm1::RestoreChartAxes() {
  Chart1->xAxis->setRange(0, Session.Monitoring ? kMonitorAxisSeconds : Session.Run.Messzeit);
  Chart1->yAxis->setRange(Session.Measurement.ScaleMin, Session.Measurement.Scale);
}

void TForm1::ChartRedrawStep() {
  if (!ChartDirty) return;
  ChartDirty = false;
  Chart1->replot();
}

void TForm1::ChartReload() {
  for (int port : {1, 2}) {
    ClearSignalGraph(port);
    const TSignalChannel &signal = port == 1 ? Session.Signal1 : Session.Signal2;
    FillGraph(SignalGraphData(port), signal.X, signal.Y);
  }
  ShowSlopes();
  ChartDirty = false;
  Chart1->replot();
}

// The baselines of the last evaluation as dotted straight lines; sample indices are tenths
// of a second on the time axis.
void TForm1::Chart1AfterDraw(QPainter *canvas) {
  const auto baseline = [&](double start, double startLevel, double end, double endLevel,
                            const QColor &color) {
    StartX = std::trunc(Chart1->xAxis->coordToPixel(start / 10));
    StartY = std::trunc(Chart1->yAxis->coordToPixel(startLevel));
    EndX = std::trunc(Chart1->xAxis->coordToPixel(end / 10));
    EndY = std::trunc(Chart1->yAxis->coordToPixel(endLevel));
    canvas->setPen(QPen(color, 2, Qt::DotLine));
    canvas->drawLine(QPointF(StartX, StartY), QPointF(EndX, EndY));
  };
  const TPeakState &peak = Session.Peak;
  const TFpdResult &fpd = Session.Fpd;
  if (Session.FIDBaseDraw)
    baseline(peak.FIDStart, peak.FIDStartLevel, peak.FIDEnd, peak.FIDEndLevel, QColor(90, 0, 0));
  if (Session.FPDBaseDraw) baseline(fpd.FPDStart, fpd.FPDStartLevel, fpd.FPDEnd, fpd.FPDEndLevel, QColor(0, 90, 0));
}

// ---------------------------------------------------------------------------------------
// Scale fields

namespace {

// The whole number in a scale field; a text that is none is shown as the conversion error.
std::optional<int> ScaleValue(TForm1 &form, const QLineEdit *edit) {
  try {
    return StrToInt(edit->text());
  } catch (const EConvertError &e) {
    Dialogs::Error(&form, form.windowTitle(), e.Message());
    return std::nullopt;
  }
}

// The axis cannot show a maximum that is not above the minimum: such a pair is refused
// before anything is stored, and the field shows the value in force again.
bool ScalePairAccepted(TForm1 &form, int minimum, int maximum, QLineEdit *edit, int previous) {
  if (maximum > minimum) return true;
  Dialogs::Error(&form, form.windowTitle(),
                 GetLangString(form.Session.ID, kTextScaleMaxAboveMin).arg(maximum).arg(minimum));
  edit->setText(QString::number(previous));
  return false;
}

}  // namespace

void TForm1::editScaleExit() {
  const std::optional<int> v = ScaleValue(*this, editScale);
  if (!v || !ScalePairAccepted(*this, Session.Measurement.ScaleMin, *v, editScale, Session.Measurement.Scale)) return;
  Session.Measurement.Scale = *v;
  Session.Settings().WriteInteger(QStringLiteral("Measurement"), QStringLiteral("Scale"), Session.Measurement.Scale);
  Chart1->yAxis->setRangeUpper(Session.Measurement.Scale);
  Chart1->replot();
}

void TForm1::editScaleMinExit() {
  const std::optional<int> v = ScaleValue(*this, editScaleMin);
  if (!v || !ScalePairAccepted(*this, *v, Session.Measurement.Scale, editScaleMin, Session.Measurement.ScaleMin)) return;
  Session.Measurement.ScaleMin = *v;
  Session.Settings().WriteInteger(QStringLiteral("Measurement"), QStringLiteral("ScaleMin"), Session.Measurement.ScaleMin);
  Chart1->yAxis->setRangeLower(Session.Measurement.ScaleMin);
  Chart1->replot();
}

// ---------------------------------------------------------------------------------------
// Monitoring: the converters stream outside a run so that the operator can watch them

void TForm1::btnMonitorClick() { Session.MonitorClick(); }

void TForm1::ShowMonitoring(bool on) {
  const int tag = on ? kTagMonitorOn : kTagMonitorOff;
  SetTag(btnMonitor, tag);
  btnMonitor->setText(GetLangString(Session.ID, tag));
  Chart1->xAxis->setRange(0, on ? kMonitorAxisSeconds : Session.Run.Messzeit);
}
