// The measurement run: start, stop, delayed start, the countdown and the sequencer's step,
// with the window's side of the sequencer (TRunBinding).
#include <qcustomplot.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "app/Zelvo730_Main.h"
#include "core/Clock.h"
#include "core/IniFile.h"
#include "core/Language.h"
#include "link/ComPort.h"
#include "ui/Dialogs.h"
#include "ui/TZeLed.h"
#include "ui/Tag.h"
#include "ui/Widgets.h"

using namespace zelvo;

namespace {

TNow NowReading() { return {Clock::Steady(), Clock::Now()}; }

}  // namespace

// ---------------------------------------------------------------------------------------
// The window's side of the sequencer

void TForm1::TRunBinding::QueueCommand(const QString &command) { F.Session.FifoPutString(command); }

void TForm1::TRunBinding::SendPort2(const QString &command) { F.Session.SendLine(F.Session.ComPort2, command); }

void TForm1::TRunBinding::ShowLamp(const TLampChange &lamp) { F.ShowLamp(lamp); }

void TForm1::TRunBinding::ShowStatus(const QString &text) { F.statusbarRun->SetText(text); }

void TForm1::TRunBinding::ShowLabel(TRunLabel label, const QString &text) {
  switch (label) {
    case TRunLabel::Startrun:
      F.lblStartrun->setText(text);
      break;
    case TRunLabel::Runtime:
      F.Session.sRunTime = text;
      F.lblRuntime->setText(text);
      break;
    case TRunLabel::Delay:
      F.lblDelay->setText(text);
      break;
    case TRunLabel::FIDInfo:
      F.lblFIDInfo->setText(text);
      break;
  }
}

void TForm1::TRunBinding::ShowButtons(const TRunButtons &buttons) {
  F.btnStart->setEnabled(buttons.Start);
  F.btnDelay->setEnabled(buttons.Delay);
  F.btnStop->setEnabled(buttons.Stop);
}

void TForm1::TRunBinding::DispRunBreak(int cell, bool breakthrough, const QString &time) {
  F.DispRunBreak(cell, breakthrough, time);
}

void TForm1::TRunBinding::ShowSampleFlow(int cell, const QString &text) {
  QLineEdit *const fields[] = {F.editSampleFlow1, F.editSampleFlow2, F.editSampleFlow3};
  if (cell >= 1 && cell <= 3) fields[cell - 1]->setText(text);
}

// A run begins: no baselines, monitoring off (which also stops a monitoring stream), both
// sampling flags cleared.
void TForm1::TRunBinding::PrepareChartForRun() {
  F.FIDBaseDraw = false;
  F.FPDBaseDraw = false;
  F.ChartDirty = true;
  F.MonitorOff();
  F.Signal1.Sampling = false;
  F.Signal2.Sampling = false;
  F.RunNotesShown.clear();
}

void TForm1::TRunBinding::ResetSampleCounters() {
  F.Signal1.Counter = 0;
  F.Signal2.Counter = 0;
}

void TForm1::TRunBinding::ClearSeries() {
  F.Signal1.ClearSeries();
  F.Signal2.ClearSeries();
  F.Slopes.clear();
  F.ClearSignalGraph(1);
  F.ClearSignalGraph(2);
  F.Serie3->data()->clear();
  F.FIDBaseDraw = false;
  F.FPDBaseDraw = false;
  F.ChartDirty = true;
}

void TForm1::TRunBinding::DiscardDataQueue(int port) {
  if (port == 1) F.Session.DataQueue1.clear();
  if (port == 2) F.Session.DataQueue2.clear();
}

void TForm1::TRunBinding::Log(const QString &text) { F.RunLog(text); }

void TForm1::TRunBinding::EvaluatePosition(TRunState &run, const TPositionEvaluation &position) {
  ++F.EvaluationCount;
  F.EvaluatePosition(run, position);
}

// ---------------------------------------------------------------------------------------
// Inputs, buttons, notes

TRunInputs TForm1::RunInputs() const {
  TRunInputs in;
  in.ID = Session.ID;
  in.DeviceTyp = Session.DeviceTyp;
  in.StartText = editStart->text();
  in.CountText = editAnzahl->text();
  in.CyclesText = editZyklen->text();
  in.SampleTime = Session.Measurement.SampleTime;
  in.InjectionTime = Session.Measurement.InjectionTime;
  in.Messzeit = Session.Run.Messzeit;
  in.FIDSampling = Signal1.Sampling;
  in.FPDSampling = Signal2.Sampling;
  in.intAD1Status = Session.intAD1Status;
  in.InstrumentStateByte = Session.InstrumentStateByte;
  in.HasFlowSensor = Session.HasFlowSensor;
  in.FlowText = Session.sFlowVal;
  in.AutoFlow = {cbAutoflow1->isChecked(), cbAutoflow2->isChecked(), cbAutoflow3->isChecked()};
  in.Chemical = {lblEditFact1->EditLabel()->text(), lblEditFact2->EditLabel()->text(),
                 lblEditFact3->EditLabel()->text()};
  in.FIDCalFactor = Session.Factors.FIDCalFactor;
  in.FPDCalFactor = Session.Factors.FPDCalFactor;
  in.FIDFactor = {Session.Factors.FIDFactor1, Session.Factors.FIDFactor2, Session.Factors.FIDFactor3};
  in.FPDFactor = {Session.Factors.FPDFactor1, Session.Factors.FPDFactor2, Session.Factors.FPDFactor3};
  in.SampleFlow = {Session.Factors.SampleFlow1, Session.Factors.SampleFlow2, Session.Factors.SampleFlow3};
  return in;
}

void TForm1::ShowRunButtons() {
  RunHost.ShowButtons(Sequencer.Buttons());
  // Switching the stream during a run would cut the measurement in progress.
  btnMonitor->setEnabled(!Sequencer.RunGoing());
}

void TForm1::RunLog(const QString &text) { Session.DiagLog.Send(TimeText(Clock::Now()) + QLatin1Char(' ') + text); }

void TForm1::RunNotice(const QString &text, bool box) {
  statusbarRun->SetText(text);
  RunLog(text);
  if (box) Dialogs::Notice(this, windowTitle(), text);
}

// ---------------------------------------------------------------------------------------
// Start, stop, delayed start

void TForm1::StartRun(TStartSource source) {
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
// ignored request logged, a started run's records begun and its warnings shown. A start
// that comes from the tick (the instrument, the countdown) must not wait for the operator.
void TForm1::AfterStart(const TStartResult &result, bool byOperator) {
  ShowRunButtons();
  switch (result.outcome) {
    case TStartResult::Outcome::Refused:
      if (byOperator)
        Dialogs::Error(this, windowTitle(), result.Message);
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
  RecordsBeginRun();
  Session.Permeation.BeginRun(Session.DeviceTyp, Session.Run.LimitFID, Session.Run.LimitFPD);
  // The status bar keeps the run's own text; the warnings go to the log and a notice.
  const QStringList warnings = StartWarnings();
  if (!warnings.isEmpty()) {
    const QString text = warnings.join(QLatin1Char('\n'));
    RunLog(text);
    Dialogs::Notice(this, windowTitle(), text);
  }
}

// A run needs the instrument: none starts or is armed while a lost port waits for its device.
bool TForm1::RefusedWhileLinkLost() {
  if (!Session.PortLost(Session.ComPort1) && !(Session.DeviceTyp == TDeviceTyp::FIDFPD && Session.PortLost(Session.ComPort2))) return false;
  RunNotice(GetLangString(Session.ID, kTextNoStartWhileLost), true);
  ShowRunButtons();
  return true;
}

void TForm1::btnStartClick() {
  // The operator is at the window: a run that would save nothing is asked about first.
  if (!Sequencer.RunGoing() && Records.ResultFile().isEmpty()) {
    AskResultFileThen([this] { StartRun(TStartSource::Operator); });
    return;
  }
  StartRun(TStartSource::Operator);
}

void TForm1::InstrumentStartRequest() { StartRun(TStartSource::Instrument); }

void TForm1::btnStopClick() {
  Sequencer.Stop(RunInputs());
  ShowRunButtons();
}

void TForm1::btnDelayClick() {
  if (Sequencer.RunGoing() || Sequencer.DelayArmed()) return;
  if (Records.ResultFile().isEmpty() && !RunWithoutSavingChosen) {
    AskResultFileThen([this] { btnDelayClick(); });
    return;
  }
  if (RefusedWhileLinkLost()) return;
  // A field the run would refuse is better said now than when the delay runs out.
  if (!StoreFactorsAndFlows(true, true)) {
    ShowRunButtons();
    return;
  }
  AfterStart(Sequencer.DelayedStart(editStartdelay->text(), RunInputs(), NowReading()), true);
}

void TForm1::editStartdelayExit() {
  Session.Measurement.Startdelay = editStartdelay->text();
  Session.Settings().WriteString(QStringLiteral("Preferences"), QStringLiteral("Startdelay"), Session.Measurement.Startdelay);
  if (!Sequencer.DelayArmed()) lblDelay->setText(Session.Measurement.Startdelay);
}

// ---------------------------------------------------------------------------------------
// Steps of the tick

// The countdown of an armed delay; when it runs out the run starts as from the Start button.
void TForm1::DelayedStartStep() {
  if (!Sequencer.DelayArmed()) return;
  const TNow now = NowReading();
  const TRunState &s = Sequencer.State();
  const bool due = WholeSeconds(now.Steady - s.runStartzeit) >= WholeSeconds(s.delayStart - s.runStartzeit);
  // The run starts with the values last stored when a field is refused; the refusal is told
  // in the status bar and the log. Only the sequencer's own refusal cancels the delay.
  if (due) StoreFactorsAndFlows(false, true);
  const std::optional<TStartResult> started = Sequencer.CountdownStep(RunInputs(), now);
  if (Sequencer.State().UpdateTime) {
    Session.UpdateTime = true;
    Sequencer.State().UpdateTime = false;
  }
  if (started) AfterStart(*started, false);
}

void TForm1::RunTimeRefresh() {
  if (!Sequencer.RunGoing()) return;
  Sequencer.RunTimeRefresh(NowReading());
  if (Sequencer.State().UpdateTime) {
    Session.UpdateTime = true;
    Sequencer.State().UpdateTime = false;
  }
}

void TForm1::RunStateStep() {
  if (!Sequencer.RunGoing()) return;
  Sequencer.StateStep(RunInputs(), NowReading());
  if (!Sequencer.RunGoing()) ShowRunButtons();  // the run ended in this step
}
