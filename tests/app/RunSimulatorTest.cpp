// Runs against the instrument simulator in real time, with short times from the settings
// file: the program started by the instrument's own start request runs positions 1 to 4 and
// the simulator sees every valve, loop, lamp and stream command in order with no breach of
// the stream order; a converter that ends its stream late is stopped again, and one that
// never ends it is waited for a bounded time.
#if defined(ZELVO_SIM_PATH) && defined(ZELVO_APP_PATH)
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include "WindowTestSupport.h"
#include "app/Zelvo730_Main.h"
#include "core/IniFile.h"
#include "core/Settings.h"
#include "link/PtyPair.h"
#include "ui/Dialogs.h"

using namespace zelvo;

namespace {

struct RunSettings {
  QString typ = "FID";
  int first = 1, count = 4;
  QString scenario;  // scenario file contents; empty: the simulator's defaults
};

// A folder with the settings file and the substance lists, and the simulator running in it.
class SimBench {
 public:
  explicit SimBench(const RunSettings &s) {
    link1 = dir.filePath("tty1");
    link2 = dir.filePath("tty2");
    const bool two = s.typ == "FIDFPD";
    CreateSettingsFileIfMissing(dir.filePath("Zelvo730.ini"), dir.path());
    TIniFile ini(dir.filePath("Zelvo730.ini"));
    ini.WriteString("Language", "Code", "US");
    ini.WriteString("DeviceTyp", "Typ", s.typ);
    ini.WriteString("Communication", "ComPortA", link1);
    ini.WriteString("Communication", "ComPortB", link2);
    ini.WriteString("Debug", "SetDebug", "0");
    ini.WriteString("Measurement", "MeasurementSampleTime/s", "0");
    ini.WriteString("Measurement", "MeasurementInjectionTime/s", "1");
    ini.WriteString("Measurement", "MeasurementTimePerCell/s", two ? "5" : "10");
    ini.WriteString("Measurement", "StartingCell", QString::number(s.first));
    ini.WriteString("Measurement", "NumberOfCells", QString::number(s.count));
    ini.WriteString("Measurement", "NumberOfCycles", "1");
    ini.WriteString("Calibration", "FIDCalArea", "200000");  // the simulator's 100 ppm
    for (const char *list : {"CH-Substanzen.txt", "S-Substanzen.txt"}) {
      QFile f(dir.filePath(list));
      f.open(QIODevice::WriteOnly);
      f.write("Aceton=2,05\r\n");
    }
    QStringList args{
        "--port1", link1, "--log", dir.filePath("sim.log"), "--truth", dir.filePath("truth.jsonl"),
        "--seed",  "3"};
    if (two) args << "--port2" << link2;
    if (!s.scenario.isEmpty()) {
      QFile f(dir.filePath("scenario.ini"));
      f.open(QIODevice::WriteOnly);
      f.write(s.scenario.toLatin1());
      args << "--scenario" << f.fileName();
    }
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start(QStringLiteral(ZELVO_SIM_PATH), args);
    ok = sim.waitForStarted(5000) &&
         PumpUntil([&] { return QFileInfo::exists(link1) && (!two || QFileInfo::exists(link2)); }, 5000);
  }
  ~SimBench() { Stop(); }
  void Stop() {
    if (sim.state() == QProcess::NotRunning) return;
    sim.terminate();
    sim.waitForFinished(5000);
  }

  // The lines the simulator received on a port, with the seconds of its log.
  struct Received {
    double at;
    QString line;
  };
  std::vector<Received> Lines(int port) const {
    QFile f(dir.filePath("sim.log"));
    std::vector<Received> out;
    if (!f.open(QIODevice::ReadOnly)) return out;
    const QString tag = QStringLiteral(" %1 rx ").arg(port);
    for (const QByteArray &raw : f.readAll().split('\n')) {
      const QString line = QString::fromLatin1(raw);
      const int at = line.indexOf(tag);
      if (at > 0) out.push_back({line.left(at).toDouble(), line.mid(at + tag.size())});
    }
    return out;
  }
  // The run's own commands on a port (valves, lamps, loop, streams, run and cell times), the
  // times of day written as "t"; the polls and the run-time display are left out.
  QStringList RunCommands(int port) const {
    static const QRegularExpression kind(QStringLiteral("^<(12[BWZ]|D[01]$|LS|V[12]S|R[01]$|X[123])"));
    static const QRegularExpression time(QStringLiteral("\\d\\d:\\d\\d:\\d\\d"));
    QStringList out;
    for (const Received &r : Lines(port))
      if (kind.match(r.line).hasMatch()) out << QString(r.line).replace(time, "t");
    return out;
  }
  QString Truth() const {
    QFile f(dir.filePath("truth.jsonl"));
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
  }

  QTemporaryDir dir;
  QString link1, link2;
  QProcess sim;
  bool ok = false;
};

QStringList CommandsOf(std::initializer_list<const char *> commands) {
  QStringList l;
  for (const char *c : commands) l << QString::fromLatin1(c);
  return l;
}

class RunWithSimulator : public WithRecordedMessages {};

// The program itself, started by the simulator's ":QS" once it polls.
TEST_F(RunWithSimulator, PositionsOneToFourInOrderStartedByTheInstrument) {
  SimBench bench({});
  ASSERT_TRUE(bench.ok);
  const QString exe = bench.dir.filePath("Zelvo730");
  ASSERT_TRUE(QFile::copy(QStringLiteral(ZELVO_APP_PATH), exe));
  QFile::setPermissions(exe, QFile::permissions(exe) | QFileDevice::ExeOwner);
  QProcess program;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("ZELVO_NO_DIALOGS", "1");
  program.setProcessEnvironment(env);
  program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  program.start(exe, {});
  ASSERT_TRUE(program.waitForStarted(5000));
  auto polled = [&] {
    for (const auto &r : bench.Lines(1))
      if (r.line == "<12AS100") return true;
    return false;
  };
  ASSERT_TRUE(PumpUntil(polled, 30000));
  bench.sim.write("qs\n");
  // The run ends with "<R0" and both valve banks closed.
  auto ended = [&] {
    const QStringList c = bench.RunCommands(1);
    const qsizetype r1 = c.indexOf("<R1");
    return r1 >= 0 && c.indexOf("<V2SFF", c.indexOf("<R0", r1)) > 0;
  };
  const bool done = PumpUntil(ended, 120000);
  EXPECT_EQ(program.state(), QProcess::Running) << "the program ended";
  program.kill();
  program.waitForFinished(5000);
  bench.Stop();
  ASSERT_TRUE(done);

  const QStringList all = bench.RunCommands(1);
  const qsizetype r1 = all.indexOf("<R1");
  const QStringList run = all.mid(all.lastIndexOf("<R0", r1) + 1);  // after the start-up's own "<R0"
  // clang-format off
  const QStringList expected = CommandsOf({
      "<12Z0100", "<V2SFE", "<V2SF6", "<X1 --:--", "<X2 --:--", "<X3 --:--", "<R1",
      "<12B1100", "<V1SFE", "<LSEB", "<12W1100", "<D1", "<LSE3", "<V1SFF",
      "<D0", "<LSEB", "<12Z1100", "<V1SFD", "<V2SF4", "<12Z0100", "<LSEF",
      "<12B1100", "<V1SFD", "<V2SF4", "<LSED", "<12W1100", "<D1", "<LSE5", "<V1SFF", "<V2SF6",
      "<D0", "<LSED", "<12Z1100", "<V1SFB", "<V2SF2", "<12Z0100", "<LSEF",
      "<12B1100", "<V1SFB", "<V2SF2", "<LSEE", "<12W1100", "<D1", "<LSE6", "<V1SFF", "<V2SF6",
      "<D0", "<LSEE", "<12Z1100", "<V1SF7", "<V2SF6", "<12Z0100", "<LSEF",
      "<12B1100", "<V1SF7", "<V2SF6", "<LS6F", "<12W1100", "<D1", "<LS67", "<V1SFF",
      "<D0", "<LS6F", "<12Z1100", "<12Z0100", "<X1 t", "<LSEF",
      "<R0", "<V1SFF", "<V2SFF",
  });
  // clang-format on
  EXPECT_EQ(run, expected);
  const QString truth = bench.Truth();
  EXPECT_TRUE(truth.contains("\"faults\":{\"stream_unprepared\":0,\"stream_loop_on\":0}"))
      << truth.toStdString();
  EXPECT_EQ(truth.count("\"position\":"), 4) << truth.toStdString();  // four injections
}

// Two converters: the FID ends its stream only at the third stop, the FPD never. The stop
// goes out again every half second on both ports, and ten seconds after the first stop the
// run evaluates what arrived and ends, with a line in the log.
TEST_F(RunWithSimulator, LateStreamEndIsStoppedAgainAndANeverEndingOneIsWaitedForTenSeconds) {
  SimBench bench({"FIDFPD", 1, 1, "[Detector]\nignore_stops=2\n[FPD]\nstop_delay=never\n"});
  ASSERT_TRUE(bench.ok);
  TForm1 form;
  form.ProgramDirOverride = bench.dir.path();
  form.DiagLog.SetEchoToStderr(false);
  form.FormCreate();
  ASSERT_TRUE(form.Timer1->isActive());
  ASSERT_EQ(form.DeviceTyp, TDeviceTyp::FIDFPD);
  Dialogs::SetAnswerer([](const DialogMessage &) { return 1; });  // run without saving
  form.btnStartClick();
  ASSERT_EQ(form.runTag, 1);
  ASSERT_TRUE(PumpUntil([&] { return form.runTag == 0; }, 60000));
  ASSERT_TRUE(PumpUntil([&] { return bench.RunCommands(1).endsWith("<V2SFF"); }, 5000));
  bench.Stop();

  auto stops = [&](int port) {
    std::vector<double> at;
    bool streaming = false;
    for (const auto &r : bench.Lines(port)) {
      if (r.line == "<12Z1100") streaming = true;
      if (streaming && r.line == "<12Z0100") at.push_back(r.at);
    }
    return at;
  };
  const std::vector<double> stops1 = stops(1), stops2 = stops(2);
  ASSERT_GE(stops1.size(), 3u);
  ASSERT_GE(stops2.size(), 3u);
  for (std::size_t i = 1; i < 3; ++i) EXPECT_GE(stops1[i] - stops1[i - 1], 0.45);
  double r0 = -1;
  for (const auto &r : bench.Lines(1))
    if (r.line == "<R0" && r.at > stops1[0]) r0 = r.at;
  // The wait counts from the moment the stop was queued; it reaches the simulator a few
  // ticks later, behind whatever waited in the command queue.
  EXPECT_GE(r0 - stops1[0], 9.0);
  EXPECT_LT(r0 - stops1[0], 13.0);
  QFile log(bench.dir.filePath("Zelvo730.log"));
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  EXPECT_TRUE(log.readAll().contains("did not end within 10 s"));
  EXPECT_TRUE(bench.Truth().contains("\"stream_unprepared\":0,\"stream_loop_on\":0"));
}

}  // namespace
#endif

#if defined(ZELVO_SIM_PATH) && defined(ZELVO_APP_PATH)
#include <signal.h>
#include <unistd.h>

namespace {

// The measurement lines of a result file: those after the column titles.
int MeasurementLines(const QString &path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return -1;
  const QList<QByteArray> lines = f.readAll().split('\n');
  int n = 0;
  bool titles = false;
  for (const QByteArray &l : lines) {
    if (titles && !l.trimmed().isEmpty()) ++n;
    if (l.startsWith("Cell;Break;")) titles = true;
  }
  return n;
}

// SIGTERM (logout, shutdown) in the middle of a run: the run ends as on a lost link, its
// closing commands reach the instrument and every evaluated line is in the result file.
TEST_F(RunWithSimulator, SigtermDuringARunSwitchesTheInstrumentOffAndKeepsTheLines) {
  SimBench bench({});
  ASSERT_TRUE(bench.ok);
  TForm1 form;
  form.ProgramDirOverride = bench.dir.path();
  form.DiagLog.SetEchoToStderr(false);
  form.FormCreate();
  ASSERT_TRUE(form.Timer1->isActive());
  form.InstallExitHandling();
  int exitCode = -1;
  form.ExitHook = [&](int code) { exitCode = code; };
  const QString file = bench.dir.filePath("result.csv");
  form.FileDialogHook = [&](const TForm1::TFileDialogRequest &) { return file; };
  form.btnSpeichernClick();
  form.btnStartClick();
  ASSERT_EQ(form.runTag, 1);
  ASSERT_TRUE(PumpUntil([&] { return form.EvaluationCount >= 1; }, 60000));
  ASSERT_TRUE(PumpUntil([&] { return form.runTag > 1 && form.runTag != 7; }, 10000));  // the next position
  ::kill(::getpid(), SIGTERM);
  ASSERT_TRUE(PumpUntil([&] { return exitCode >= 0; }, 3000));
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(form.runTag, 0);
  EXPECT_FALSE(form.Timer1->isActive());
  ASSERT_TRUE(PumpUntil([&] { return bench.RunCommands(1).endsWith("<V2SFF"); }, 3000));
  const QStringList c = bench.RunCommands(1);
  const QStringList afterStart = c.mid(c.lastIndexOf("<R1"));
  EXPECT_EQ(afterStart.mid(afterStart.lastIndexOf("<R0")), CommandsOf({"<R0", "<V1SFF", "<V2SFF"}));
  EXPECT_EQ(MeasurementLines(file), form.EvaluationCount);
}

// The program itself: SIGTERM during a run started by the instrument ends it with exit
// status 0 within three seconds, after the run's closing commands.
TEST_F(RunWithSimulator, ProgramEndsCleanlyOnSigterm) {
  SimBench bench({});
  ASSERT_TRUE(bench.ok);
  const QString exe = bench.dir.filePath("Zelvo730");
  ASSERT_TRUE(QFile::copy(QStringLiteral(ZELVO_APP_PATH), exe));
  QFile::setPermissions(exe, QFile::permissions(exe) | QFileDevice::ExeOwner);
  QProcess program;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("ZELVO_NO_DIALOGS", "1");
  program.setProcessEnvironment(env);
  program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  program.start(exe, {});
  ASSERT_TRUE(program.waitForStarted(5000));
  ASSERT_TRUE(PumpUntil([&] { return bench.RunCommands(1).contains("<R0"); }, 30000));  // started up
  bench.sim.write("qs\n");
  ASSERT_TRUE(PumpUntil([&] { return bench.RunCommands(1).contains("<12B1100"); }, 30000));
  program.terminate();  // SIGTERM
  const bool ended = program.waitForFinished(3000);
  if (!ended) {
    program.kill();
    program.waitForFinished(2000);
  }
  ASSERT_TRUE(ended) << "the program did not end within 3 s";
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program.exitCode(), 0);
  ASSERT_TRUE(PumpUntil([&] { return bench.RunCommands(1).endsWith("<V2SFF"); }, 2000));
  const QStringList c = bench.RunCommands(1);
  const QStringList afterStart = c.mid(c.lastIndexOf("<R1"));
  EXPECT_EQ(afterStart.mid(afterStart.lastIndexOf("<R0")), CommandsOf({"<R0", "<V1SFF", "<V2SFF"}));
}

}  // namespace
#endif
