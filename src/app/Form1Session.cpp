// What the session reports, drawn on the window.
#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/Zelvo730_Main.h"
#include "core/Language.h"
#include "ui/Dialogs.h"
#include "ui/TZeLed.h"
#include "ui/Widgets.h"

using namespace zelvo;

TForm1::TForm1(QWidget *parent) : QMainWindow(parent) {
  CreateControls();
  ConnectSession();
  ConnectRun();
  ConnectFields();
}

TForm1::~TForm1() = default;

void TForm1::ConnectSession() {
  TSession *s = &Session;
  auto title = [this](const QString &t) { return t.isEmpty() ? windowTitle() : t; };
  connect(s, &TSession::StatusBarText, this, [this](const QString &t) { statusbarRun->SetText(t); });
  connect(s, &TSession::StatusBarTip, this, [this](const QString &t) { statusbarRun->setToolTip(t); });
  connect(s, &TSession::Notice, this,
          [this, title](const QString &t, const QString &text) { Dialogs::Notice(this, title(t), text); });
  connect(s, &TSession::ErrorBox, this,
          [this, title](const QString &t, const QString &text) { Dialogs::Error(this, title(t), text); });
  connect(s, &TSession::InformationBox, this,
          [this](const QString &text) { Dialogs::Information(this, windowTitle(), text); });
  connect(s, &TSession::ProgramEndRequested, this, [this] { RequestTerminate(); });
  connect(s, &TSession::StatusValue, this, &TForm1::ShowStatusValue);
  connect(s, &TSession::StatusCleared, this, &TForm1::ShowStatusLabels);
  connect(s, &TSession::FlowShown, this, &TForm1::ShowFlow);
  connect(s, &TSession::ReplyEchoed, this, [this](const QString &t) { LMDMemo1->appendPlainText(t); });
  connect(s, &TSession::LoopLamp, this, [this](bool on) { ledLoop->SetLedOn(on); });
  connect(s, &TSession::ValveBankReported, this, [this](int bank) { bank == 1 ? DispV1State() : DispV2State(); });
  connect(s, &TSession::ProgramEnds, this, &TForm1::EndProgram);
  connect(s, &TSession::ConnectionShown, this, &TForm1::SetConnectionItem);
  connect(s, &TSession::FlowSensorShown, this, &TForm1::ShowFlowSensor);
  connect(s, &TSession::FactorFieldsShown, this, &TForm1::ShowFactorFields);
  connect(s, &TSession::FatalError, this, [this](const QString &text) {
    Dialogs::Error(this, windowTitle(), text);
    ExitCode = 1;
    QCoreApplication::exit(1);
  });
  connect(s, &TSession::LinkLost, this, &TForm1::ShowLinkLost);
  connect(s, &TSession::LinkBack, this, &TForm1::ShowLinkBack);
  connect(s, &TSession::SetpointShown, this,
          [this](SetpointId id, int value) { SetpointEdit(id)->setText(QString::number(value)); });
  connect(s, &TSession::HeatingSwitchShown, this, &TForm1::ShowHeatingSwitch);
}

// The labels that show a reported value, each with its reply form.
std::vector<std::pair<proto::Reply, TLabel *>> TForm1::StatusLabels() const {
  using proto::Reply;
  return {{Reply::ChamberTemperature, lblMesskammer}, {Reply::ValveBlockTemperature, lblVentilblock},
          {Reply::EmissionTemperature, lblEmmision},  {Reply::TransferTemperature, lblTransfer},
          {Reply::HighVoltage, lblHVoltage},          {Reply::FpdAir, lblFPDAir},
          {Reply::FpdH2, lblFPDH2}};
}

// Every status label from the held values (placeholders until the first report).
void TForm1::ShowStatusLabels() {
  for (const auto &[kind, label] : StatusLabels()) label->setText(Session.Status.Text(kind, Session.ID));
}

void TForm1::ShowStatusValue(proto::Reply kind, const QString &text) {
  for (const auto &[k, label] : StatusLabels())
    if (k == kind) label->setText(text);
  // A pressure field the operator is editing keeps the operator's text.
  QLineEdit *pressure = kind == proto::Reply::AirPressure       ? edAir
                        : kind == proto::Reply::CarrierPressure ? edCarrier
                        : kind == proto::Reply::H2Pressure      ? edH2
                                                                : nullptr;
  if (pressure && !pressure->hasFocus()) pressure->setText(text);
}

void TForm1::ShowFlow(const QString &text, bool both) {
  if (both) lblFlowVal->setText(text);
  lblFlowValTab1->setText(text);
}

// The heating report's switch: its checked state, with `caption` also its "On"/"Off".
void TForm1::ShowHeatingSwitch(SetpointId id, bool on, bool caption) {
  QPushButton *toggle = id == SetpointId::Messkammer ? btnMesskammerAn : btnVentilblockAn;
  if (caption)
    SetToggle(toggle, on, false);
  else
    toggle->setChecked(on);
}

