// The tick's own time while it polls an instrument with two converters (the simulator), and
// the program's start-up time against it.
// Usage: bench_tick [seconds of polling, default 30] [start-ups, default 5]
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/Zelvo730_Main.h"
#include "core/Clock.h"
#include "core/IniFile.h"
#include "core/Settings.h"
#include "ui/Dialogs.h"

namespace {

void Pump(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) zelvo::Clock::WaitProcessingEvents(static_cast<int>(ms - t.elapsed()));
}

double Percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<size_t>(p * (v.size() - 1) + 0.5))];
}

}  // namespace

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int seconds = argc > 1 ? atoi(argv[1]) : 30;
  const int startups = argc > 2 ? atoi(argv[2]) : 5;
  zelvo::Dialogs::SetSink([](const zelvo::DialogMessage &m) { std::fprintf(stderr, "message: %s\n", qPrintable(m.text)); });

  QTemporaryDir dir;
  const QString link1 = dir.filePath("tty1"), link2 = dir.filePath("tty2");
  zelvo::CreateSettingsFileIfMissing(dir.filePath("Zelvo730.ini"), dir.path());
  zelvo::TIniFile ini(dir.filePath("Zelvo730.ini"));
  ini.WriteString("Language", "Code", "US");
  ini.WriteString("DeviceTyp", "Typ", "FIDFPD");
  ini.WriteString("Communication", "ComPortA", link1);
  ini.WriteString("Communication", "ComPortB", link2);
  for (const char *list : {"CH-Substanzen.txt", "S-Substanzen.txt"}) {
    QFile f(dir.filePath(list));
    f.open(QIODevice::WriteOnly);
    f.write("Aceton=2,05\r\n");
  }
  QProcess sim;
  sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  sim.start(QStringLiteral(ZELVO_SIM_PATH), {"--port1", link1, "--port2", link2, "--seed", "1"});
  if (!sim.waitForStarted(5000)) return 1;
  for (int i = 0; i < 500 && !(QFileInfo::exists(link1) && QFileInfo::exists(link2)); ++i) Pump(10);

  // Start-up: construction and the whole start-up sequence, to the tick enabled.
  std::vector<double> startMs;
  for (int i = 0; i < startups; ++i) {
    QElapsedTimer t;
    t.start();
    TForm1 form;
    form.ProgramDirOverride = dir.path();
    form.FormCreate();
    startMs.push_back(t.nsecsElapsed() / 1e6);
    if (!form.Timer1->isActive()) {
      std::fprintf(stderr, "start-up did not complete\n");
      return 1;
    }
  }

  // Polling: the bench drives the tick itself every 95 ms and times each one.
  TForm1 form;
  form.ProgramDirOverride = dir.path();
  form.FormCreate();
  form.Timer1->stop();
  std::vector<double> tickUs;
  QElapsedTimer total;
  total.start();
  while (total.elapsed() < seconds * 1000) {
    QElapsedTimer t;
    t.start();
    form.Timer1Timer();
    tickUs.push_back(t.nsecsElapsed() / 1e3);
    form.Timer1->stop();
    Pump(95);
  }
  sim.terminate();
  sim.waitForFinished(5000);

  std::printf("start-up against the simulator (FIDFPD, 21 requests), %d runs: median %.1f ms, max %.1f ms\n",
              startups, Percentile(startMs, 0.5), *std::max_element(startMs.begin(), startMs.end()));
  std::printf("tick while polling two converters, %zu ticks: median %.1f us, p99 %.1f us, max %.1f us\n",
              tickUs.size(), Percentile(tickUs, 0.5), Percentile(tickUs, 0.99),
              *std::max_element(tickUs.begin(), tickUs.end()));
  return 0;
}
