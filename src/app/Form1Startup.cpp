// Start-up and shutdown of the main window.
#include <qcustomplot.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <stdexcept>

#include "app/Zelvo730_Main.h"
#include "core/Clock.h"
#include "core/Errors.h"
#include "core/IniFile.h"
#include "core/Language.h"
#include "core/NumberText.h"
#include "core/Settings.h"
#include "core/TextFile.h"
#include "core/Utils.h"
#include "link/ComPort.h"
#include "link/Protocol.h"
#include "link/StatusReplies.h"
#include "run/CellEvaluation.h"
#include "setup/FactorFields.h"
#include "setup/FieldNumbers.h"
#include "setup/RunParameters.h"
#include "setup/SubstanceLists.h"
#include "setup/TestStandard.h"
#include "ui/Dialogs.h"
#include "ui/TZeLed.h"
#include "ui/Widgets.h"

using namespace zelvo;

void TForm1::FormCreate() {
  try {
    StartUp();
  } catch (const std::exception &e) {
    // Any other error ends the start-up sequence where it happened; the window is then shown
    // as far as it was set up.
    Dialogs::Error(this, windowTitle(), QString::fromUtf8(e.what()));
  }
  ReportSettingsProblems();
}

void TForm1::FormClose() {
  if (Timer1) Timer1->stop();
  Session.CommandQueue.clear();
  Session.ReplyQueue.clear();
  Session.DataQueue1.clear();
  Session.DataQueue2.clear();
}

void TForm1::EndProgram(const QString &message) {
  Dialogs::Information(this, windowTitle(), message);
  ExitCode = 1;
  RequestTerminate();
}

void TForm1::ReportSettingsProblems() {
  if (Session.SettingsProblems.isEmpty()) return;
  Dialogs::Warning(this, windowTitle(), Session.SettingsFile() + QStringLiteral(":\n") + Session.SettingsProblems.join('\n'));
  Session.SettingsProblems.clear();
}

void TForm1::StartUp() {
  if (Serie3) Serie3->setVisible(false);
  setWindowTitle(QStringLiteral("ZELVO730-PC-FLOW-EPC ") + VersionText());
  Session.FIDBaseDraw = false;

  ReadStartupSettings();
  ShowStartupSettings();
  SetupChartAxes();

  Session.Status.Clear();  // the placeholders until the first status reply
  ShowStatusLabels();
  auto T = [this](int n) { return GetLangString(Session.ID, n); };
  btnStop->setEnabled(false);
  btnStart->setEnabled(false);
  for (TZLed *led : {ledSmpOff1, ledSmpOff2, ledSmpOff3}) led->SetLedOn(false);

  LoadSubstanceLists();

  const TIniFile ini = Session.Settings();
  Session.ComPort1->SetDeviceName(ReadSettingText(ini, "Communication", "ComPortA"));
  Session.ComPort2->SetDeviceName(ReadSettingText(ini, "Communication", "ComPortB"));
  if (!IdentifyConverters()) return;

  SetupDetectorControls();
  Session.SendAndWait(Session.ComPort1, proto::Form(Session.ID == kGermanOffset ? proto::Cmd::Y0 : proto::Cmd::Y1));
  Session.SendAndWait(Session.ComPort1, proto::Form(proto::Cmd::X0, u"00:00:00"));
  Session.HasFlowSensor = proto::IsFlowSensorFitted(Session.SendAndWait(Session.ComPort1, proto::Form(proto::Cmd::FA)));

  // Cell time texts on the window and the instrument display.
  Session.Sequencer.State().runTag = 0;
  for (int f = 1; f <= 3; ++f) Session.DispRunBreak(f, false, T(kTextRunTimeNone));

  SendInitialSetPoints();
  lblStartrun->setText(T(kTextStop));
  BuildStatusPolling();
  QueueFirstCommands();

  ledPower->SetLedOn(true);
  Session.FifoPutString(proto::Form(proto::Cmd::R0));
  btnStart->setEnabled(true);
  statusbarRun->SetText(T(kTextNoMeasurement));
  Timer1->start();
}

// The settings file (created with its creation values when missing), the language, and every
// value the program keeps in a field. Keys and defaults are those of the settings table.
void TForm1::ReadStartupSettings() { Session.ReadSettings(); }

// The captions in the chosen language and the values read at start-up in their fields, with
// the settings that live only in their controls: the test standard (selected without running
// its change handler) and the sample information. Then the factors and flows.
void TForm1::ShowStartupSettings() {
  const TIniFile ini = Session.Settings();
  lblLocalChar->setText(LocalCharCaption(Session.ChDeciSep));
  SetLangCaptions(Session.ID);

  editIsobutan->setText(CalPpmText(Session.Run.FIDCALMenge));
  editSulfur->setText(CalPpmText(Session.Run.FPDCalMenge));
  ShowCalibrationState();

  // Selected without running the change handler; an unknown text leaves the group alone.
  const int standard = StandardItemForSetting(ReadSettingText(ini, "Preferences", "Standard"));
  if (standard >= 0) rgStandard->SetItemIndex(standard);

  edH2->setText(QString::number(Session.Setpoints.iH2Set));
  edAir->setText(QString::number(Session.Setpoints.iAirSet));
  edCarrier->setText(QString::number(Session.Setpoints.iCarrierSet));
  editStartdelay->setText(Session.Measurement.Startdelay);
  lblDelay->setText(Session.Measurement.Startdelay);
  editVentilblock->setText(QString::number(Session.Setpoints.TempVentilblock));
  editMesskammer->setText(QString::number(Session.Setpoints.TempMesskammer));
  editEmmision->setText(QString::number(Session.Setpoints.TempEmissionskammer));
  editTransfer->setText(QString::number(Session.Setpoints.TempTransferline));
  editHvoltage->setText(QString::number(Session.Setpoints.Hochspannung));
  editFPDAir->setText(QString::number(Session.Setpoints.AirFPD));
  editFPDH2->setText(QString::number(Session.Setpoints.H2FPD));

  editInfo1->setText(Session.Measurement.sInfo1);
  editInfo2->setText(Session.Measurement.sInfo2);
  editInfo3->setText(Session.Measurement.sInfo3);

  editStart->setText(QString::number(Session.Run.Startzelle));
  editAnzahl->setText(QString::number(Session.Run.AnzahlZellen));
  editMesszeit->setText(QString::number(Session.Run.Messzeit));
  editZyklen->setText(QString::number(Session.Run.AnzahlMessreihen));
  editLimitFID->setText(LimitText(Session.Run.LimitFID));
  editLimitFPD->setText(LimitText(Session.Run.LimitFPD));
  editScale->setText(QString::number(Session.Measurement.Scale));
  editScaleMin->setText(QString::number(Session.Measurement.ScaleMin));

  LoadFactorsAndFlows();
}

// An FPD is switched off and its controls enabled; an FID alone gets its FPD controls
// disabled and nothing is sent.
void TForm1::SetupDetectorControls() {
  if (Session.DeviceTyp == TDeviceTyp::FPD || Session.DeviceTyp == TDeviceTyp::FIDFPD) {
    btnIgnition->setEnabled(true);
    EmissionOnOff(false);
    TransferOnOff(false);
    PMTOnOff(false);
    FPDH2OnOff(false);
    FPDAirOnOff(false);
    return;
  }
  btnIgnition->setEnabled(false);
  for (QPushButton *b : {btnEmissionAn, btnTransferAn, btnHVoltageAn, btnFPDH2An, btnFPDAirAN}) {
    b->setEnabled(false);
    b->setChecked(false);
  }
}

// The gas set points are read back and a differing one is set again from the program's
// value; then the program's other set points go to the instrument.
void TForm1::SendInitialSetPoints() {
  struct GasReadBack {
    proto::Cmd cmd;
    SetpointId id;
  };
  const GasReadBack gases[] = {
      {proto::Cmd::BC, SetpointId::Air}, {proto::Cmd::WC, SetpointId::H2}, {proto::Cmd::CC, SetpointId::Carrier}};
  for (const GasReadBack &g : gases) {
    const QString cmd = proto::Form(g.cmd);
    const QString reply = Session.SendAndWait(Session.ComPort1, cmd);
    // A missing or garbled read-back counts as differing: the program's own set point is
    // sent, instead of ending the start-up with the tick never running.
    const SetPointReadBack readBack = ReadBackSetPoint(reply, Session.SetpointValue(g.id));
    if (!readBack.value && Session.DebugLevel > 0)
      Session.DiagLog.Send(TimeText(Clock::Now()) + QStringLiteral(" no set point in the reply to ") + cmd.trimmed() +
                   QStringLiteral(": ") + reply);
    if (readBack.resend) Session.SetpointApply(g.id, Session.SetpointValue(g.id));
  }
  for (SetpointId id :
       {SetpointId::FPDAir, SetpointId::FPDH2, SetpointId::Emmision, SetpointId::Transfer, SetpointId::HVoltage})
    Session.SetpointApply(id, Session.SetpointValue(id));
}

// The status poll list, and the flow displays shown or hidden with the flow sensor.
void TForm1::BuildStatusPolling() {
  Session.PollList = BuildPollList(Session.DeviceTyp, Session.HasFlowSensor, Clock::Steady());
  Session.PollCursor = 0;
  if (Session.HasFlowSensor) {
    Session.sFlowVal = QStringLiteral("0");
    lblFlowVal->setText(Session.sFlowVal);
    lblFlowValTab1->setText(Session.sFlowVal);
    return;
  }
  for (QCheckBox *cb : {cbAutoflow1, cbAutoflow2, cbAutoflow3}) {
    cb->setChecked(false);
    cb->setVisible(false);
  }
  for (TLabel *l : {lblFlowVal, lblFlowDim, lblFlowValTab1, lblFlowDimTab1}) l->setVisible(false);
}

// The held bytes take their start values and are sent whole; the converters' streams stop.
void TForm1::QueueFirstCommands() {
  Session.HeatingStateByte = kHeatingPortAtStart;
  Session.FifoPutString(proto::Form(proto::Cmd::PS, Session.HeatingStateByte));
  Session.Valves.ValveByte1 = kValveBankClosed;
  Session.FifoPutString(proto::Form(proto::Cmd::V1S, Session.Valves.ValveByte1));
  Session.Valves.ValveByte2 = kValveBankClosed;
  Session.FifoPutString(proto::Form(proto::Cmd::V2S, Session.Valves.ValveByte2));
  Session.Valves.LampByte = kLampByteAtStart;
  Session.FifoPutString(proto::Form(proto::Cmd::LS, Session.Valves.LampByte));
  Session.FifoPutString(proto::Form(proto::Cmd::DG));
  Session.FifoPutString(proto::Form(proto::Cmd::StreamOff));
  if (Session.DeviceTyp == TDeviceTyp::FIDFPD) Session.SendLine(Session.ComPort2, proto::Form(proto::Cmd::StreamOff));
}

// Opens the ports and identifies the converters. Returns false when the program ends.
bool TForm1::IdentifyConverters() {
  return Session.DeviceTyp == TDeviceTyp::FIDFPD ? IdentifyConverterPair() : IdentifyConverter();
}

// FID or FPD: one converter, on port 1, which must have an I2C port.
bool TForm1::IdentifyConverter() {
  const QString prog = QStringLiteral("Programm : ZELVO730-PC\r") + VersionText() + '\r';
  const QString notFound = GetLangString(Session.ID, kTextConverterNotFound);
  if (!Session.OpenPort(Session.ComPort1)) {
    EndProgram(prog + notFound + '\r');
    return false;
  }
  const QString reply = Session.SendAndWait(Session.ComPort1, proto::FormIdentify(proto::SnFraming::CrLfAround));
  if (reply.isEmpty()) {
    Session.ComPort1->Close();
    EndProgram(prog + Session.ComPort1->DeviceName() + ": " + notFound + '\r');
    return false;
  }
  if (!proto::HasI2cPort(reply)) {
    Session.ComPort1->Close();
    EndProgram(prog + GetLangString(Session.ID, kTextConverterNoI2c) + '\r');
    return false;
  }
  Session.sSerialNumber = proto::SerialNumberText(reply);
  SetConnectionItem(0, Session.ComPort1->DeviceName() + ' ' + Session.sSerialNumber, true);
  SetConnectionItem(1, Session.ComPort2->DeviceName() + " --------", false);
  return true;
}

// FIDFPD: the converter with the I2C port on port 1 (the ports are swapped when the other
// one answers there), the FPD converter on port 2; without port 2 the instrument runs as FID.
bool TForm1::IdentifyConverterPair() {
  const QString notFound = GetLangString(Session.ID, kTextConverterNotFound);
  QString reply;
  if (Session.OpenPort(Session.ComPort1)) reply = Session.SendAndWait(Session.ComPort1, proto::FormIdentify(proto::SnFraming::Plain));
  if (reply.isEmpty()) {
    Session.ComPort1->Close();
    EndProgram(Session.ComPort1->DeviceName() + ": " + notFound);
    return false;
  }
  if (!proto::HasI2cPort(reply)) {
    Session.ComPort1->Close();
    SwapPorts();
    reply.clear();
    if (Session.OpenPort(Session.ComPort1)) reply = Session.SendAndWait(Session.ComPort1, proto::FormIdentify(proto::SnFraming::CrBefore));
    if (reply.isEmpty()) {
      Session.ComPort1->Close();
      EndProgram(Session.ComPort1->DeviceName() + ": " + notFound);
      return false;
    }
  }
  Session.sSerialNumber = proto::SerialNumberText(reply);
  SetConnectionItem(0, Session.ComPort1->DeviceName() + ' ' + Session.sSerialNumber, true);

  if (!Session.OpenPort(Session.ComPort2)) {
    Session.DeviceTyp = TDeviceTyp::FID;
    Dialogs::Information(this, windowTitle(), GetLangString(Session.ID, kTextFpdConverterNotFound));
    SetConnectionItem(1, Session.ComPort2->DeviceName() + " --------", false);
    return true;
  }
  SetConnectionItem(1, Session.ComPort2->DeviceName(), true);
  const QString reply2 = Session.SendAndWait(Session.ComPort2, proto::FormIdentify(proto::SnFraming::Plain));
  if (reply2.isEmpty()) {
    Session.ComPort2->Close();
    EndProgram(Session.ComPort2->DeviceName() + ": " + notFound);
    return false;
  }
  SetConnectionItem(1, Session.ComPort2->DeviceName() + ' ' + proto::SerialNumberText(reply2), true);
  return true;
}

// Port 1 takes the name of ComPortB and port 2 that of ComPortA; each keeps the default of
// its role (port 1 "COM1", port 2 "COM2").
void TForm1::SwapPorts() {
  const TIniFile ini = Session.Settings();
  const QString section = QStringLiteral("Communication");
  const QString portA = QStringLiteral("ComPortA"), portB = QStringLiteral("ComPortB");
  Session.ComPort1->SetDeviceName(
      ReadSettingText(ini, section, portB, FindSettingKey(section, portA)->DefaultText()));
  Session.ComPort2->SetDeviceName(
      ReadSettingText(ini, section, portA, FindSettingKey(section, portB)->DefaultText()));
}

QString TForm1::FlowText(double v) const { return zelvo::FlowText(v); }
QString TForm1::FactorText(double v) const { return zelvo::FactorText(v); }

// Factors with their substance names, and the flows, from the settings file; a value that
// does not convert, or one of 0 or below, takes its default and is reported.
void TForm1::LoadFactorsAndFlows() {
  const TFactorFieldsLoad load = LoadFactorFields(Session.Settings(), Session.ID);
  for (const TFactorFieldValue &f : load.Fields) {
    const TFactorFieldDef &fieldDef = FactorFieldOf(f.Id);
    auto *edit = findChild<QLineEdit *>(QString::fromLatin1(fieldDef.Field));
    edit->setText(f.Text);
    if (auto *labeled = qobject_cast<TLabeledEdit *>(edit)) labeled->EditLabel()->setText(f.Name);
    Session.Fields.Factors[static_cast<int>(f.Id)].Name = f.Name;
    Session.FactorValue(f.Id) = f.Value;
  }
  ShowFactorDisplays(load.Displays);
  Session.SettingsProblems << load.Problems;
}

// Green when a calibration area counts as one (the evaluation's thresholds), salmon otherwise.
void TForm1::ShowCalibrationState() {
  auto paint = [](QLineEdit *e, bool calibrated) {
    const QColor c = calibrated ? QColor(125, 198, 117) : QColor(254, 169, 148);
    e->setStyleSheet(QStringLiteral("QLineEdit { background-color: %1; }").arg(c.name()));
  };
  paint(editIsobutan, FidCalibrated(Session.Measurement.FIDCalArea));
  paint(editSulfur, FpdCalibrated(Session.Measurement.FPDCalArea));
}

// One line of the port list: the port's name and what answered on it.
void TForm1::SetConnectionItem(int index, const QString &text, bool checked) {
  while (clBoxConnection->count() <= index) clBoxConnection->AddItem(QString());
  clBoxConnection->SetItemText(index, text);
  clBoxConnection->SetChecked(index, checked);
}

// Chart limits and titles from the settings and the language.
void TForm1::SetupChartAxes() {
  Chart1->xAxis->setRange(0, Session.Run.Messzeit);
  Chart1->yAxis->setRange(Session.Measurement.ScaleMin, Session.Measurement.Scale);
  Chart1->yAxis->setLabel(GetLangString(Session.ID, kTextMicrovolt));
  Series1->setName(GetLangString(Session.ID, kTextFidChannel));
  Series2->setName(GetLangString(Session.ID, kTextFpdChannel));
  Chart1Title->setText(GetLangString(Session.ID, kTextChartTitle));
  Chart1->replot();
}

// The two substance lists from their files beside the program. A missing or unreadable
// list keeps the control's start content; the operator is told, and the start-up goes on
// (the ports and the tick must not depend on a list of factors). Only a list that was read,
// or whose file was absent, is ever saved over its file.
void TForm1::LoadSubstanceLists() {
  struct ListOf {
    TValueListEditor *control;
    TSubstanceList list;
    TListFileState &state;
    QList<TSubstance> &shown;
  };
  for (ListOf l : {ListOf{ValueListEditor1, TSubstanceList::CH, ListState1, ListShown1},
                   ListOf{ValueListEditor2, TSubstanceList::S, ListState2, ListShown2}}) {
    const TSubstanceListLoad load = LoadSubstanceList(Session.ProgramDir(), l.list, Session.ID);
    l.state = load.State;
    l.shown = load.Entries;
    l.control->SetStrings(SubstanceLines(load.Entries));
    Session.SettingsProblems << load.Problems;
  }
}
