// The window against the instrument simulator in real time while the line misbehaves:
// garbage, malformed and overlong lines, a reply with non-hexadecimal data, the instrument
// falling silent, and the adapter pulled and plugged in again during a run. The program keeps
// running, loses no evaluated line and tells the operator. About a minute in all.
#if defined(ZELVO_SIM_PATH)
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QPlainTextEdit>
#include <QTimer>

#include "WindowTestSupport.h"
#include "app/Zelvo730_Main.h"
#include "core/IniFile.h"
#include "core/Settings.h"
#include "link/ComPort.h"
#include "link/PtyPair.h"
#include "support/Files.h"
#include "support/SimBench.h"
#include "ui/Widgets.h"

using namespace zelvo;
using testsupport::SimBench;
using testsupport::SimSetup;

namespace {

double CpuSeconds() {
  rusage u{};
  ::getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The simulator in a folder with the program's settings (FID on port 1, positions from
// `first`, `count` of them, one cycle, 10 s of measuring time) and a window started on it,
// writing its result file there.
class FaultBench : public WithRecordedMessages {
 protected:
  void Start(int first, int count, int messzeit = 10) {
    bench = std::make_unique<SimBench>(SimSetup{"FID", false, {}, {}, 5});
    ASSERT_TRUE(bench->ok());
    bench->WriteSettings({
        {"Measurement", "MeasurementSampleTime/s", "0"},
        {"Measurement", "MeasurementInjectionTime/s", "1"},
        {"Measurement", "MeasurementTimePerCell/s", QString::number(messzeit)},
        {"Measurement", "StartingCell", QString::number(first)},
        {"Measurement", "NumberOfCells", QString::number(count)},
        {"Measurement", "NumberOfCycles", "1"},
        {"Calibration", "FIDCalArea", "200000"},
    });
    bench->WriteSubstanceLists("Aceton=2,05\r\n");
    link1 = bench->Link(1);

    form.Session.ProgramDirOverride = bench->Dir();
    form.Session.DiagLog.SetEchoToStderr(false);
    form.FormCreate();
    ASSERT_TRUE(Child<QTimer>(form, "Timer1")->isActive());
    resultFile = bench->Path("result.csv");
    form.FileDialogHook = [this](const TForm1::TFileDialogRequest &) { return resultFile; };
    Click(Child<QPushButton>(form, "btnSpeichern"));
    ASSERT_EQ(form.Session.Records.ResultFile(), resultFile);
    messages.clear();
  }
  void TearDown() override {
    if (bench) bench->StopSimulator();
    WithRecordedMessages::TearDown();
  }
  void Sim(const QByteArray &command) { bench->SimCommand(command); }
  // The measurement lines of the result file (those after the column titles).
  QStringList ResultLines() const {
    QFile f(resultFile);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QStringList all = QString::fromLatin1(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    const qsizetype titles = all.indexOf(QRegularExpression(QStringLiteral("Cell;Break;.*")));
    return titles < 0 ? QStringList() : all.mid(titles + 1);
  }
  QStringList SimReceived() const { return bench->Commands(1); }
  QString Log() const {
    QFile f(bench->Path("Zelvo730.log"));
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
  }

  std::unique_ptr<SimBench> bench;
  QString link1, resultFile;
  TForm1 form;
};

// Garbage, a malformed data line, a reply with non-hexadecimal data, a line of 5000 bytes
// without CR, and the instrument silent for longer than a poll interval, all while the
// positions are measured: every position is evaluated and written, nothing is shown.
TEST_F(FaultBench, StreamFaultsDuringARunLoseNoEvaluatedLine) {
  Start(1, 2);
  Click(Child<QPushButton>(form, "btnStart"));
  ASSERT_EQ(form.Session.Sequencer.State().runTag, 1);
  ASSERT_TRUE(PumpUntil([&] { return form.Session.Signal1.Sampling; }, 15000));
  for (const char *fault : {"garbage 64", "malformed", "send :SGZZ!!", "send :12ASxyz", "flood 5000",
                            "malformed", "stall 2", "garbage 300"}) {
    Sim(fault);
    PumpUntil([] { return false; }, 300);
  }
  ASSERT_TRUE(PumpUntil([&] { return form.Session.Sequencer.State().runTag == 0; }, 60000));
  EXPECT_EQ(form.Session.EvaluationCount, 2);
  EXPECT_EQ(ResultLines().size(), 2) << [&] {
    QFile f(resultFile);
    f.open(QIODevice::ReadOnly);
    return f.readAll().toStdString();
  }();
  EXPECT_GE(form.Session.Signal1.Malformed, 1);
  EXPECT_TRUE(Child<QTimer>(form, "Timer1")->isActive());
  EXPECT_TRUE(form.Session.ComPort1->Active());
  EXPECT_TRUE(messages.empty()) << messages[0].text.toStdString();
  // The malformed lines were counted in the log; the status display still follows the polls.
  EXPECT_TRUE(Log().contains("malformed data line(s) skipped"));
  const QString chamber = Child<TLabel>(form, "lblMesskammer")->text();
  EXPECT_FALSE(chamber.contains("----")) << chamber.toStdString();
}

// The instrument answers nothing for longer than a whole measurement: the position's stream
// end is waited for a bounded time, the position is evaluated with what arrived, the run ends
// and the polls are answered again afterwards.
TEST_F(FaultBench, InstrumentSilentLongerThanAMeasurementEndsThePositionAndTheRun) {
  Start(1, 1, 5);
  Click(Child<QPushButton>(form, "btnStart"));
  ASSERT_TRUE(PumpUntil([&] { return form.Session.Signal1.Sampling; }, 15000));
  Sim("stall 9");
  ASSERT_TRUE(PumpUntil([&] { return form.Session.Sequencer.State().runTag == 0; }, 40000));
  EXPECT_EQ(form.Session.EvaluationCount, 1);
  EXPECT_EQ(ResultLines().size(), 1);
  EXPECT_TRUE(Child<QTimer>(form, "Timer1")->isActive());
  EXPECT_TRUE(messages.empty());
  // The silence as the instrument had it: the stall began, the polls that came in meanwhile
  // went unanswered (the program kept polling through it).
  const QString simLog = QString::fromLatin1(Bytes(bench->LogFile()));
  EXPECT_TRUE(simLog.contains(" 1 ev stall 9 s\n")) << simLog.right(2000).toStdString();
  EXPECT_GE(simLog.count(" 1 ev stalled, not sent: "), 3) << simLog.right(2000).toStdString();
  // Replies arrive again after the silence (the service console shows each one taken).
  const QString console = Child<QPlainTextEdit>(form, "LMDMemo1")->toPlainText();
  EXPECT_TRUE(
      PumpUntil([&] { return Child<QPlainTextEdit>(form, "LMDMemo1")->toPlainText() != console; }, 10000));
}

// The adapter pulled during the second position: one message, beside the window; the port
// closed; the program idle; the run ended with the first position's line written and the
// second not evaluated. Plugged in again, the port is reopened without a restart and the
// run's closing commands, held meanwhile, reach the instrument.
TEST_F(FaultBench, AdapterPulledMidRunEndsTheRunAndIsReopenedWhenPluggedIn) {
  Start(1, 2, 5);
  Click(Child<QPushButton>(form, "btnStart"));
  ASSERT_TRUE(PumpUntil([&] { return form.Session.EvaluationCount == 1 && form.Session.Sequencer.State().runTag >= 2; }, 30000));
  ASSERT_EQ(ResultLines().size(), 1);
  Sim("hangup");
  ASSERT_TRUE(PumpUntil([&] { return !messages.empty(); }, 5000));
  EXPECT_FALSE(form.Session.ComPort1->Active());
  EXPECT_EQ(form.Session.Sequencer.State().runTag, 0);
  EXPECT_EQ(messages[0].kind, DialogMessage::Notice);
  EXPECT_TRUE(messages[0].text.contains("run has ended")) << messages[0].text.toStdString();
  EXPECT_TRUE(Child<TStatusBar>(form, "statusbarRun")->Text().contains("lost"))
      << Child<TStatusBar>(form, "statusbarRun")->Text().toStdString();

  // Idle while the device is gone: no loop on a dead descriptor. A busy loop would use a whole
  // core; the window's ticks use a few percent (more in a sanitizer build).
  const double cpu0 = CpuSeconds();
  PumpUntil([] { return false; }, 3000);
  const double cpu = CpuSeconds() - cpu0;
  RecordProperty("cpu_seconds_in_3s_after_hangup", std::to_string(cpu));
  EXPECT_LT(cpu, 1.5);
  EXPECT_FALSE(form.Session.ComPort1->Active());
  EXPECT_EQ(messages.size(), 1u);
  EXPECT_EQ(ResultLines().size(), 1);
  EXPECT_EQ(form.Session.EvaluationCount, 1);
  // A start or a delayed start while the link is lost is refused with a note.
  Click(Child<QPushButton>(form, "btnStart"));
  EXPECT_EQ(form.Session.Sequencer.State().runTag, 0);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[1].kind, DialogMessage::Notice);
  Click(Child<QPushButton>(form, "btnDelay"));
  EXPECT_FALSE(form.Session.Sequencer.DelayArmed());
  ASSERT_EQ(messages.size(), 3u);

  const qsizetype before = SimReceived().size();
  Sim("replug");
  ASSERT_TRUE(PumpUntil([&] { return form.Session.ComPort1->Active(); }, 40000));
  EXPECT_EQ(form.Session.ReconnectCount, 1);
  EXPECT_TRUE(Child<TStatusBar>(form, "statusbarRun")->Text().contains("back"))
      << Child<TStatusBar>(form, "statusbarRun")->Text().toStdString();
  // The closing commands queued when the run ended go out first, in order.
  ASSERT_TRUE(PumpUntil([&] { return SimReceived().mid(before).contains("<V2SFF"); }, 10000));
  const QStringList after = SimReceived().mid(before);
  const qsizetype r0 = after.indexOf("<R0");
  ASSERT_GE(r0, 0) << after.join(' ').toStdString();
  EXPECT_EQ(after.indexOf("<V1SFF", r0), r0 + 1);
  EXPECT_EQ(after.indexOf("<V2SFF", r0), r0 + 2);
  EXPECT_EQ(messages.size(), 3u);
  EXPECT_TRUE(Log().contains("is back")) << Log().toStdString();
}

}  // namespace
#endif
