// The tick's own time:
//   - while it polls an instrument with two converters (the simulator), and the program's
//     start-up time against it;
//   - while both converters stream ten lines a second each into a shown chart that holds
//     1,000, 100,000 and 1,000,000 points per series, with the fixed monitoring axis and with
//     the whole series in view;
//   - the same at 100,000 points per series with the permeation view of a seven-day run
//     hidden and shown, an evaluation arriving every 20th tick, and the redraw after it;
//   - while the simulator floods port 1 at about 1,000 lines a second (monitoring on), with
//     the backlog the tick finds;
// and the memory the kept signals and the chart take per million points.
// Usage: bench_tick [seconds of polling, default 30] [start-ups, default 5] [seconds of flood, default 20]
#include <qcustomplot.h>
#include <time.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QPushButton>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "app/Zelvo730_Main.h"
#include "core/Clock.h"
#include "core/IniFile.h"
#include "core/Settings.h"
#include "results/RecordText.h"
#include "ui/Dialogs.h"
#include "ui/PermeationChart.h"

namespace {

void Pump(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) zelvo::Clock::WaitProcessingEvents(static_cast<int>(ms - t.elapsed()));
}

// The window's tick timer, and one tick as the timer runs it (the timer is stopped after it:
// the bench drives the ticks itself).
QTimer *TickTimer(TForm1 &form) { return form.findChild<QTimer *>(QStringLiteral("Timer1")); }
void Tick(TForm1 &form) {
  QMetaObject::invokeMethod(TickTimer(form), "timeout", Qt::DirectConnection);
  TickTimer(form)->stop();
}

// The time axis while monitoring: the last five minutes.
constexpr double kMonitorAxisSeconds = 300;

double Percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<size_t>(p * (v.size() - 1) + 0.5))];
}

// Each tick's wall time, and the processor time of this thread in it: on a machine shared
// with other work the wall time also holds the moments the thread was preempted.
struct TickTimes {
  std::vector<double> wall, cpu;  // us

  template <class F>
  void Time(F &&tick, bool count = true) {
    timespec c0{}, c1{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &c0);
    QElapsedTimer t;
    t.start();
    tick();
    const double us = t.nsecsElapsed() / 1e3;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &c1);
    if (!count) return;
    wall.push_back(us);
    cpu.push_back((c1.tv_sec - c0.tv_sec) * 1e6 + (c1.tv_nsec - c0.tv_nsec) / 1e3);
  }
};

void PrintTicks(const char *what, const TickTimes &t) {
  std::printf(
      "%-58s %4zu ticks: wall median %6.0f, p99 %6.0f, max %6.0f us | cpu median %6.0f, p99 %6.0f, max %6.0f "
      "us\n",
      what, t.wall.size(), Percentile(t.wall, 0.5), Percentile(t.wall, 0.99),
      *std::max_element(t.wall.begin(), t.wall.end()), Percentile(t.cpu, 0.5), Percentile(t.cpu, 0.99),
      *std::max_element(t.cpu.begin(), t.cpu.end()));
}

// Resident memory of this process in bytes.
double ResidentBytes() {
  QFile f(QStringLiteral("/proc/self/statm"));
  if (!f.open(QIODevice::ReadOnly)) return 0;
  const QList<QByteArray> fields = f.readAll().split(' ');
  return fields.size() > 1 ? fields[1].toDouble() * 4096 : 0;
}

QString DataLine(int sample) {
  const int value = 1000 + (sample % 600 < 20 ? 40 * (sample % 600) : 0);
  return QStringLiteral("/X1%1").arg(value, 5, 16, QChar('0')).toUpper();
}

// Folder with settings and lists for the program against the simulator's links.
void WriteSettings(const QTemporaryDir &dir, const QString &typ, const QString &link1, const QString &link2) {
  zelvo::CreateSettingsFileIfMissing(dir.filePath("Zelvo730.ini"), dir.path());
  zelvo::TIniFile ini(dir.filePath("Zelvo730.ini"));
  ini.WriteString("Language", "Code", "US");
  ini.WriteString("DeviceTyp", "Typ", typ);
  ini.WriteString("Communication", "ComPortA", link1);
  ini.WriteString("Communication", "ComPortB", link2);
  for (const char *list : {"CH-Substanzen.txt", "S-Substanzen.txt"}) {
    QFile f(dir.filePath(list));
    f.open(QIODevice::WriteOnly);
    f.write("Aceton=2,05\r\n");
  }
}

bool StartSim(QProcess &sim, const QStringList &args, const QStringList &links) {
  sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  sim.start(QStringLiteral(ZELVO_SIM_PATH), args);
  if (!sim.waitForStarted(5000)) return false;
  for (int i = 0; i < 500; ++i) {
    if (std::all_of(links.begin(), links.end(), [](const QString &l) { return QFileInfo::exists(l); }))
      return true;
    Pump(10);
  }
  return false;
}

// Polling and start-up against the simulator with two converters.
int PollingAndStartUp(int seconds, int startups) {
  QTemporaryDir dir;
  const QString link1 = dir.filePath("tty1"), link2 = dir.filePath("tty2");
  WriteSettings(dir, "FIDFPD", link1, link2);
  QProcess sim;
  if (!StartSim(sim, {"--port1", link1, "--port2", link2, "--seed", "1"}, {link1, link2})) return 1;

  std::vector<double> startMs;
  for (int i = 0; i < startups; ++i) {
    QElapsedTimer t;
    t.start();
    TForm1 form;
    form.Session.ProgramDirOverride = dir.path();
    form.FormCreate();
    startMs.push_back(t.nsecsElapsed() / 1e6);
    if (!TickTimer(form)->isActive()) {
      std::fprintf(stderr, "start-up did not complete\n");
      return 1;
    }
  }

  // The bench drives the tick itself every 95 ms and times each one.
  TForm1 form;
  form.Session.ProgramDirOverride = dir.path();
  form.FormCreate();
  TickTimer(form)->stop();
  TickTimes ticks;
  QElapsedTimer total;
  total.start();
  while (total.elapsed() < seconds * 1000) {
    ticks.Time([&] { Tick(form); });
    Pump(95);
  }
  sim.terminate();
  sim.waitForFinished(5000);

  std::printf("start-up against the simulator (FIDFPD, 21 requests), %d runs: median %.1f ms, max %.1f ms\n",
              startups, Percentile(startMs, 0.5), *std::max_element(startMs.begin(), startMs.end()));
  PrintTicks("tick while polling two converters", ticks);
  return 0;
}

// The first ticks of a new chart fill the font and label caches; they are not counted.
constexpr int kWarmUpTicks = 10;

// Both converters at ten lines a second: one line per port per tick, the chart shown at
// the window's designed size and redrawn by the tick.
void Streaming() {
  for (int held : {1000, 100000, 1000000}) {
    for (bool wholeInView : {false, true}) {
      TForm1 form;
      form.Session.DiagLog.SetEchoToStderr(false);
      form.Session.DeviceTyp = zelvo::TDeviceTyp::FIDFPD;
      form.Session.Measurement.Scale = 2000;
      form.Session.Measurement.ScaleMin = 0;
      form.show();
      Pump(50);
      // The points held so far, through the drain as the converters' lines.
      for (int k = 0; k < held; ++k) {
        form.Session.DataQueue1.push_back(DataLine(k));
        form.Session.DataQueue2.push_back(DataLine(k));
        if (form.Session.DataQueue1.size() == 1000) form.Session.DataDrainStep();
      }
      form.Session.DataDrainStep();
      auto *chart = form.findChild<QCustomPlot *>(QStringLiteral("Chart1"));
      chart->xAxis->setRange(0, wholeInView ? held / 10.0 + 10 : kMonitorAxisSeconds);
      chart->yAxis->setRange(0, 2000);
      TickTimes ticks;
      for (int tick = -kWarmUpTicks; tick < 300; ++tick) {
        form.Session.DataQueue1.push_back(DataLine(held + tick));
        form.Session.DataQueue2.push_back(DataLine(held + tick));
        ticks.Time([&] { Tick(form); }, tick >= 0);
        QCoreApplication::processEvents();  // the paint of the drawn chart, outside the tick
      }
      char what[96];
      std::snprintf(what, sizeof what, "tick, 2 x 10 lines/s, %7d points per series, %s", held,
                    wholeInView ? "all in view" : "0-300 s axis");
      PrintTicks(what, ticks);
    }
  }
}

// An evaluation of a seven-day run on one detector: positions 1..6 every 2 minutes, the
// cells' rates rising slowly to a plateau below the limit (no cell closes).
zelvo::TMeasurementRecord Evaluation(int k) {
  zelvo::TMeasurementRecord r;
  const int position = k % 6 + 1;
  const double minutes = k * 2.0 / 6.0;
  const double rate = position >= 4 ? 0.05 * (position - 3) / (1 + std::exp(-(minutes - 1500.0 * (position - 3)) / 300))
                                    : 0.001;
  r.runZelle = position;
  r.Mark = QStringLiteral(" ");
  r.BreakTime = position >= 4 ? QStringLiteral("--:--") : QString();
  r.sChemikalie = QStringLiteral("Aceton");
  r.FIDSampleFactor = 1;
  r.Flow = 100;
  r.RunTime = zelvo::ElapsedText(minutes * 60);
  r.FIDppm = rate * 40;
  r.FIDMessMenge = rate;
  r.FIDArea = 1000 + rate * 20000;
  r.SampleText = QStringLiteral("Handschuh");
  r.runAktiv = k + 1;
  return r;
}

// The streaming tick at 100,000 points per series (0-300 s axis) while the view holds a
// seven-day run, with the signal chart shown and with the permeation view shown (by the
// switch, as the operator does it). Every 20th tick brings the next evaluation, as the run
// does; the permeation chart draws it after the tick, which is timed on its own.
void PermeationShownAndHidden() {
  constexpr int kHeld = 100000, kEvaluations = 7 * 1440 / 2 * 6;
  for (bool shown : {false, true}) {
    TForm1 form;
    form.Session.DiagLog.SetEchoToStderr(false);
    form.Session.DeviceTyp = zelvo::TDeviceTyp::FID;
    form.Session.Measurement.Scale = 2000;
    form.Session.Measurement.ScaleMin = 0;
    form.show();
    Pump(50);
    // The points held so far, through the drain as the converters' lines.
    for (int k = 0; k < kHeld; ++k) {
      form.Session.DataQueue1.push_back(DataLine(k));
      form.Session.DataQueue2.push_back(DataLine(k));
      if (form.Session.DataQueue1.size() == 1000) form.Session.DataDrainStep();
    }
    form.Session.DataDrainStep();
    auto *chart = form.findChild<QCustomPlot *>(QStringLiteral("Chart1"));
    chart->xAxis->setRange(0, kMonitorAxisSeconds);
    chart->yAxis->setRange(0, 2000);
    form.Session.Permeation.BeginRun(zelvo::TDeviceTyp::FID, 0.1, 0);
    int k = 0;
    for (; k < kEvaluations; ++k) form.Session.Permeation.Add(Evaluation(k));
    if (shown) form.findChild<zelvo::TChartSwitch *>(QStringLiteral("ChartSwitch"))->PermeationButton()->click();
    Pump(50);
    TickTimes ticks;
    std::vector<double> redraws;
    for (int tick = -kWarmUpTicks; tick < 300; ++tick) {
      form.Session.DataQueue1.push_back(DataLine(kHeld + tick));
      const bool evaluation = tick % 20 == 0;
      ticks.Time(
          [&] {
            Tick(form);
            if (evaluation) form.Session.Permeation.Add(Evaluation(k++));  // as the run's evaluation does
          },
          tick >= 0);
      QElapsedTimer after;
      after.start();
      QCoreApplication::processEvents();  // the paint of the drawn charts, outside the tick
      if (evaluation && tick >= 0) redraws.push_back(after.nsecsElapsed() / 1e3);
    }
    PrintTicks(shown ? "tick, 10 lines/s, 100000 points, permeation view shown"
                     : "tick, 10 lines/s, 100000 points, permeation view hidden",
               ticks);
    std::printf("%-58s %4zu evaluations: after the tick median %6.0f, max %6.0f us\n",
                shown ? "permeation redraw (7 days, 6 positions), view shown" : "permeation redraw, view hidden",
                redraws.size(), Percentile(redraws, 0.5), *std::max_element(redraws.begin(), redraws.end()));
  }
}

// A million readings through the drain into the kept signal and its series.
void Memory() {
  TForm1 form;
  form.Session.DiagLog.SetEchoToStderr(false);
  const double before = ResidentBytes();
  for (int k = 0; k < 1000000; ++k) {
    form.Session.DataQueue1.push_back(DataLine(k));
    if (form.Session.DataQueue1.size() == 1000) form.Session.DataDrainStep();
  }
  form.Session.DataDrainStep();
  const double after = ResidentBytes();
  std::printf("memory per million points of one detector (kept signal + chart series): %.1f MB\n",
              (after - before) / 1e6);
}

// The simulator floods port 1 while monitoring is on; the tick runs every 95 ms as it does
// in the program, and the backlog it finds is recorded.
int Flood(int seconds) {
  QTemporaryDir dir;
  const QString link1 = dir.filePath("tty1");
  WriteSettings(dir, "FID", link1, dir.filePath("tty2"));
  QProcess sim;
  if (!StartSim(sim, {"--port1", link1, "--seed", "1", "--rate", "1000"}, {link1})) return 1;
  TForm1 form;
  form.Session.ProgramDirOverride = dir.path();
  form.FormCreate();
  if (!TickTimer(form)->isActive()) return 1;
  TickTimer(form)->stop();
  form.show();
  form.findChild<QPushButton *>(QStringLiteral("btnMonitor"))->click();
  TickTimes ticks;
  std::size_t backlogMax = 0;
  std::vector<double> backlog;
  QElapsedTimer total;
  total.start();
  std::size_t startPoints = 0;
  double startAt = -1;
  while (total.elapsed() < seconds * 1000) {
    if (startAt < 0 && form.Session.Signal1.Size() > 0) {  // the stream runs: count from here
      startAt = total.elapsed() / 1000.0;
      startPoints = form.Session.Signal1.Size();
    }
    backlog.push_back(static_cast<double>(form.Session.DataQueue1.size()));
    backlogMax = std::max(backlogMax, form.Session.DataQueue1.size());
    ticks.Time([&] { Tick(form); });
    Pump(95);
  }
  const double streamed = total.elapsed() / 1000.0 - startAt;
  const std::size_t drained = form.Session.Signal1.Size() - startPoints;
  sim.terminate();
  sim.waitForFinished(5000);
  PrintTicks("tick while the simulator floods port 1 (--rate 1000)", ticks);
  std::printf(
      "flood: %.0f lines/s drained over %.1f s; lines waiting at a tick: median %.0f, max %zu; "
      "left at the end %zu\n",
      drained / streamed, streamed, Percentile(backlog, 0.5), backlogMax, form.Session.DataQueue1.size());
  return 0;
}

}  // namespace

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int seconds = argc > 1 ? atoi(argv[1]) : 30;
  const int startups = argc > 2 ? atoi(argv[2]) : 5;
  const int flood = argc > 3 ? atoi(argv[3]) : 20;
  zelvo::Dialogs::SetSink(
      [](const zelvo::DialogMessage &m) { std::fprintf(stderr, "message: %s\n", qPrintable(m.text)); });

  Memory();
  Streaming();
  PermeationShownAndHidden();
  if (Flood(flood) != 0) return 1;
  return PollingAndStartUp(seconds, startups);
}
