// The live permeation view over a seven-day run: six positions every 2 minutes (cells 4..6 on
// both detectors, about 5,000 evaluations per cell), fed one evaluation at a time to the
// view's data, then the chart redrawn at the window's chart size.
//
// Prints the time the data take per evaluation (mean, and the slowest, which comes late in
// the run when the curves are long) and the time of one redraw of the whole run (curves
// rebuilt from the data and painted), linear and logarithmic. The chart redraws only when an
// evaluation arrives, every 20 s of the run at most, never per tick.
//
// Usage: bench_permeation [days] [redraws] [picture.png]   (default 7 and 20; the picture is
// the panel at the end, in English, logarithmic)
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "results/PermeationView.h"
#include "results/RecordText.h"
#include "ui/PermeationChart.h"

using namespace zelvo;

namespace {

// A rate that rises to a plateau with a few per cent of ripple, as a glove material slowly
// giving way: the steady-state search has work to do at every evaluation.
double RateOf(int cell, double minutes) {
  const double plateau = 0.02 + 0.03 * cell;
  const double rise = plateau / (1 + std::exp(-(minutes - 1500.0 * cell) / 300));
  return rise * (1 + 0.04 * std::sin(minutes / 7.0 + cell));
}

// A cell whose rate passed the run's limit (0.1) is closed: its later lines are off lines.
bool closed[3] = {false, false, false};

TMeasurementRecord Evaluation(int position, double minutes, int aktiv) {
  TMeasurementRecord r;
  const int cell = position - 4;
  r.runZelle = position;
  r.BreakTime = position >= 4 ? QStringLiteral("--:--") : QString();
  r.sChemikalie = QStringLiteral("Aceton");
  r.FIDSampleFactor = 1;
  r.Flow = 100;
  r.RunTime = ElapsedText(minutes * 60);
  const double rate = position >= 4 ? RateOf(position - 3, minutes) : 0.001;
  r.FIDppm = rate * 40;
  r.FIDMessMenge = rate;
  r.FIDArea = 1000 + rate * 20000;
  r.FPDMessMenge = rate / 3;
  r.FPDArea = 500 + rate * 10000;
  r.SampleText = QStringLiteral("Handschuh");
  r.runAktiv = aktiv;
  if (cell >= 0 && (closed[cell] || rate > 0.1)) {
    r.Mark = QStringLiteral("*");
    if (closed[cell]) r.FIDppm = r.FIDMessMenge = r.FIDArea = r.FPDMessMenge = r.FPDArea = 0;
    r.BreakTime = ElapsedText(minutes * 60);
    closed[cell] = true;
  }
  return r;
}

}  // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  const double days = argc > 1 ? std::atof(argv[1]) : 7;
  const int redraws = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;

  TPermeationView view;
  view.BeginRun(TDeviceTyp::FIDFPD, 0.1, 0.1);
  const int rounds = static_cast<int>(days * 1440 / 2 * 6);  // every position every 2 min
  std::vector<double> micros;
  micros.reserve(static_cast<size_t>(rounds));
  QElapsedTimer timer;
  int aktiv = 1;
  for (int k = 0; k < rounds; ++k) {
    const int position = k % 6 + 1;
    const double minutes = k * 2.0 / 6.0;
    const TMeasurementRecord r = Evaluation(position, minutes, aktiv++);
    timer.start();
    view.Add(r);
    micros.push_back(static_cast<double>(timer.nsecsElapsed()) / 1000.0);
  }
  double sum = 0, cellSum = 0;
  int cellCount = 0;
  for (int k = 0; k < rounds; ++k) {
    sum += micros[static_cast<size_t>(k)];
    if (k % 6 >= 3) {
      cellSum += micros[static_cast<size_t>(k)];
      ++cellCount;
    }
  }
  const double slowest = *std::max_element(micros.begin(), micros.end());
  size_t points = 0;
  for (const TPermeationCurve *c : view.Curves()) points += c->Points.size();
  std::printf("run: %.1f days, %d evaluations, %zu curves, %zu points (%zu per curve)\n", days, rounds,
              view.Curves().size(), points, view.Curves().empty() ? size_t(0) : points / view.Curves().size());
  std::printf("data update per evaluation: mean %.1f us (sample cells %.1f us), slowest %.1f us\n",
              sum / rounds, cellCount ? cellSum / cellCount : 0.0, slowest);

  TPermeationPanel panel;
  panel.resize(977, 457);  // the window's chart area
  panel.SetView(&view);
  panel.show();
  app.processEvents();
  TPermeationChart &chart = *panel.Chart();
  for (const bool log : {false, true}) {
    chart.SetLogarithmic(log);
    std::vector<double> ms;
    for (int i = 0; i < redraws; ++i) {
      timer.start();
      chart.Refresh();
      chart.replot(QCustomPlot::rpImmediateRefresh);
      ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("redraw of the whole run (%s): median %.1f ms, slowest %.1f ms (%d redraws, %dx%d px)\n",
                log ? "log" : "linear", ms[ms.size() / 2], ms.back(), redraws, chart.width(), chart.height());
  }
  {
    std::vector<double> chartMs, stripMs;
    for (int i = 0; i < redraws; ++i) {
      timer.start();
      chart.Refresh();
      chartMs.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
      timer.start();
      panel.Strip()->Refresh();
      stripMs.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(chartMs.begin(), chartMs.end());
    std::sort(stripMs.begin(), stripMs.end());
    std::printf("of which curves rebuilt (no paint): median %.1f ms; figures strip: median %.1f ms\n",
                chartMs[chartMs.size() / 2], stripMs[stripMs.size() / 2]);
  }
  // One more evaluation arriving: data, curves rebuilt, painted.
  std::vector<double> ms;
  for (int i = 0; i < redraws; ++i) {
    const double minutes = rounds * 2.0 / 6.0 + i * 2.0;  // cell 1, every 2 min
    timer.start();
    view.Add(Evaluation(4, minutes, aktiv++));
    chart.replot(QCustomPlot::rpImmediateRefresh);
    ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
  }
  std::sort(ms.begin(), ms.end());
  std::printf("an evaluation arriving at the end (data, chart, strip, paint): median %.1f ms, slowest %.1f ms\n",
              ms[ms.size() / 2], ms.back());
  if (argc > 3) {
    panel.SetLanguage(1000);
    app.processEvents();
    std::printf("picture %s: %s\n", argv[3], panel.grab().save(QString::fromLocal8Bit(argv[3])) ? "saved" : "not saved");
  }
  return 0;
}
