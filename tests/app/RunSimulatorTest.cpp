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
#include "support/Processes.h"
#include "support/RunCommands.h"
#include "support/SimBench.h"

using namespace zelvo;
using namespace testsupport;

namespace {

struct RunSettings {
  QString typ = "FID";
  int first = 1, count = 4;
  QString scenario;  // scenario file contents; empty: the simulator's defaults
};

// The simulator bench with short times in the settings file and the FID calibrated for the
// simulator's 100 ppm.
class RunBench : public SimBench {
 public:
  explicit RunBench(const RunSettings &s) : SimBench(SimSetup{s.typ, false, s.scenario.toLatin1(), {}, 3}) {
    WriteSettings({
        {"Measurement", "MeasurementSampleTime/s", "0"},
        {"Measurement", "MeasurementInjectionTime/s", "1"},
        {"Measurement", "MeasurementTimePerCell/s", s.typ == "FIDFPD" ? "5" : "10"},
        {"Measurement", "StartingCell", QString::number(s.first)},
        {"Measurement", "NumberOfCells", QString::number(s.count)},
        {"Measurement", "NumberOfCycles", "1"},
        {"Calibration", "FIDCalArea", "200000"},
    });
    WriteSubstanceLists("Aceton=2,05\r\n");
  }
  // The run's own commands on a port (valves, lamps, loop, streams, run and cell times), the
  // times of day written as "t"; the polls and the run-time display are left out.
  QStringList RunCommands(int port) const {
    static const QRegularExpression kind(QStringLiteral("^<(12[BWZ]|D[01]$|LS|V[12]S|R[01]$|X[123])"));
    static const QRegularExpression time(QStringLiteral("\\d\\d:\\d\\d:\\d\\d"));
    QStringList out;
    for (const Received &r : Lines(port))
      if (kind.match(r.Line).hasMatch()) out << QString(r.Line).replace(time, "t");
    return out;
  }
  QString TruthText() const { return TruthLines().join(u'\n'); }
};

class RunWithSimulator : public WithRecordedMessages {};

// The program itself, started by the simulator's ":QS" once it polls.
TEST_F(RunWithSimulator, PositionsOneToFourInOrderStartedByTheInstrument) {
  RunBench bench({});
  ASSERT_TRUE(bench.ok());
  QProcess program;
  ASSERT_TRUE(StartWindowCopy(program, QStringLiteral(ZELVO_APP_PATH), bench.Path("Zelvo730")));
  auto polled = [&] {
    for (const auto &r : bench.Lines(1))
      if (r.Line == "<12AS100") return true;
    return false;
  };
  ASSERT_TRUE(PumpUntil(polled, 30000));
  bench.SimCommand("qs");
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
  bench.StopSimulator();
  ASSERT_TRUE(done);

  const QStringList all = bench.RunCommands(1);
  const qsizetype r1 = all.indexOf("<R1");
  const QStringList run = all.mid(all.lastIndexOf("<R0", r1) + 1);  // after the start-up's own "<R0"
  EXPECT_EQ(run, CommandsOf({"<12Z0100"}) + RunStartCommands() + RunCycleCommands(1, true));
  const QString truth = bench.TruthText();
  EXPECT_TRUE(truth.contains("\"faults\":{\"stream_unprepared\":0,\"stream_loop_on\":0}"))
      << truth.toStdString();
  EXPECT_EQ(truth.count("\"position\":"), 4) << truth.toStdString();  // four injections
}

// Two converters that never end their streams. The stop goes out again 1 s and 5 s after
// the first on both ports, and ten seconds after the first stop the run evaluates what
// arrived and ends, with a line in the log.
TEST_F(RunWithSimulator, LateStreamEndIsStoppedAgainAndANeverEndingOneIsWaitedForTenSeconds) {
  RunBench bench({"FIDFPD", 1, 1, "[Detector]\nstop_delay=never\n[FPD]\nstop_delay=never\n"});
  ASSERT_TRUE(bench.ok());
  TForm1 form;
  form.Session.ProgramDirOverride = bench.Dir();
  form.Session.DiagLog.SetEchoToStderr(false);
  form.FormCreate();
  ASSERT_TRUE(Child<QTimer>(form, "Timer1")->isActive());
  ASSERT_EQ(form.Session.DeviceTyp, TDeviceTyp::FIDFPD);
  Dialogs::SetAnswerer([](const DialogMessage &) { return 1; });  // run without saving
  Click(Child<QPushButton>(form, "btnStart"));
  ASSERT_EQ(form.Session.Sequencer.State().runTag, 1);
  ASSERT_TRUE(PumpUntil([&] { return form.Session.Sequencer.State().runTag == 0; }, 60000));
  ASSERT_TRUE(PumpUntil([&] { return bench.RunCommands(1).endsWith("<V2SFF"); }, 5000));
  bench.StopSimulator();

  auto stops = [&](int port) {
    std::vector<double> at;
    bool streaming = false;
    for (const auto &r : bench.Lines(port)) {
      if (r.Line == "<12Z1100") streaming = true;
      if (streaming && r.Line == "<12Z0100") at.push_back(r.At);
    }
    return at;
  };
  const std::vector<double> stops1 = stops(1), stops2 = stops(2);
  ASSERT_EQ(stops1.size(), 3u);
  ASSERT_EQ(stops2.size(), 3u);
  // The repeats are due 1 s and 5 s after the first stop was queued; each reaches the simulator
  // a few ticks after it is due, behind whatever waited in the command queue (the first one
  // too, so on a busy machine the gaps seen here can be shorter or longer by about a second).
  EXPECT_NEAR(stops1[1] - stops1[0], 1.0, 1.0);
  EXPECT_NEAR(stops1[2] - stops1[0], 5.0, 1.2);
  EXPECT_GT(stops1[2] - stops1[1], 2.5);
  double r0 = -1;
  for (const auto &r : bench.Lines(1))
    if (r.Line == "<R0" && r.At > stops1[0]) r0 = r.At;
  // The wait counts from the moment the stop was queued; it reaches the simulator a few
  // ticks later, behind whatever waited in the command queue.
  EXPECT_GE(r0 - stops1[0], 9.0);
  EXPECT_LT(r0 - stops1[0], 13.0);
  QFile log(bench.Path("Zelvo730.log"));
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  EXPECT_TRUE(log.readAll().contains("did not end within 10 s"));
  EXPECT_TRUE(bench.TruthText().contains("\"stream_unprepared\":0,\"stream_loop_on\":0"));
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
  RunBench bench({});
  ASSERT_TRUE(bench.ok());
  TForm1 form;
  form.Session.ProgramDirOverride = bench.Dir();
  form.Session.DiagLog.SetEchoToStderr(false);
  form.FormCreate();
  ASSERT_TRUE(Child<QTimer>(form, "Timer1")->isActive());
  form.InstallExitHandling();
  int exitCode = -1;
  form.ExitHook = [&](int code) { exitCode = code; };
  const QString file = bench.Path("result.csv");
  form.FileDialogHook = [&](const TForm1::TFileDialogRequest &) { return file; };
  Click(Child<QPushButton>(form, "btnSpeichern"));
  Click(Child<QPushButton>(form, "btnStart"));
  ASSERT_EQ(form.Session.Sequencer.State().runTag, 1);
  ASSERT_TRUE(PumpUntil([&] { return form.Session.EvaluationCount >= 1; }, 60000));
  ASSERT_TRUE(PumpUntil([&] { return form.Session.Sequencer.State().runTag > 1 && form.Session.Sequencer.State().runTag != 7; }, 10000));  // the next position
  ::kill(::getpid(), SIGTERM);
  ASSERT_TRUE(PumpUntil([&] { return exitCode >= 0; }, 3000));
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(form.Session.Sequencer.State().runTag, 0);
  EXPECT_FALSE(Child<QTimer>(form, "Timer1")->isActive());
  ASSERT_TRUE(PumpUntil([&] { return bench.RunCommands(1).endsWith("<V2SFF"); }, 3000));
  const QStringList c = bench.RunCommands(1);
  const QStringList afterStart = c.mid(c.lastIndexOf("<R1"));
  EXPECT_EQ(afterStart.mid(afterStart.lastIndexOf("<R0")), CommandsOf({"<R0", "<V1SFF", "<V2SFF"}));
  EXPECT_EQ(MeasurementLines(file), form.Session.EvaluationCount);
}

// The program itself: SIGTERM during a run started by the instrument ends it with exit
// status 0 within three seconds, after the run's closing commands.
TEST_F(RunWithSimulator, ProgramEndsCleanlyOnSigterm) {
  RunBench bench({});
  ASSERT_TRUE(bench.ok());
  QProcess program;
  ASSERT_TRUE(StartWindowCopy(program, QStringLiteral(ZELVO_APP_PATH), bench.Path("Zelvo730")));
  ASSERT_TRUE(PumpUntil([&] { return bench.RunCommands(1).contains("<R0"); }, 30000));  // started up
  bench.SimCommand("qs");
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
