// The run through the window on the test clock: the commands and valve bytes of a whole run,
// the buttons, the delayed start's labels, refused starts, the instrument's start request,
// and the evaluation of streamed signals with its labels, cell times and breakthrough.
#include "RunWindowTest.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "core/Language.h"
#include "core/NumberText.h"
#include "run/Sequencer.h"
#include "ui/TZeLed.h"
#include "support/RunCommands.h"

using namespace zelvo;
using namespace testsupport;

namespace {

// Positions 1 to 4 over two cycles, nothing calibrated: every command the window queues, in
// order (support/RunCommands.h).
TEST_F(RunWindow, RunOfFourPositionsOverTwoCyclesSendsEveryCommandThroughTheWindow) {
  Click(Child<QPushButton>(form, "btnStart"));
  Collect();
  EXPECT_EQ(Sent(), CommandsOf({"<12Z0100"}) + RunStartCommands());  // monitoring off first
  EXPECT_FALSE(Child<QPushButton>(form, "btnStart")->isEnabled());
  EXPECT_FALSE(Child<QPushButton>(form, "btnDelay")->isEnabled());
  EXPECT_TRUE(Child<QPushButton>(form, "btnStop")->isEnabled());
  EXPECT_FALSE(Child<QPushButton>(form, "btnMonitor")->isEnabled());  // a run owns the streams
  const qsizetype started = sent.size();

  // Position 1 is lit while it is measured; the valve lamps follow the bytes.
  ASSERT_TRUE(TickUntil([&] { return streaming; }));
  EXPECT_TRUE(Child<TZLed>(form, "ledZero")->LedOn());
  EXPECT_TRUE(Child<TZLed>(form, "ledV2_0")->LedOn());   // V17
  EXPECT_TRUE(Child<TZLed>(form, "ledV2_3")->LedOn());   // V4
  EXPECT_FALSE(Child<TZLed>(form, "ledV1_0")->LedOn());  // V11 closed after the loop filling
  EXPECT_EQ(form.Session.Valves.ValveByte2, 0xF6);
  EXPECT_EQ(form.Session.Valves.ValveByte2, 0xF6);  // one image of the register

  ASSERT_TRUE(RunToEnd());
  // Cell 1's time goes to the instrument display after each of its evaluations.
  EXPECT_EQ(Sent(started), RunCycleCommands(2, true));

  // The run time went to the instrument display once a second.
  EXPECT_TRUE(sent.contains("<X0" + Child<TLabel>(form, "lblRuntime")->text()));
  EXPECT_EQ(Child<TLabel>(form, "lblRuntime")->text(), form.Session.sRunTime);
  EXPECT_TRUE(Child<QPushButton>(form, "btnStart")->isEnabled());
  EXPECT_TRUE(Child<QPushButton>(form, "btnDelay")->isEnabled());
  EXPECT_FALSE(Child<QPushButton>(form, "btnStop")->isEnabled());
  EXPECT_TRUE(Child<QPushButton>(form, "btnMonitor")->isEnabled());
  EXPECT_EQ(form.Session.Valves.ValveByte1, 0xFF);
  EXPECT_EQ(form.Session.Valves.ValveByte2, 0xFF);
}

TEST_F(RunWindow, StopDuringLoopFillingMeasuresThePositionThenEndsTheRun) {
  Click(Child<QPushButton>(form, "btnStart"));
  ASSERT_TRUE(TickUntil([&] { return form.Session.Sequencer.State().runTag == 13; }));
  Click(Child<QPushButton>(form, "btnStop"));
  // Nothing can be pressed while the position in progress finishes.
  EXPECT_FALSE(Child<QPushButton>(form, "btnStart")->isEnabled());
  EXPECT_FALSE(Child<QPushButton>(form, "btnDelay")->isEnabled());
  EXPECT_FALSE(Child<QPushButton>(form, "btnStop")->isEnabled());
  const qsizetype stopped = sent.size();
  ASSERT_TRUE(RunToEnd());
  const QStringList after = Sent(stopped);
  EXPECT_TRUE(after.contains("<12Z1100"));  // still measured
  EXPECT_EQ(after.mid(after.size() - 3), CommandsOf({"<R0", "<V1SFF", "<V2SFF"}));
  EXPECT_EQ(after.count("<12B1100"), 0);  // no further position
  EXPECT_TRUE(Child<QPushButton>(form, "btnStart")->isEnabled());
  EXPECT_FALSE(Child<QPushButton>(form, "btnStop")->isEnabled());
}

// The countdown shows the remaining and the elapsed time, and the run clock keeps counting
// from the moment the delay was armed.
TEST_F(RunWindow, DelayedStartCountsDownAndTheRunClockStartsAtTheArming) {
  Child<QLineEdit>(form, "editStartdelay")->setText("00:01");
  Click(Child<QPushButton>(form, "btnDelay"));
  EXPECT_FALSE(Child<QPushButton>(form, "btnStart")->isEnabled());
  EXPECT_FALSE(Child<QPushButton>(form, "btnDelay")->isEnabled());
  EXPECT_TRUE(Child<QPushButton>(form, "btnStop")->isEnabled());
  for (int i = 0; i < 300; ++i) Tick();  // 30 s
  EXPECT_EQ(Child<TLabel>(form, "lblDelay")->text(), "00:00:30");
  EXPECT_EQ(Child<TLabel>(form, "lblRuntime")->text(), "00:00:30");
  EXPECT_TRUE(sent.contains("<X000:00:30"));
  EXPECT_EQ(form.Session.Sequencer.State().runTag, 0);
  ASSERT_TRUE(TickUntil([&] { return form.Session.Sequencer.State().runTag != 0; }, 31));
  EXPECT_EQ(Child<TLabel>(form, "lblStartrun")->text(),
            "Start at08:00:00");  // text 94 glued to the arming time
  for (int i = 0; i < 50; ++i) Tick();
  EXPECT_EQ(Child<TLabel>(form, "lblRuntime")->text(), "00:01:05");
  EXPECT_FALSE(Child<QPushButton>(form, "btnMonitor")->isEnabled());
}

TEST_F(RunWindow, StartDelayFieldIsStored) {
  EnterAndLeave(form, Child<QLineEdit>(form, "editStartdelay"), "00:30");
  EXPECT_EQ(form.Session.Measurement.Startdelay, "00:30");
  EXPECT_EQ(form.Session.Settings().ReadString("Preferences", "Startdelay", ""), "00:30");
}

// A refused start changes nothing: the conversion message, the buttons as they were, nothing
// queued, no run.
TEST_F(RunWindow, RefusedStartsShowTheConversionMessageAndLeaveTheButtons) {
  const struct {
    const char *first, *count, *cycles, *message;
  } cases[] = {
      {"x", "4", "2", "Startcell: 'x' is not a valid integer value"},
      {"7", "1", "1", nullptr},  // no position 7: the first position's range
      {"0", "1", "1", nullptr},
      {"1", "4", "", "Number of cycles: '' is not a valid integer value"},
  };
  for (const auto &c : cases) {
    messages.clear();
    Range(c.first, c.count, c.cycles);
    Click(Child<QPushButton>(form, "btnStart"));
    Collect();
    ASSERT_EQ(messages.size(), 1u) << c.first;
    EXPECT_EQ(messages[0].kind, DialogMessage::Error);
    EXPECT_EQ(messages[0].text, c.message ? QString(c.message)
                                          : GetLangString(form.Session.ID, kTextFirstPositionRange).arg(c.first))
        << c.first;
    EXPECT_EQ(form.Session.Sequencer.State().runTag, 0);
    EXPECT_TRUE(sent.isEmpty()) << sent.join(' ').toStdString();
    EXPECT_TRUE(Child<QPushButton>(form, "btnStart")->isEnabled());
    EXPECT_TRUE(Child<QPushButton>(form, "btnDelay")->isEnabled());
    EXPECT_FALSE(Child<QPushButton>(form, "btnStop")->isEnabled());
  }
  // The same for the delayed start with a text that is no time.
  messages.clear();
  Child<QLineEdit>(form, "editStartdelay")->setText("1h");
  Click(Child<QPushButton>(form, "btnDelay"));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(form.Session.Sequencer.State().delayTag, 0);
  EXPECT_TRUE(Child<QPushButton>(form, "btnStart")->isEnabled());
  EXPECT_FALSE(Child<QPushButton>(form, "btnStop")->isEnabled());
}

// Only the factor and flow fields of the positions in the run's range can refuse a start;
// a refused field of another position is not stored, the fields after it are.
TEST_F(RunWindow, OnlyTheRangesFieldsRefuseAStart) {
  Child<TLabeledEdit>(form, "lblEditFact3")->setText("0");  // sample cell 3: position 6
  Child<TLabeledEdit>(form, "lbleditFPDFact1")->setText("2");
  Click(Child<QPushButton>(form, "btnStart"));
  Collect();
  EXPECT_EQ(form.Session.Sequencer.State().runTag, 1);
  for (const DialogMessage &m : messages) EXPECT_NE(m.kind, DialogMessage::Error) << m.text.toStdString();
  EXPECT_EQ(form.Session.Factors.FIDFactor3, 1);
  EXPECT_EQ(form.Session.Factors.FPDFactor1, 2);
  Click(Child<QPushButton>(form, "btnStop"));
  ASSERT_TRUE(RunToEnd());

  messages.clear();
  Range("1", "6", "2");
  Click(Child<QPushButton>(form, "btnStart"));
  Collect();
  EXPECT_EQ(form.Session.Sequencer.State().runTag, 0);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].kind, DialogMessage::Error);
  EXPECT_TRUE(messages[0].text.startsWith("FID factor cell 3")) << messages[0].text.toStdString();
}

// ":QS" starts a run when none is going on; during a run it is only logged, so the run's
// valves, lamps and counters stay as they are.
TEST_F(RunWindow, InstrumentStartRequestStartsOnlyWhenNoRunIsGoingOn) {
  form.Session.ReplyQueue.push_back(":QS01");
  form.Session.ReplyStep();
  Collect();
  ASSERT_EQ(form.Session.Sequencer.State().runTag, 1);
  EXPECT_TRUE(sent.contains("<R1"));
  ASSERT_TRUE(TickUntil([&] { return form.Session.Sequencer.State().runTag == 4; }));
  const TRunState before = form.Session.Sequencer.State();
  const qsizetype at = sent.size();
  form.Session.ReplyQueue.push_back(":QS01");
  form.Session.ReplyStep();
  Collect();
  EXPECT_EQ(sent.size(), at);
  EXPECT_EQ(form.Session.Sequencer.State().runTag, before.runTag);
  EXPECT_EQ(form.Session.Sequencer.State().runAktiv, before.runAktiv);
  EXPECT_EQ(form.Session.Sequencer.State().runStartzeit, before.runStartzeit);
  EXPECT_TRUE(Log().contains("Start request from the instrument ignored")) << Log().toStdString();
}

// A start from the tick (":QS", the countdown's end) does not wait for the operator: with a
// field refused it starts with the values last stored, and the refusal goes to the status
// bar and the log without an error box.
TEST_F(RunWindow, TickStartsGoOnWithTheStoredValuesWhenAFieldIsRefused) {
  for (const bool countdown : {false, true}) {
    SCOPED_TRACE(countdown ? "countdown" : ":QS");
    Child<QLineEdit>(form, "editSampleFlow1")->setText("100");  // position 4, in the run's range 1-4
    ASSERT_TRUE(form.Session.StoreFactorsAndFlows());
    messages.clear();
    if (countdown) {
      Child<QLineEdit>(form, "editStartdelay")->setText("00:01");
      Click(Child<QPushButton>(form, "btnDelay"));
      ASSERT_EQ(form.Session.Sequencer.State().delayTag, 1);
      Child<QLineEdit>(form, "editSampleFlow1")->setText("x");
      ASSERT_TRUE(TickUntil([&] { return form.Session.Sequencer.State().runTag != 0; }, 61));
    } else {
      Child<QLineEdit>(form, "editSampleFlow1")->setText("x");
      form.Session.ReplyQueue.push_back(":QS01");
      form.Session.ReplyStep();
      Collect();
    }
    EXPECT_NE(form.Session.Sequencer.State().runTag, 0);
    EXPECT_EQ(form.Session.Factors.SampleFlow1, 100);  // the value last stored
    for (const DialogMessage &m : messages) EXPECT_NE(m.kind, DialogMessage::Error) << m.text.toStdString();
    EXPECT_TRUE(Log().contains("'x'")) << Log().toStdString();
    Click(Child<QPushButton>(form, "btnStop"));
    ASSERT_TRUE(RunToEnd());
  }
}

// The warning of an uncalibrated FID at the start goes to a notice and the log; the status
// bar keeps the text the run shows.
TEST_F(RunWindow, StartWarningLeavesTheRunTextInTheStatusBar) {
  Click(Child<QPushButton>(form, "btnStart"));
  Collect();
  ASSERT_EQ(form.Session.Sequencer.State().runTag, 1);
  EXPECT_FALSE(Child<TStatusBar>(form, "statusbarRun")->Text().isEmpty());
  EXPECT_FALSE(Child<TStatusBar>(form, "statusbarRun")->Text().contains("not calibrated"))
      << Child<TStatusBar>(form, "statusbarRun")->Text().toStdString();
  bool noticed = false;
  for (const DialogMessage &m : messages)
    noticed |= m.kind == DialogMessage::Notice && m.text.contains("FID not calibrated");
  EXPECT_TRUE(noticed);
  EXPECT_TRUE(Log().contains("not calibrated"));
}

// The result file's header carries the factors set at the start of the position in progress
// (0 before any position started), so a file chosen during a run's first position names that
// position's factors and not an older one's.
TEST_F(RunWindow, ResultHeaderTakesTheFactorsSetAtThePositionStart) {
  QString answer;
  form.FileDialogHook = [&](const TForm1::TFileDialogRequest &) { return answer; };
  const auto headerOf = [&](const QString &name) {
    answer = dir.filePath(name);
    Click(Child<QPushButton>(form, "btnSpeichern"));
    QFile f(answer);
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()).split("\r\n") : QStringList();
  };
  const auto factorOf = [](const QString &line) { return line.section(';', -1); };
  form.Session.DeviceTyp = TDeviceTyp::FIDFPD;
  Child<TLabeledEdit>(form, "lblEditFact2")->setText(FloatToStrF(3.25, 7, 2));
  Child<TLabeledEdit>(form, "lblEditFPDFact2")->setText(FloatToStrF(2.5, 7, 1));

  QStringList header = headerOf("before.csv");
  ASSERT_GE(header.size(), 5);
  EXPECT_EQ(factorOf(header[3]), FloatToStrF(0, 6, 2));
  EXPECT_EQ(factorOf(header[4]), FloatToStrF(0, 5, 1));

  Range("5", "1", "1");
  Click(Child<QPushButton>(form, "btnStart"));
  ASSERT_TRUE(TickUntil([&] { return form.Session.Sequencer.State().runTag >= 2; }));
  header = headerOf("during.csv");
  ASSERT_GE(header.size(), 5);
  EXPECT_EQ(factorOf(header[3]), FloatToStrF(3.25, 6, 2));
  EXPECT_EQ(factorOf(header[4]), FloatToStrF(2.5, 5, 1));
}

// Cells 1 and 2 over two cycles. Cell 1's injection is the worked triangle (area 4000), cell
// 2's is flat. With a calibration area of 2000 for 100 ppm, cell 1 reads 200 ppm and
// 0.00241 x 200 ppm x 100 ml/min / 19.6 cm² = 2.459 ug/cm²/min, above the limit 1: it breaks
// through, is closed, and is skipped in the second cycle.
TEST_F(RunWindow, StreamedPeakIsEvaluatedAndABrokenCellIsSkippedAfterwards) {
  form.Session.Measurement.FIDCalArea = 2000;
  form.Session.Run.Messzeit = 15;
  Range("4", "2", "2");
  signal = [this](int k) { return measured == 4 ? Triangle(k) : 0.0; };
  Click(Child<QPushButton>(form, "btnStart"));
  ASSERT_TRUE(TickUntil([&] { return form.Session.Sequencer.State().runZelle == 5; }));

  EXPECT_EQ(Child<TLabel>(form, "lblFIDMenge")->text(),
            FloatToStrF(2.46, 7, 2) + QString::fromUtf8(" ug/cm²/min"));
  EXPECT_EQ(form.Session.Peak.FIDStart, 100);
  EXPECT_EQ(form.Session.Peak.FIDEnd, 118);
  EXPECT_EQ(form.Session.Peak.FIDArea, 4000);
  EXPECT_TRUE(form.Session.FIDBaseDraw);
  EXPECT_EQ(form.Session.Slopes.size(), form.Session.Signal1.Size() - 4);  // slope series from sample 4
  // The breakthrough: the time on the label and the display with "*", the cell's flow valve
  // V4 closed through the valve bytes, its off lamp lit, one position fewer.
  const QString breakTime = Child<TLabel>(form, "lblRunToBreak1")->text();
  EXPECT_TRUE(sent.contains("<X1*" + breakTime)) << breakTime.toStdString();
  EXPECT_EQ(form.Session.Valves.ValveByte2 & 0x08, 0x08);
  EXPECT_FALSE(Child<TZLed>(form, "ledV2_3")->LedOn());
  EXPECT_TRUE(Child<TZLed>(form, "ledSmpOff1")->LedOn());
  EXPECT_EQ(form.Session.Sequencer.State().offCount, 1);
  EXPECT_TRUE(form.Session.Sequencer.State().CellOff[0]);

  const qsizetype cycle1 = sent.size();
  ASSERT_TRUE(RunToEnd());
  // Cell 2 was measured without a peak: rate 0, no breakthrough, its time shown.
  EXPECT_EQ(Child<TLabel>(form, "lblFIDMenge")->text(),
            FloatToStrF(0, 7, 2) + QString::fromUtf8(" ug/cm²/min"));
  EXPECT_FALSE(Child<TZLed>(form, "ledSmpOff2")->LedOn());
  // Second cycle: cell 1 gets its position start but no valve, no stream, no time.
  const QStringList rest = Sent(cycle1);
  // rest begins with cell 2's position start of the first cycle
  const qsizetype skipped = rest.indexOf("<12B1100", rest.indexOf("<12B1100") + 1);
  const qsizetype next = rest.indexOf("<12B1100", skipped + 1);
  ASSERT_GE(skipped, 0);
  ASSERT_GT(next, skipped);
  const QStringList atCell1 = rest.mid(skipped + 1, next - skipped - 1);
  for (const QString &c : atCell1) {
    EXPECT_FALSE(c.startsWith("<V1S") || c.startsWith("<12Z") || c.startsWith("<X1")) << c.toStdString();
  }
  EXPECT_EQ(Child<TLabel>(form, "lblRunToBreak1")->text(), breakTime);
  EXPECT_EQ(rest.mid(rest.size() - 3), CommandsOf({"<R0", "<V1SFF", "<V2SFF"}));
  EXPECT_TRUE(Child<TZLed>(form, "ledSmpOff1")->LedOn());  // until the next run starts
}

// A sample area of 0 would divide by zero: the rate is 0, the operator is told once per
// run, and the run goes on to its end.
TEST_F(RunWindow, UnusableSampleAreaGivesRateZeroToldOnceAndTheRunGoesOn) {
  form.Session.Measurement.FIDCalArea = 2000;
  form.Session.Measurement.SampleArea = 0;
  form.Session.Run.Messzeit = 15;
  Range("4", "1", "2");
  signal = [](int k) { return Triangle(k); };
  Click(Child<QPushButton>(form, "btnStart"));
  ASSERT_TRUE(RunToEnd());
  int told = 0;
  for (const DialogMessage &m : messages) told += m.text.contains("sample area");
  EXPECT_EQ(told, 1);
  EXPECT_TRUE(Log().contains("sample area"));
  EXPECT_EQ(Child<TLabel>(form, "lblFIDMenge")->text(),
            FloatToStrF(0, 7, 2) + QString::fromUtf8(" ug/cm²/min"));
  EXPECT_FALSE(Child<TZLed>(form, "ledSmpOff1")->LedOn());
  EXPECT_EQ(Sent().count("<12Z1100"), 2);
}

// The valve and lamp operations through the window: the byte changes, its whole value is
// queued, the lamp follows; the reply step's loop follow-up and the lamp report use the same
// byte.
TEST_F(RunWindow, ValveAndLampOperationsQueueTheWholeByteAndSwitchTheLamp) {
  const struct {
    std::function<void()> act;
    const char *command;
    const char *lamp;
    bool on;
  } cases[] = {
      {[&] { form.Session.ValveSet(11); }, "<V1SFE", "ledV1_0", true},
      {[&] { form.Session.ValveReset(11); }, "<V1SFF", "ledV1_0", false},
      {[&] { form.Session.ValveSet(4); }, "<V2SF7", "ledV2_3", true},
      {[&] { form.Session.ValveSet(17); }, "<V2SF6", "ledV2_0", true},
      {[&] { form.Session.DispSet(14); }, "<LS6F", "ledSample1", true},
      {[&] { form.Session.DispReset(14); }, "<LSEF", "ledSample1", false},
      {[&] { Click(Child<TZLed>(form, "ledV2_3")); }, "<V2SFE", "ledV2_3",
       false},  // a lit lamp closes its valve
      {[&] { Click(Child<TZLed>(form, "ledV2_3")); }, "<V2SF6", "ledV2_3", true},
  };
  for (const auto &c : cases) {
    c.act();
    EXPECT_EQ(TakeQueued(form), QStringList{QString::fromLatin1(c.command) + '\r'}) << c.command;
    EXPECT_EQ(Child<TZLed>(form, c.lamp)->LedOn(), c.on) << c.command;
  }
  for (int x : {1, 7, 10, 18}) {
    form.Session.ValveSet(x);
    EXPECT_TRUE(TakeQueued(form).isEmpty()) << x;
  }

  Click(Child<TZLed>(form, "ledLoop"));  // on
  EXPECT_EQ(TakeQueued(form), QStringList({"<D1\r", "<LSE7\r"}));
  EXPECT_TRUE(Child<TZLed>(form, "ledLoop")->LedOn());
  EXPECT_TRUE(Child<TZLed>(form, "LedLoopTab1")->LedOn());
  Click(Child<TZLed>(form, "ledLoop"));  // off
  EXPECT_EQ(TakeQueued(form), QStringList({"<D0\r", "<LSEF\r"}));
  // The instrument reports the loop on: the same lamp byte loses its loop bit.
  form.Session.ReplyQueue.push_back(":DG01");
  form.Session.ReplyStep();
  EXPECT_EQ(TakeQueued(form), QStringList{"<LSE7\r"});
  EXPECT_EQ(form.Session.Valves.LampByte, 0xE7);
  // A lamp report replaces the byte; the next position lamp starts from it.
  form.Session.ReplyQueue.push_back(":LGEF");
  form.Session.ReplyStep();
  form.Session.DispSet(11);
  EXPECT_EQ(TakeQueued(form), QStringList{"<LSEB\r"});
}

}  // namespace
