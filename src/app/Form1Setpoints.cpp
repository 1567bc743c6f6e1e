// The set-point panel: Set buttons (range check, store, send), switches and toggles.
#include <QLineEdit>
#include <QPushButton>

#include "app/Zelvo730_Main.h"
#include "core/Clock.h"
#include "core/Errors.h"
#include "core/IniFile.h"
#include "core/Language.h"
#include "core/NumberText.h"
#include "core/Settings.h"
#include "link/Protocol.h"
#include "setup/Setpoints.h"
#include "ui/Dialogs.h"
#include "ui/Widgets.h"

using namespace zelvo;

// The field of each set point.
QLineEdit *TForm1::SetpointEdit(SetpointId id) const {
  // clang-format off
  switch (id) {
    case SetpointId::Ventilblock: return editVentilblock;
    case SetpointId::Messkammer: return editMesskammer;
    case SetpointId::Emmision: return editEmmision;
    case SetpointId::Transfer: return editTransfer;
    case SetpointId::HVoltage: return editHvoltage;
    case SetpointId::FPDAir: return editFPDAir;
    case SetpointId::FPDH2: return editFPDH2;
    case SetpointId::H2: return edH2;
    case SetpointId::Air: return edAir;
    case SetpointId::Carrier: return edCarrier;
  }
  // clang-format on
  return nullptr;
}

// Set button: read the field and apply it. A text that is no whole number stops here with the
// conversion error: nothing is stored or sent, and a switch that runs the Set first sends
// nothing either. The error is shown here rather than thrown, since these run from button
// signals, where an exception must not pass through Qt.
bool TForm1::SetpointSet(SetpointId id) {
  int typed = 0;
  try {
    typed = StrToInt(SetpointEdit(id)->text());
  } catch (const EConvertError &e) {
    Dialogs::Error(this, windowTitle(), e.Message());
    return false;
  }
  Session.SetpointApply(id, typed);
  return true;
}

void TForm1::btnVentilBlockSetClick() { SetpointSet(SetpointId::Ventilblock); }
void TForm1::btnMesskammerSetClick() { SetpointSet(SetpointId::Messkammer); }
void TForm1::btnEmissionSetClick() { SetpointSet(SetpointId::Emmision); }
void TForm1::btnTransferSetClick() { SetpointSet(SetpointId::Transfer); }
void TForm1::btnHVoltageSetClick() { SetpointSet(SetpointId::HVoltage); }
void TForm1::btnFPDAirSetClick() { SetpointSet(SetpointId::FPDAir); }
void TForm1::btnFPDH2SetClick() { SetpointSet(SetpointId::FPDH2); }
void TForm1::btnH2SetClick() { SetpointSet(SetpointId::H2); }
void TForm1::btnAirSetClick() { SetpointSet(SetpointId::Air); }
void TForm1::btnCarrierSetClick() { SetpointSet(SetpointId::Carrier); }

void TForm1::SetToggle(QPushButton *btn, bool down, bool setState) {
  if (!btn) return;
  if (setState) btn->setChecked(down);
  btn->setText(GetLangString(Session.ID, down ? kTextOn : kTextOff));
}

void TForm1::TransferOnOff(bool on) {
  SetToggle(btnTransferAn, on, true);
  Session.SendAndWait(Session.ComPort1, proto::Form(on ? proto::Cmd::TO1 : proto::Cmd::TO0));
}

void TForm1::EmissionOnOff(bool on) {
  SetToggle(btnEmissionAn, on, true);
  Session.SendAndWait(Session.ComPort1, proto::Form(on ? proto::Cmd::EO1 : proto::Cmd::EO0));
}

void TForm1::PMTOnOff(bool on) {
  SetToggle(btnHVoltageAn, on, true);
  if (!on) Session.SendAndWait(Session.ComPort1, proto::Form(proto::Cmd::HS, 0));
  Session.SendAndWait(Session.ComPort1, proto::Form(on ? proto::Cmd::HO1 : proto::Cmd::HO0));
}

void TForm1::FPDAirOnOff(bool on) {
  if (on && !SetpointSet(SetpointId::FPDAir)) return;
  SetToggle(btnFPDAirAN, on, false);
  if (!on) Session.SendAndWait(Session.ComPort1, proto::Form(proto::Cmd::XS, 0));
  Session.SendAndWait(Session.ComPort1, proto::Form(on ? proto::Cmd::XO1 : proto::Cmd::XO0));
}

void TForm1::FPDH2OnOff(bool on) {
  if (on && !SetpointSet(SetpointId::FPDH2)) return;
  SetToggle(btnFPDH2An, on, false);
  if (!on) Session.SendAndWait(Session.ComPort1, proto::Form(proto::Cmd::YS, 0));
  Session.SendAndWait(Session.ComPort1, proto::Form(on ? proto::Cmd::YO1 : proto::Cmd::YO0));
}

void TForm1::btnTransferAnClick() {
  if (!SetpointSet(SetpointId::Transfer)) return;
  TransferOnOff(btnTransferAn->isChecked());
}

void TForm1::btnEmissionAnClick() {
  if (!SetpointSet(SetpointId::Emmision)) return;
  EmissionOnOff(btnEmissionAn->isChecked());
}

void TForm1::btnHVoltageAnClick() {
  if (!SetpointSet(SetpointId::HVoltage)) return;
  PMTOnOff(btnHVoltageAn->isChecked());
}

void TForm1::btnFPDAirANClick() { FPDAirOnOff(btnFPDAirAN->isChecked()); }
void TForm1::btnFPDH2AnClick() { FPDH2OnOff(btnFPDH2An->isChecked()); }

// The two heatings the instrument's heating report switches (the operator cannot): the toggle
// takes the state, the set point goes out, then the switch command is queued.
void TForm1::MesskammerOnOff(bool on) {
  btnMesskammerAn->setChecked(on);
  if (!SetpointSet(SetpointId::Messkammer)) return;
  SetToggle(btnMesskammerAn, on, false);
  Session.FifoPutString(proto::Form(on ? proto::Cmd::SO1 : proto::Cmd::SO0));
}

void TForm1::VentilblockOnOff(bool on) {
  btnVentilblockAn->setChecked(on);
  if (!SetpointSet(SetpointId::Ventilblock)) return;
  SetToggle(btnVentilblockAn, on, false);
  Session.FifoPutString(proto::Form(on ? proto::Cmd::VO1 : proto::Cmd::VO0));
}

void TForm1::btnMesskammerAnClick() { MesskammerOnOff(btnMesskammerAn->isChecked()); }
void TForm1::btnVentilblockAnClick() { VentilblockOnOff(btnVentilblockAn->isChecked()); }

void TForm1::btnIgnitionClick() { Session.SendAndWait(Session.ComPort1, proto::Form(proto::Cmd::ZZ)); }

void TForm1::edH2Enter() { edH2->setText(QString::number(Session.Setpoints.iH2Set)); }
void TForm1::edAirEnter() { edAir->setText(QString::number(Session.Setpoints.iAirSet)); }
void TForm1::edCarrierEnter() { edCarrier->setText(QString::number(Session.Setpoints.iCarrierSet)); }
// Leaving a pressure field takes its text as the set value, without range check, settings
// write or command; a text that is no whole number is reported and the value stays.
namespace {
void TakePressure(TForm1 &f, QLineEdit *edit, int &field) {
  try {
    field = StrToInt(edit->text());
  } catch (const EConvertError &e) {
    Dialogs::Error(&f, f.windowTitle(), e.Message());
  }
}
}  // namespace

void TForm1::edH2Exit() { TakePressure(*this, edH2, Session.Setpoints.iH2Set); }
void TForm1::edAirExit() { TakePressure(*this, edAir, Session.Setpoints.iAirSet); }
void TForm1::edCarrierExit() { TakePressure(*this, edCarrier, Session.Setpoints.iCarrierSet); }
