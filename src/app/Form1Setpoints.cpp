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

namespace {
struct SetpointBinding {
  QLineEdit *TForm1::*edit;
  int TForm1::*field;
};

SetpointBinding Binding(SetpointId id) {
  // clang-format off
  switch (id) {
    case SetpointId::Ventilblock: return {&TForm1::editVentilblock, &TForm1::TempVentilblock};
    case SetpointId::Messkammer: return {&TForm1::editMesskammer, &TForm1::TempMesskammer};
    case SetpointId::Emmision: return {&TForm1::editEmmision, &TForm1::TempEmissionskammer};
    case SetpointId::Transfer: return {&TForm1::editTransfer, &TForm1::TempTransferline};
    case SetpointId::HVoltage: return {&TForm1::editHvoltage, &TForm1::Hochspannung};
    case SetpointId::FPDAir: return {&TForm1::editFPDAir, &TForm1::AirFPD};
    case SetpointId::FPDH2: return {&TForm1::editFPDH2, &TForm1::H2FPD};
    case SetpointId::H2: return {&TForm1::edH2, &TForm1::iH2Set};
    case SetpointId::Air: return {&TForm1::edAir, &TForm1::iAirSet};
    case SetpointId::Carrier: return {&TForm1::edCarrier, &TForm1::iCarrierSet};
  }
  // clang-format on
  return {nullptr, nullptr};
}
}  // namespace

// Set button: read the field and apply it. A text that is no whole number stops here with the
// conversion error: nothing is stored or sent, and a switch that runs the Set first sends
// nothing either. The error is shown here rather than thrown, since these run from button
// signals, where an exception must not pass through Qt.
bool TForm1::SetpointSet(SetpointId id) {
  int typed = 0;
  try {
    typed = StrToInt((this->*Binding(id).edit)->text());
  } catch (const EConvertError &e) {
    Dialogs::Error(this, windowTitle(), e.Message());
    return false;
  }
  SetpointApply(id, typed);
  return true;
}

// A set point from the operator, the start-up or the test standard: clamped with a message,
// the accepted value shown, stored and sent on the quantity's path.
void TForm1::SetpointApply(SetpointId id, int value) {
  const ClampResult r = ClampSetpoint(id, value);
  if (r.outOfRange) Dialogs::Information(this, windowTitle(), SetpointRangeMessage(id, ID));
  (this->*Binding(id).edit)->setText(QString::number(r.value));
  SetpointKeep(id, r.value);
  const QString cmd = SetpointCommand(id, r.value);
  if (SetpointOf(id).queued)
    FifoPutString(cmd);
  else
    SendAndWait(ComPort1, cmd);
}

// The value the program holds for a set point.
int TForm1::SetpointValue(SetpointId id) const { return this->*Binding(id).field; }

// The heating report's set point: the stored value (what the operator typed without pressing
// Set is not sent), kept in range, shown, stored and sent without waiting; the tick goes on
// and the heating sequence takes the answer when it comes. A stored value outside the range
// (a hand-edited settings file) is told in the status bar and the log, and once in a box
// that does not stop the tick. False when nothing went out.
bool TForm1::HeatingSetpointSend(SetpointId id) {
  const SetpointBinding b = Binding(id);
  const ClampResult r = ClampSetpoint(id, this->*b.field);
  const unsigned bit = 1u << static_cast<int>(id);
  if (r.outOfRange) {
    const QString text = SetpointRangeMessage(id, ID);
    statusbarRun->SetText(text);
    DiagLog.Send(TimeText(Clock::Now()) + QLatin1Char(' ') + text);
    if (!(HeatingRangeShown & bit)) Dialogs::Notice(this, windowTitle(), text);
    HeatingRangeShown |= bit;
  } else {
    HeatingRangeShown &= ~bit;  // the episode is over once the value is in range
  }
  (this->*b.edit)->setText(QString::number(r.value));
  SetpointKeep(id, r.value);
  return SendLine(ComPort1, SetpointCommand(id, r.value));
}

void TForm1::SetpointKeep(SetpointId id, int value) {
  this->*Binding(id).field = value;
  TIniFile ini = Settings();
  WriteSettingInteger(ini, QStringLiteral("Preferences"), QString::fromLatin1(SetpointOf(id).key), value);
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
  btn->setText(GetLangString(ID, down ? kTextOn : kTextOff));
}

void TForm1::TransferOnOff(bool on) {
  SetToggle(btnTransferAn, on, true);
  SendAndWait(ComPort1, proto::Form(on ? proto::Cmd::TO1 : proto::Cmd::TO0));
}

void TForm1::EmissionOnOff(bool on) {
  SetToggle(btnEmissionAn, on, true);
  SendAndWait(ComPort1, proto::Form(on ? proto::Cmd::EO1 : proto::Cmd::EO0));
}

void TForm1::PMTOnOff(bool on) {
  SetToggle(btnHVoltageAn, on, true);
  if (!on) SendAndWait(ComPort1, proto::Form(proto::Cmd::HS, 0));
  SendAndWait(ComPort1, proto::Form(on ? proto::Cmd::HO1 : proto::Cmd::HO0));
}

void TForm1::FPDAirOnOff(bool on) {
  if (on && !SetpointSet(SetpointId::FPDAir)) return;
  SetToggle(btnFPDAirAN, on, false);
  if (!on) SendAndWait(ComPort1, proto::Form(proto::Cmd::XS, 0));
  SendAndWait(ComPort1, proto::Form(on ? proto::Cmd::XO1 : proto::Cmd::XO0));
}

void TForm1::FPDH2OnOff(bool on) {
  if (on && !SetpointSet(SetpointId::FPDH2)) return;
  SetToggle(btnFPDH2An, on, false);
  if (!on) SendAndWait(ComPort1, proto::Form(proto::Cmd::YS, 0));
  SendAndWait(ComPort1, proto::Form(on ? proto::Cmd::YO1 : proto::Cmd::YO0));
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
  FifoPutString(proto::Form(on ? proto::Cmd::SO1 : proto::Cmd::SO0));
}

void TForm1::VentilblockOnOff(bool on) {
  btnVentilblockAn->setChecked(on);
  if (!SetpointSet(SetpointId::Ventilblock)) return;
  SetToggle(btnVentilblockAn, on, false);
  FifoPutString(proto::Form(on ? proto::Cmd::VO1 : proto::Cmd::VO0));
}

void TForm1::btnMesskammerAnClick() { MesskammerOnOff(btnMesskammerAn->isChecked()); }
void TForm1::btnVentilblockAnClick() { VentilblockOnOff(btnVentilblockAn->isChecked()); }

void TForm1::btnIgnitionClick() { SendAndWait(ComPort1, proto::Form(proto::Cmd::ZZ)); }

void TForm1::edH2Enter() { edH2->setText(QString::number(iH2Set)); }
void TForm1::edAirEnter() { edAir->setText(QString::number(iAirSet)); }
void TForm1::edCarrierEnter() { edCarrier->setText(QString::number(iCarrierSet)); }
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

void TForm1::edH2Exit() { TakePressure(*this, edH2, iH2Set); }
void TForm1::edAirExit() { TakePressure(*this, edAir, iAirSet); }
void TForm1::edCarrierExit() { TakePressure(*this, edCarrier, iCarrierSet); }
