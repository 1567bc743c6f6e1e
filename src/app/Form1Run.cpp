// The run as the window shows it: the session's run reports drawn on the controls, and the
// operator's start, stop and delayed start forwarded to the session.
#include <QLineEdit>
#include <QPushButton>

#include "app/Zelvo730_Main.h"
#include "core/Language.h"
#include "ui/TZeLed.h"
#include "ui/Widgets.h"

using namespace zelvo;

void TForm1::ConnectRun() {
  TSession *s = &Session;
  connect(s, &TSession::LampShown, this, &TForm1::ShowLamp);
  connect(s, &TSession::RunLabelShown, this, &TForm1::ShowRunLabel);
  connect(s, &TSession::RunButtonsShown, this, &TForm1::ShowRunButtons);
  connect(s, &TSession::CellTimeShown, this, &TForm1::ShowCellTime);
  connect(s, &TSession::SampleFlowShown, this, [this](int cell, const QString &text) {
    QLineEdit *const fields[] = {editSampleFlow1, editSampleFlow2, editSampleFlow3};
    if (cell >= 1 && cell <= 3) fields[cell - 1]->setText(text);
  });
  connect(s, &TSession::FactorDisplaysShown, this, &TForm1::ShowFactorDisplays);
  connect(s, &TSession::AmountShown, this,
          [this](bool fpd, const QString &text) { (fpd ? lblFPDMenge : lblFIDMenge)->setText(text); });
  connect(s, &TSession::CalibrationChanged, this, [this] {
    chkboxIsobutanCalib->setChecked(Session.Fields.IsobutanCalib);
    chkboxSulfurCalib->setChecked(Session.Fields.SulfurCalib);
    ShowCalibrationState();
  });
  connect(s, &TSession::ResultFileShown, this, [this](const QString &name) { lblDateiname->setText(name); });
  connect(s, &TSession::SignalsImported, this, &TForm1::ShowImportedSignals);
  connect(s, &TSession::SignalCleared, this, [this](int port) { ClearSignalGraph(port); });
  connect(s, &TSession::SignalAppended, this, &TForm1::AppendSignal);
  connect(s, &TSession::LevelShown, this,
          [this](int port, int level) { (port == 2 ? editFPDLevel : editFIDLevel)->setText(QString::number(level)); });
  connect(s, &TSession::SlopesChanged, this, &TForm1::ShowSlopes);
  connect(s, &TSession::ChartChanged, this, [this] { ChartDirty = true; });
  connect(s, &TSession::MonitoringChanged, this, &TForm1::ShowMonitoring);
}

void TForm1::ShowRunButtons(const TRunButtons &buttons, bool monitorFree) {
  btnStart->setEnabled(buttons.Start);
  btnDelay->setEnabled(buttons.Delay);
  btnStop->setEnabled(buttons.Stop);
  btnMonitor->setEnabled(monitorFree);
}

void TForm1::ShowRunLabel(TRunLabel label, const QString &text) {
  switch (label) {
    case TRunLabel::Startrun:
      lblStartrun->setText(text);
      break;
    case TRunLabel::Runtime:
      lblRuntime->setText(text);
      break;
    case TRunLabel::Delay:
      lblDelay->setText(text);
      break;
    case TRunLabel::FIDInfo:
      lblFIDInfo->setText(text);
      break;
  }
}

void TForm1::btnStartClick() {
  // The operator is at the window: a run that would save nothing is asked about first.
  if (!Session.Sequencer.RunGoing() && Session.Records.ResultFile().isEmpty()) {
    AskResultFileThen([this] { Session.Start(); });
    return;
  }
  Session.Start();
}

void TForm1::btnStopClick() { Session.Stop(); }

void TForm1::btnDelayClick() {
  if (Session.Sequencer.RunGoing() || Session.Sequencer.DelayArmed()) return;
  if (Session.Records.ResultFile().isEmpty() && !Session.RunWithoutSavingChosen) {
    AskResultFileThen([this] { Session.DelayedStart(); });
    return;
  }
  Session.DelayedStart();
}

void TForm1::editStartdelayExit() { Session.StoreStartdelay(); }
