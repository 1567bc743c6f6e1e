// The soak: the program's window (its start-up, tick, ports, evaluation and files, as in the
// program) against the simulated FIDFPD instrument for a long time, with faults switched on
// at a low rate: garbage bytes, malformed data lines and lost lines from the simulator's
// scenario, and from here a stall now and then and the adapter pulled and plugged in again.
// Runs are started by the instrument (":QS") and restarted after every reconnection.
// At the end it prints the figures: evaluations, result lines written, malformed lines
// skipped, reconnects, the tick's 99th percentile and maximum, resident memory at start and
// end with its growth per hour.
//
// Usage: bench_soak [minutes, default 30] [work folder, default a temporary one]
//                   [mean minutes between hang-ups, default 15] [mean minutes between stalls, default 10]
// Normally started by bench/soak.sh (offscreen, niced).
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <random>

#include "app/Zelvo730_Main.h"
#include "core/Clock.h"
#include "core/IniFile.h"
#include "core/Settings.h"
#include "core/TickStats.h"
#include "link/ComPort.h"
#include "ui/Dialogs.h"

namespace {

void Pump(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) zelvo::Clock::WaitProcessingEvents(static_cast<int>(ms - t.elapsed()));
}

template <class F>
bool PumpUntil(F done, int ms) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > ms) return false;
    zelvo::Clock::WaitProcessingEvents(20);
  }
  return true;
}

qsizetype ResultLines(const QString &file) {
  QFile f(file);
  if (!f.open(QIODevice::ReadOnly)) return 0;
  const QStringList all = QString::fromLatin1(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
  const qsizetype titles = all.indexOf(QRegularExpression(QStringLiteral("Cell;Break;.*")));
  return titles < 0 ? 0 : all.size() - titles - 1;
}

const char kScenario[] =
    "[Faults]\n"
    "garbage_per_min=0.5\n"
    "malformed_per_min=1\n"
    "drop_per_min=0.5\n";

}  // namespace

int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  const double minutes = argc > 1 ? QString::fromLocal8Bit(argv[1]).toDouble() : 30.0;
  QTemporaryDir tmp;
  const QString work = argc > 2 ? QString::fromLocal8Bit(argv[2]) : tmp.path();
  QDir().mkpath(work);
  QDir dir(work);
  const QString link1 = dir.filePath(QStringLiteral("tty1")), link2 = dir.filePath(QStringLiteral("tty2"));
  const QString ini = dir.filePath(QStringLiteral("Zelvo730.ini"));
  QFile::remove(ini);
  zelvo::CreateSettingsFileIfMissing(ini, work);
  {
    zelvo::TIniFile s(ini);
    s.WriteString("Language", "Code", "US");
    s.WriteString("DeviceTyp", "Typ", "FIDFPD");
    s.WriteString("Communication", "ComPortA", link1);
    s.WriteString("Communication", "ComPortB", link2);
    s.WriteString("Debug", "SetDebug", "0");
    s.WriteString("Measurement", "MeasurementSampleTime/s", "0");
    s.WriteString("Measurement", "MeasurementInjectionTime/s", "2");
    s.WriteString("Measurement", "MeasurementTimePerCell/s", "20");
    s.WriteString("Measurement", "StartingCell", "1");
    s.WriteString("Measurement", "NumberOfCells", "6");
    s.WriteString("Measurement", "NumberOfCycles", "9999");
    s.WriteString("Calibration", "FIDCalArea", "200000");
    s.WriteString("Calibration", "FPDCalArea", "50000");
  }
  for (const char *list : {"CH-Substanzen.txt", "S-Substanzen.txt"}) {
    QFile f(dir.filePath(QString::fromLatin1(list)));
    if (f.open(QIODevice::WriteOnly)) f.write("Aceton=2,05\r\n");
  }
  {
    QFile f(dir.filePath(QStringLiteral("scenario.ini")));
    if (f.open(QIODevice::WriteOnly)) f.write(kScenario);
  }
  QProcess sim;
  sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  sim.start(QStringLiteral(ZELVO_SIM_PATH),
            {QStringLiteral("--port1"), link1, QStringLiteral("--port2"), link2, QStringLiteral("--scenario"),
             dir.filePath(QStringLiteral("scenario.ini")), QStringLiteral("--log"), dir.filePath(QStringLiteral("sim.log")),
             QStringLiteral("--seed"), QStringLiteral("11")});
  if (!sim.waitForStarted(5000) || !PumpUntil([&] { return QFileInfo::exists(link1) && QFileInfo::exists(link2); }, 5000)) {
    std::fprintf(stderr, "bench_soak: the simulator did not start\n");
    return 1;
  }
  auto Sim = [&](const QByteArray &command) {
    sim.write(command + '\n');
    sim.waitForBytesWritten(1000);
  };

  // Message boxes are counted, not shown.
  int notices = 0;
  QStringList noticeTexts;
  zelvo::Dialogs::SetSink([&](const zelvo::DialogMessage &m) {
    ++notices;
    if (noticeTexts.size() < 20) noticeTexts << m.text.left(160).replace(QLatin1Char('\n'), QLatin1Char(' '));
  });

  TForm1 form;
  form.Session.ProgramDirOverride = work;
  form.Session.DiagLog.SetEchoToStderr(false);
  form.Session.StatsEverySeconds = 60;  // figures in the log every minute as well
  form.FormCreate();
  if (!form.findChild<QTimer *>(QStringLiteral("Timer1"))->isActive()) {
    std::fprintf(stderr, "bench_soak: the start-up failed\n");
    return 1;
  }
  const QString resultFile = dir.filePath(QStringLiteral("soak.csv"));
  QFile::remove(resultFile);
  form.FileDialogHook = [&](const TForm1::TFileDialogRequest &) { return resultFile; };
  form.findChild<QPushButton *>(QStringLiteral("btnSpeichern"))->click();
  form.show();

  Pump(5000);
  const long rssStart = zelvo::ResidentKb();
  QElapsedTimer clock;
  clock.start();
  const qint64 endMs = static_cast<qint64>(minutes * 60000);
  std::mt19937 rng(7);
  const double hangupMinutes = argc > 3 ? QString::fromLocal8Bit(argv[3]).toDouble() : 15.0;
  const double stallMinutes = argc > 4 ? QString::fromLocal8Bit(argv[4]).toDouble() : 10.0;
  std::exponential_distribution<double> stallWait(1.0 / (60 * std::max(stallMinutes, 0.1)));  // seconds
  std::exponential_distribution<double> hangupWait(1.0 / (60 * std::max(hangupMinutes, 0.1)));
  double nextStall = stallWait(rng), nextHangup = hangupWait(rng), nextReport = 300;
  int stalls = 0, hangups = 0;
  Sim("qs");
  while (clock.elapsed() < endMs) {
    Pump(1000);
    const double t = static_cast<double>(clock.elapsed()) / 1000.0;
    if (!form.Session.Sequencer.RunGoing() && form.Session.ComPort1->Active() && form.Session.ComPort2->Active()) Sim("qs");
    if (t >= nextStall) {
      Sim("stall 3");
      ++stalls;
      nextStall = t + stallWait(rng);
    }
    if (t >= nextHangup) {
      // The adapter pulled for a few seconds (the same for both converters), then plugged in.
      Sim("hangup");
      ++hangups;
      Pump(4000);
      Sim("replug");
      nextHangup = t + 30 + hangupWait(rng);
    }
    if (t >= nextReport) {
      std::printf("%6.0f s: evaluations %lld, result lines %lld, reconnects %d, rss %ld KiB\n", t,
                  form.Session.EvaluationCount, static_cast<long long>(ResultLines(resultFile)), form.Session.ReconnectCount,
                  zelvo::ResidentKb());
      std::fflush(stdout);
      nextReport += 300;
    }
  }
  const double hours = static_cast<double>(clock.elapsed()) / 3.6e6;
  const long rssEnd = zelvo::ResidentKb();
  const qsizetype lines = ResultLines(resultFile);
  const int held = form.Session.Records.PendingLines();
  form.Session.LogStats();

  std::printf("soak of %.1f min against the simulator (FIDFPD, faults on)\n", hours * 60);
  std::printf("  evaluations done          %lld\n", form.Session.EvaluationCount);
  std::printf("  result lines written      %lld (held for a retry: %d, lost: %lld)\n", static_cast<long long>(lines),
              held, form.Session.EvaluationCount - static_cast<long long>(lines) - held);
  std::printf("  malformed lines skipped   %lld (port 1 %lld, port 2 %lld)\n",
              form.Session.Signal1.Malformed + form.Session.Signal2.Malformed, form.Session.Signal1.Malformed, form.Session.Signal2.Malformed);
  std::printf("  stalls / hang-ups sent    %d / %d\n", stalls, hangups);
  std::printf("  reconnects                %d\n", form.Session.ReconnectCount);
  std::printf("  messages to the operator  %d\n", notices);
  for (const QString &t : noticeTexts) std::printf("    %s\n", qPrintable(t));
  std::printf("  ticks                     %lld, p99 %.1f ms, max %.1f ms\n",
              static_cast<long long>(form.Session.TickStats.Count()), form.Session.TickStats.PercentileMs(0.99), form.Session.TickStats.MaxMs());
  std::printf("  resident memory           start %ld KiB, end %ld KiB, growth %.0f KiB per hour\n", rssStart, rssEnd,
              hours > 0 ? static_cast<double>(rssEnd - rssStart) / hours : 0.0);
  std::printf("  signal points held        %zu + %zu\n", static_cast<size_t>(form.Session.Signal1.X.size()),
              static_cast<size_t>(form.Session.Signal2.X.size()));
  std::printf("  work folder               %s\n", qPrintable(work));
  std::fflush(stdout);

  sim.terminate();
  sim.waitForFinished(5000);
  zelvo::Dialogs::ClearSink();
  return 0;
}
