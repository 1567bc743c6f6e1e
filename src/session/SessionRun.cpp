// The session's run: the sequencer's side in the program (TRunBinding), start, stop, the
// delayed start and its countdown, the tick, the valve bytes and lamps.
#include <QCoreApplication>

#include "core/Clock.h"
#include "core/Language.h"
#include "link/ComPort.h"
#include "session/Session.h"

namespace zelvo {

namespace {

TNow NowReading() { return {Clock::Steady(), Clock::Now()}; }

}  // namespace

std::array<QString, 3> TOperatorFields::Chemical() const {
  return {Factors[static_cast<int>(TFactorField::FIDSample1)].Name,
          Factors[static_cast<int>(TFactorField::FIDSample2)].Name,
          Factors[static_cast<int>(TFactorField::FIDSample3)].Name};
}

// ---------------------------------------------------------------------------------------
// The sequencer's side

void TSession::TRunBinding::QueueCommand(const QString &command) { S.FifoPutString(command); }

void TSession::TRunBinding::SendPort2(const QString &command) { S.SendLine(S.ComPort2, command); }

void TSession::TRunBinding::ShowLamp(const TLampChange &lamp) {
  if (lamp.Kind == TLampKind::Loop) S.LoopLampOn = lamp.On;
  emit S.LampShown(lamp);
}

void TSession::TRunBinding::ShowStatus(const QString &text) { emit S.StatusBarText(text); }

void TSession::TRunBinding::ShowLabel(TRunLabel label, const QString &text) {
  if (label == TRunLabel::Runtime) S.sRunTime = text;
  emit S.RunLabelShown(label, text);
}

void TSession::TRunBinding::ShowButtons(const TRunButtons &buttons) {
  // Switching the stream during a run would cut the measurement in progress.
  emit S.RunButtonsShown(buttons, !S.Sequencer.RunGoing());
}

void TSession::TRunBinding::DispRunBreak(int cell, bool breakthrough, const QString &time) {
  S.DispRunBreak(cell, breakthrough, time);
}

void TSession::TRunBinding::ShowSampleFlow(int cell, const QString &text) { emit S.SampleFlowShown(cell, text); }

// A run begins: no baselines, monitoring off (which also stops a monitoring stream), both
// sampling flags cleared.
void TSession::TRunBinding::PrepareChartForRun() {
  S.FIDBaseDraw = false;
  S.FPDBaseDraw = false;
  S.MonitorOff();
  S.Signal1.Sampling = false;
  S.Signal2.Sampling = false;
  S.RunNotesShown.clear();
  emit S.ChartChanged();
}

void TSession::TRunBinding::ResetSampleCounters() {
  S.Signal1.Counter = 0;
  S.Signal2.Counter = 0;
}

void TSession::TRunBinding::ClearSeries() {
  S.Signal1.ClearSeries();
  S.Signal2.ClearSeries();
  S.Slopes.clear();
  S.FIDBaseDraw = false;
  S.FPDBaseDraw = false;
  emit S.SignalCleared(1);
  emit S.SignalCleared(2);
  emit S.SlopesChanged();
  emit S.ChartChanged();
}

void TSession::TRunBinding::DiscardDataQueue(int port) {
  if (port == 1) S.DataQueue1.clear();
  if (port == 2) S.DataQueue2.clear();
}

void TSession::TRunBinding::Log(const QString &text) { S.RunLog(text); }

void TSession::TRunBinding::EvaluatePosition(TRunState &run, const TPositionEvaluation &position) {
  ++S.EvaluationCount;
  S.EvaluatePosition(run, position);
}

// ---------------------------------------------------------------------------------------
// Inputs, buttons, notes

TRunInputs TSession::RunInputs() const {
  TRunInputs in;
  in.ID = ID;
  in.DeviceTyp = DeviceTyp;
  in.StartText = Fields.StartText;
  in.CountText = Fields.CountText;
  in.CyclesText = Fields.CyclesText;
  in.SampleTime = Measurement.SampleTime;
  in.InjectionTime = Measurement.InjectionTime;
  in.Messzeit = Run.Messzeit;
  in.FIDSampling = Signal1.Sampling;
  in.FPDSampling = Signal2.Sampling;
  in.intAD1Status = intAD1Status;
  in.InstrumentStateByte = InstrumentStateByte;
  in.HasFlowSensor = HasFlowSensor;
  in.FlowText = sFlowVal;
  in.AutoFlow = Fields.AutoFlow;
  in.Chemical = Fields.Chemical();
  in.FIDCalFactor = Factors.FIDCalFactor;
  in.FPDCalFactor = Factors.FPDCalFactor;
  in.FIDFactor = {Factors.FIDFactor1, Factors.FIDFactor2, Factors.FIDFactor3};
  in.FPDFactor = {Factors.FPDFactor1, Factors.FPDFactor2, Factors.FPDFactor3};
  in.SampleFlow = {Factors.SampleFlow1, Factors.SampleFlow2, Factors.SampleFlow3};
  return in;
}

void TSession::ShowRunButtons() { RunHost.ShowButtons(Sequencer.Buttons()); }

void TSession::RunLog(const QString &text) { DiagLog.Send(TimeText(Clock::Now()) + QLatin1Char(' ') + text); }

void TSession::RunNotice(const QString &text, bool box) {
  emit StatusBarText(text);
  RunLog(text);
  if (box) emit Notice(QString(), text);
}

// ---------------------------------------------------------------------------------------
// Start, stop, delayed start

void TSession::StartRun(TStartSource source) {
  if (Sequencer.RunGoing()) {
    if (source == TStartSource::Instrument)
      RunLog(QStringLiteral("Start request from the instrument ignored: a run is going on"));
    return;
  }
  if (RefusedWhileLinkLost()) return;
  // The run reads the factors and flows as the fields show them. A start from the tick (the
  // instrument's request) goes on with the values last stored when a field is refused; the
  // refusal is told in the status bar and the log.
  if (!StoreFactorsAndFlows(source != TStartSource::Instrument, true) && source != TStartSource::Instrument) {
    ShowRunButtons();
    return;
  }
  const TRunInputs in = RunInputs();
  const TNow now = NowReading();
  if (source == TStartSource::Instrument)
    AfterStart(Sequencer.RequestStartFromInstrument(in, now), false);
  else
    AfterStart(Sequencer.Start(in, now), true);
}

// What follows every start request: a refusal shown as the conversion error it is, an
// ignored request logged, a started run's records begun and its warnings told. A start
// that comes from the tick (the instrument, the countdown) must not wait for the operator.
void TSession::AfterStart(const TStartResult &result, bool byOperator) {
  ShowRunButtons();
  switch (result.outcome) {
    case TStartResult::Outcome::Refused:
      if (byOperator)
        emit ErrorBox(QString(), result.Message);
      else
        RunNotice(result.Message, false);
      return;
    case TStartResult::Outcome::Ignored:
      RunLog(result.Message);
      return;
    case TStartResult::Outcome::Armed:
      return;
    case TStartResult::Outcome::Started:
      break;
  }
  Records.BeginRun();
  Permeation.BeginRun(DeviceTyp, Run.LimitFID, Run.LimitFPD);
  // The status bar keeps the run's own text; the warnings go to the log and a notice.
  const QStringList warnings = StartWarnings();
  if (!warnings.isEmpty()) {
    const QString text = warnings.join(QLatin1Char('\n'));
    RunLog(text);
    emit Notice(QString(), text);
  }
}

// A run needs the instrument: none starts or is armed while a lost port waits for its device.
bool TSession::RefusedWhileLinkLost() {
  if (!PortLost(ComPort1) && !(DeviceTyp == TDeviceTyp::FIDFPD && PortLost(ComPort2))) return false;
  RunNotice(GetLangString(ID, kTextNoStartWhileLost), true);
  ShowRunButtons();
  return true;
}

void TSession::Stop() {
  Sequencer.Stop(RunInputs());
  ShowRunButtons();
}

void TSession::DelayedStart() {
  if (Sequencer.RunGoing() || Sequencer.DelayArmed()) return;
  if (RefusedWhileLinkLost()) return;
  // A field the run would refuse is better said now than when the delay runs out.
  if (!StoreFactorsAndFlows(true, true)) {
    ShowRunButtons();
    return;
  }
  AfterStart(Sequencer.DelayedStart(Fields.StartdelayText, RunInputs(), NowReading()), true);
}

void TSession::StoreStartdelay() {
  Measurement.Startdelay = Fields.StartdelayText;
  Settings().WriteString(QStringLiteral("Preferences"), QStringLiteral("Startdelay"), Measurement.Startdelay);
  if (!Sequencer.DelayArmed()) emit RunLabelShown(TRunLabel::Delay, Measurement.Startdelay);
}

bool TSession::EndRun(const QString &why) {
  if (!Sequencer.RunGoing() && !Sequencer.DelayArmed()) return false;
  Sequencer.Abort(RunInputs(), why);
  ShowRunButtons();
  return true;
}

void TSession::EndRunForExit(const QString &why) {
  if (!RunActive() && !Sequencer.DelayArmed()) return;
  // What waits in the queue (polls, the run-time display) is of no use any more; the
  // closing commands follow the abort.
  CommandQueue.clear();
  EndRun(GetLangString(ID, kTextRunEndsProgramExit).arg(why));
  RecordsRetryStep();  // lines held after a failed write get one more chance
  const double start = Clock::Steady();
  while (!CommandQueue.empty() && Clock::Steady() - start < kExitSendSeconds) {
    if (!ComPort1 || !ComPort1->Active()) break;  // a lost port cannot take them
    SendLine(ComPort1, CommandQueue.front());
    CommandQueue.pop_front();
  }
  if (!CommandQueue.empty())
    RunLog(QStringLiteral("%1 closing commands not sent: the port did not take them").arg(CommandQueue.size()));
}

// ---------------------------------------------------------------------------------------
// Steps of the tick

// The countdown of an armed delay; when it runs out the run starts as from the Start button.
void TSession::DelayedStartStep() {
  if (!Sequencer.DelayArmed()) return;
  const TNow now = NowReading();
  const TRunState &s = Sequencer.State();
  const bool due = WholeSeconds(now.Steady - s.runStartzeit) >= WholeSeconds(s.delayStart - s.runStartzeit);
  // The run starts with the values last stored when a field is refused; the refusal is told
  // in the status bar and the log. Only the sequencer's own refusal cancels the delay.
  if (due) StoreFactorsAndFlows(false, true);
  const std::optional<TStartResult> started = Sequencer.CountdownStep(RunInputs(), now);
  if (Sequencer.State().UpdateTime) {
    UpdateTime = true;
    Sequencer.State().UpdateTime = false;
  }
  if (started) AfterStart(*started, false);
}

void TSession::RunTimeRefresh() {
  if (!Sequencer.RunGoing()) return;
  Sequencer.RunTimeRefresh(NowReading());
  if (Sequencer.State().UpdateTime) {
    UpdateTime = true;
    Sequencer.State().UpdateTime = false;
  }
}

void TSession::RunStateStep() {
  if (!Sequencer.RunGoing()) return;
  Sequencer.StateStep(RunInputs(), NowReading());
  if (!Sequencer.RunGoing()) ShowRunButtons();  // the run ended in this step
}

bool TSession::Tick() {
  const double began = Clock::Steady();
  try {
    DataDrainStep();     // detector data into the kept signals
    SendStep();          // one queued command out on port 1
    DelayedStartStep();  // the delayed-start countdown
    RunTimeRefresh();    // once-per-second run-time display
    RunStateStep();      // one step of the run state machine
    RecordsRetryStep();  // records held after a failed write
  } catch (const std::exception &e) {
    // An error in the run's own steps leaves the run in an unknown state: stop here.
    emit FatalError(QString::fromUtf8(e.what()));
    return false;
  }
  try {
    PollListStep();
    ReplyStep();
    HeatingStep();    // the heating report's steps, once answered or given up
    RunTimeStep();
    ReconnectStep();  // a lost port opened again when its device is back
  } catch (const std::exception &e) {
    // The step ends and the program goes on. The message goes to the status bar and the log,
    // and into a notice that does not stop the tick, once until a different one comes.
    const QString text = QString::fromUtf8(e.what());
    emit StatusBarText(text);
    RunLog(text);
    if (text != TickErrorShown) emit Notice(QString(), text);
    TickErrorShown = text;
  }
  StatsStep(Clock::Steady() - began);
  return true;
}

void TSession::StatsStep(double tickSeconds) {
  if (StatsEverySeconds < 0) {
    bool ok = false;
    const int every = qEnvironmentVariable("ZELVO_STATS_SECONDS").toInt(&ok);
    StatsEverySeconds = ok && every > 0 ? every : 0;
    StatsLoggedAt = Clock::Steady();
  }
  if (StatsEverySeconds <= 0) return;
  TickStats.Add(tickSeconds);
  if (Clock::Steady() - StatsLoggedAt >= StatsEverySeconds) LogStats();
}

// One line of figures for the soak script (bench/soak.sh reads them back).
void TSession::LogStats() {
  StatsLoggedAt = Clock::Steady();
  RunLog(QStringLiteral("stats ticks=%1 tick_p99_ms=%2 tick_max_ms=%3 evaluations=%4 malformed=%5 "
                        "reconnects=%6 rss_kb=%7 queue=%8")
             .arg(TickStats.Count())
             .arg(TickStats.PercentileMs(0.99), 0, 'f', 1)
             .arg(TickStats.MaxMs(), 0, 'f', 1)
             .arg(EvaluationCount)
             .arg(Signal1.Malformed + Signal2.Malformed)
             .arg(ReconnectCount)
             .arg(ResidentKb())
             .arg(CommandQueue.size()));
}

// ---------------------------------------------------------------------------------------
// Valve bytes and lamps: one bit changed at a time and always sent whole

// The byte has changed already; its command leaves before the lamp follows.
void TSession::ApplyByteChange(const TByteChange &change) {
  if (!change.Changed()) return;
  FifoPutString(change.Command);
  RunHost.ShowLamp(change.Lamp);
}

void TSession::ValveSet(int x) { ApplyByteChange(Valves.ValveSet(x)); }
void TSession::ValveReset(int x) { ApplyByteChange(Valves.ValveReset(x)); }
void TSession::DispSet(int x) { ApplyByteChange(Valves.DispSet(x)); }
void TSession::DispReset(int x) { ApplyByteChange(Valves.DispReset(x)); }

void TSession::ValveClick(int bank, int index) {
  const int x = ValveNumber(bank, index);
  if (Valves.ValveOpen(bank, index))
    ValveReset(x);
  else
    ValveSet(x);
  emit ValveBankReported(bank);
}

// Both loop lamps switch the sample loop; the loop lamp bit follows it.
void TSession::LoopClick() {
  const bool on = !LoopLampOn;
  FifoPutString(proto::Form(on ? proto::Cmd::D1 : proto::Cmd::D0));
  const TByteChange change = Valves.SetLoopLamp(on);
  RunHost.ShowLamp(change.Lamp);
  FifoPutString(change.Command);
}

void TSession::DispRunBreak(int f, bool b, const QString &sTime) {
  if (f < 1 || f > 3) return;
  emit CellTimeShown(f, sTime);
  FifoPutString(proto::FormCellTime(f, b, sTime));
}

}  // namespace zelvo
