#pragma once
// The permeation view's widgets: the chart of every cell's rate over the run time, the figures
// strip (one line per cell and detector), the panel holding both with the log toggle, and the
// switch between the signal chart and the permeation view. They draw a TPermeationView and
// redraw only when it reports a change or the operator changes the view; nothing here runs
// on the tick.
#include <qcustomplot.h>

#include <QPointer>
#include <QTableWidget>
#include <QWidget>
#include <functional>

#include "results/PermeationView.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace zelvo {

// Saves what the chart shows as PNG, or as PDF when the name ends in ".pdf" (any case). The
// file is written whole or not at all.
bool SaveChart(QCustomPlot *plot, const QString &path);

// Gives a chart the context menu "save as PNG" / "save as PDF": a file dialog that does not
// wait (the tick goes on), then SaveChart. `offset` gives the language at the time of the
// menu; `told` gets "… saved" or "… cannot be saved" for the status bar.
void AddChartExportMenu(QCustomPlot *plot, std::function<int()> offset, std::function<void(const QString &)> told);

class TPermeationChart : public QCustomPlot {
  Q_OBJECT

 public:
  explicit TPermeationChart(QWidget *parent = nullptr);

  // The data drawn; the chart follows its Changed signal. The view must outlive the chart or
  // be set to nullptr first.
  void SetView(const TPermeationView *view);
  void SetLanguage(int offset);  // texts and number format
  void SetLogarithmic(bool on);
  bool Logarithmic() const { return fLog; }
  // Rebuilds the curves from the view and redraws (queued: several calls draw once). A view
  // zoomed or panned by the operator keeps its range; otherwise it shows the whole run.
  void Refresh();
  // The time axis back over the whole run (and the rate axis over every point).
  void ShowWholeRun();

  // The rate at the bottom of the log scale: a rate at or below it is drawn on it.
  double LogFloor() const { return fFloor; }
  // The tool tip of the marker nearest to the widget position `pixel` (within a few pixels),
  // or an empty text.
  QString ToolTipAt(const QPointF &pixel) const;
  // Where an evaluation is drawn, in widget pixels (for tests and tool tips).
  QPointF PixelOf(const TRatePoint &point) const;

 signals:
  void Told(const QString &text);  // for the status bar: an export saved or failed
  void LogarithmicChanged(bool on);

 protected:
  bool event(QEvent *event) override;

 private:
  QString S(int id) const;
  QString Rate(double rate) const;
  double Shown(double rate) const;  // the rate as drawn on the current scale
  void UpdateTimeAxis();
  void FitRates();

  QPointer<const TPermeationView> fView;
  int fOffset = 0;
  QLocale fLocale;
  bool fLog = false;
  bool fFollow = true;  // the time axis follows the run
  double fFloor = 1e-3;
  double fMaxRate = 0, fMinRate = 0;
  QSharedPointer<class TRunTimeTicker> fTicker;
  struct TLines {
    QCPGraph *Line, *Below;  // the curve, its points below the log floor (or nullptr)
    const TPermeationCurve *Curve;
  };
  std::vector<TLines> fLines;
};

// One line per cell and detector: last rate, first evaluation above 0.1 and 1.0 with the
// interpolated crossing, the EN ISO 374-1 level so far ("≥n" while measured below its time),
// cumulative permeation and the steady-state rate once reached.
class TPermeationStrip : public QTableWidget {
  Q_OBJECT

 public:
  explicit TPermeationStrip(QWidget *parent = nullptr);
  void SetView(const TPermeationView *view);
  void SetLanguage(int offset);
  void Refresh();

 private:
  QPointer<const TPermeationView> fView;
  int fOffset = 0;
};

// The permeation view as the window shows it: the log toggle and the shown run's source
// above the chart, the figures strip below.
class TPermeationPanel : public QWidget {
  Q_OBJECT

 public:
  explicit TPermeationPanel(QWidget *parent = nullptr);
  void SetView(const TPermeationView *view);
  void SetLanguage(int offset);

  TPermeationChart *Chart() const { return fChart; }
  TPermeationStrip *Strip() const { return fStrip; }
  QCheckBox *LogToggle() const { return fLog; }

 private:
  void ShowSource();
  QPointer<const TPermeationView> fView;
  int fOffset = 0;
  QCheckBox *fLog;
  QLabel *fSource;
  TPermeationChart *fChart;
  TPermeationStrip *fStrip;
};

// The switch above the chart area: "Signal" or "Permeation", one of them pressed.
class TChartSwitch : public QWidget {
  Q_OBJECT

 public:
  explicit TChartSwitch(QWidget *parent = nullptr);
  void SetLanguage(int offset);
  bool PermeationShown() const;
  void ShowPermeation(bool on);  // no signal
  QPushButton *SignalButton() const { return fSignal; }
  QPushButton *PermeationButton() const { return fPermeation; }

 signals:
  void Switched(bool permeation);  // by the operator

 private:
  QPushButton *fSignal, *fPermeation;
};

}  // namespace zelvo
