// Start-up and shutdown of the main window.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

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
#include "ui/Dialogs.h"
#include "ui/TZeLed.h"
#include "ui/Widgets.h"

#include <qcustomplot.h>

using namespace zelvo;

QString TForm1::ProgramDir() const {
  return ProgramDirOverride.isEmpty() ? QCoreApplication::applicationDirPath() : ProgramDirOverride;
}

QString TForm1::SettingsFile() const { return ProgramDir() + QStringLiteral("/Zelvo730.ini"); }


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
  CommandQueue.clear();
  ReplyQueue.clear();
  DataQueue1.clear();
  DataQueue2.clear();
}

void TForm1::EndProgram(const QString &message) {
  Dialogs::Information(this, windowTitle(), message);
  ExitCode = 1;
  RequestTerminate();
}

// A float that does not convert takes its default; the problem is reported once the
// start-up is through, instead of leaving a window that looks alive and does nothing.
double TForm1::ReadSettingFloat(const QString &section, const QString &key, double def) {
  try {
    return Settings().ReadFloat(section, key, def);
  } catch (const EConvertError &e) {
    SettingsProblems << e.Message() + QStringLiteral(" (") + FloatToStr(def) + QStringLiteral(" used)");
    return def;
  }
}

void TForm1::ReportSettingsProblems() {
  if (SettingsProblems.isEmpty()) return;
  Dialogs::Warning(this, windowTitle(), SettingsFile() + QStringLiteral(":\n") + SettingsProblems.join('\n'));
  SettingsProblems.clear();
}

void TForm1::StartUp() {
  auto T = [this](int n) { return GetLangString(ID, n); };
  // 1-3
  if (Serie3) Serie3->setVisible(false);
  if (Serie4) Serie4->setVisible(false);
  setWindowTitle(QStringLiteral("ZELVO730-PC-FLOW-EPC ") + VersionText());
  FIDBaseDraw = false;  // 4

  // 5: settings file, created with its creation values when missing.
  CreateSettingsFileIfMissing(SettingsFile(), ProgramDir());
  TIniFile ini = Settings();

  // 6-7: language
  ID = LanguageOffset(ini.ReadString("Language", "Code", "US"));
  const TFormatSettings format = LanguageFormat(ID);
  dtFormat = format.Locale;
  ChDeciSep = format.DecimalSeparator;
  lblLocalChar->setText(LocalCharCaption(ChDeciSep));
  SetLangCaptions(ID);

  // 8-11
  const QString typ = ini.ReadString("DeviceTyp", "Typ", "FID");
  DeviceTyp = typ == "FPD" ? TDeviceTyp::FPD : typ == "FIDFPD" ? TDeviceTyp::FIDFPD : TDeviceTyp::FID;
  DebugLevel = ini.ReadInteger("Debug", "SetDebug", 0);
  DiagLog.SetFile(TDiagLog::FileBeside(SettingsFile()));
  RawDataSave = ini.ReadInteger("Measurement", "RawDataSave", 0) != 0;
  LoopVolume = ini.ReadInteger("Detection", "Loopvolume", 200);
  Loopflow = ini.ReadInteger("Detection", "Loopflow", 10000);
  MinPeakWith = LoopVolume / (Loopflow / 60.0);
  PeakTime = ini.ReadInteger("Detection", "PeakIndex", 25);
  MinPeakStart = ini.ReadInteger("Detection", "MinIndex", 10);

  // 12: calibration
  FIDCALMenge = ReadSettingFloat("Calibration", "FID/ppm", 100);
  FPDCalMenge = ReadSettingFloat("Calibration", "FPD/ppm", 10);
  FIDCalArea = ini.ReadInteger("Calibration", "FIDCalArea", 0);
  FPDCalArea = ini.ReadInteger("Calibration", "FPDCalArea", 0);
  editIsobutan->setText(FloatToStr(FIDCALMenge));
  editSulfur->setText(FloatToStr(FPDCalMenge));
  ShowCalibrationState();

  // 13: test standard, without running its change handler
  const QString standard = ini.ReadString("Preferences", "Standard", "ASTM");
  if (standard == "ASTM") rgStandard->SetItemIndex(0);
  if (standard == "EN374") rgStandard->SetItemIndex(1);

  // 14-18: set points
  TempVentilblock = ini.ReadInteger("Preferences", "TempValves", 100);
  TempMesskammer = ini.ReadInteger("Preferences", "TempMeasurementCell", 100);
  TempEmissionskammer = ini.ReadInteger("Preferences", "TempEmissionCell", 100);
  TempTransferline = ini.ReadInteger("Preferences", "TempTransferline", 100);
  iH2Set = ini.ReadInteger("Preferences", "H2Set", 600);
  iAirSet = ini.ReadInteger("Preferences", "AirSet", 600);
  iCarrierSet = ini.ReadInteger("Preferences", "CarrierSet", 600);
  edH2->setText(QString::number(iH2Set));
  edAir->setText(QString::number(iAirSet));
  edCarrier->setText(QString::number(iCarrierSet));
  Hochspannung = ini.ReadInteger("Preferences", "HighVoltage", 100);
  AirFPD = ini.ReadInteger("Preferences", "FPD_Air", 500);
  H2FPD = ini.ReadInteger("Preferences", "FPD_H2", 500);
  Startdelay = ini.ReadString("Preferences", "Startdelay", "01:00");
  editStartdelay->setText(Startdelay);
  lblDelay->setText(Startdelay);
  editVentilblock->setText(QString::number(TempVentilblock));
  editMesskammer->setText(QString::number(TempMesskammer));
  editEmmision->setText(QString::number(TempEmissionskammer));
  editTransfer->setText(QString::number(TempTransferline));
  editHvoltage->setText(QString::number(Hochspannung));
  editFPDAir->setText(QString::number(AirFPD));
  editFPDH2->setText(QString::number(H2FPD));

  // 19: sample information
  editInfo1->setText(ini.ReadString("Info", "Sampleinfo1", "SampleInfo1"));
  editInfo2->setText(ini.ReadString("Info", "Sampleinfo2", "SampleInfo2"));
  editInfo3->setText(ini.ReadString("Info", "Sampleinfo3", "SampleInfo3"));

  // 20: run parameters
  Startzelle = ini.ReadInteger("Measurement", "StartingCell", 1);
  AnzahlZellen = ini.ReadInteger("Measurement", "NumberOfCells", 4);
  Messzeit = ini.ReadInteger("Measurement", "MeasurementTimePerCell/s", 60);
  AnzahlMessreihen = ini.ReadInteger("Measurement", "NumberOfCycles", 10);
  LimitFID = ReadSettingFloat("Measurement", "LimitFID", 100);
  LimitFPD = ReadSettingFloat("Measurement", "LimitFPD", 10);
  SampleArea = ReadSettingFloat("Measurement", QStringLiteral("SampleArea(cm\u00B2)"), 19.6);
  CalFlow = ReadSettingFloat("Calibration", "CalFlow", 100);
  editCalFlow->setText(FlowText(CalFlow));

  // 21: factors, names and flows
  LoadFactorsAndFlows();

  // 22-23
  SampleTime = ini.ReadInteger("Measurement", "MeasurementSampleTime/s", 45);
  InjectionTime = ini.ReadInteger("Measurement", "MeasurementInjectionTime/s", 300);
  Scale = ini.ReadInteger("Measurement", "Scale", 20000);
  ScaleMin = ini.ReadInteger("Measurement", "ScaleMin", 0);
  sInitialDir = ini.ReadString("Measurement", "InitialDir", "c:\\");
  sDataDir = ini.ReadString("Measurement", "DataDir", "c:\\");
  sDateiname.clear();
  editStart->setText(QString::number(Startzelle));
  editAnzahl->setText(QString::number(AnzahlZellen));
  editMesszeit->setText(QString::number(Messzeit));
  editZyklen->setText(QString::number(AnzahlMessreihen));
  editLimitFID->setText(QLocale().toString(LimitFID, 'f', 1));
  editLimitFPD->setText(QLocale().toString(LimitFPD, 'f', 1));
  editScale->setText(QString::number(Scale));
  editScaleMin->setText(QString::number(ScaleMin));

  // 24: chart
  SetupChartAxes();

  // 25-26: placeholders until the first status reply
  for (TLabel *l : {lblVentilblock, lblMesskammer, lblEmmision, lblTransfer}) l->setText("--- " + T(18));
  lblHVoltage->setText("---- " + T(25));
  lblFPDH2->setText("---- " + T(122));
  lblFPDAir->setText("---- " + T(123));
  btnStop->setEnabled(false);
  btnStart->setEnabled(false);
  for (TZLed *led : {ledSmpOff1, ledSmpOff2, ledSmpOff3}) led->SetLedOn(false);

  // 27: substance lists
  LoadSubstanceLists();

  // 28-29: ports and identification
  ComPort1->SetDeviceName(ini.ReadString("Communication", "ComPortA", "COM1"));
  ComPort2->SetDeviceName(ini.ReadString("Communication", "ComPortB", "COM2"));
  if (!IdentifyConverters()) return;

  // 30: detector controls
  if (DeviceTyp == TDeviceTyp::FPD || DeviceTyp == TDeviceTyp::FIDFPD) {
    btnIgnition->setEnabled(true);
    EmissionOnOff(false);
    TransferOnOff(false);
    PMTOnOff(false);
    FPDH2OnOff(false);
    FPDAirOnOff(false);
  } else {
    btnIgnition->setEnabled(false);
    for (QPushButton *b : {btnEmissionAn, btnTransferAn, btnHVoltageAn, btnFPDH2An, btnFPDAirAN}) {
      b->setEnabled(false);
      b->setChecked(false);
    }
  }

  // 31
  SendAndWait(ComPort1, proto::Form(ID == 0 ? proto::Cmd::Y0 : proto::Cmd::Y1));
  SendAndWait(ComPort1, proto::Form(proto::Cmd::X0, u"00:00:00"));
  HasFlowSensor = proto::IsFlowSensorFitted(SendAndWait(ComPort1, proto::Form(proto::Cmd::FA)));

  // 32: cell time texts
  runTag = 0;
  for (int f = 1; f <= 3; ++f) DispRunBreak(f, false, T(39));

  // 33: gas set points read back; a differing one is set again from the program's value
  struct GasReadBack {
    proto::Cmd cmd;
    int TForm1::*field;
    void (TForm1::*set)();
  };
  const GasReadBack gases[] = {{proto::Cmd::BC, &TForm1::iAirSet, &TForm1::btnAirSetClick},
                               {proto::Cmd::WC, &TForm1::iH2Set, &TForm1::btnH2SetClick},
                               {proto::Cmd::CC, &TForm1::iCarrierSet, &TForm1::btnCarrierSetClick}};
  for (const GasReadBack &g : gases) {
    const QString cmd = proto::Form(g.cmd);
    const QString reply = SendAndWait(ComPort1, cmd);
    // A missing or garbled read-back counts as differing: the program's own set point is
    // sent, instead of ending the start-up with the tick never running.
    const auto value = proto::HexField(reply, 4, 7);
    if (!value && DebugLevel > 0)
      DiagLog.Send(TimeText(Clock::Now()) + QStringLiteral(" no set point in the reply to ") + cmd.trimmed() +
                   QStringLiteral(": ") + reply);
    if (!value || *value != this->*g.field) (this->*g.set)();
  }

  // 34: the program's set points go to the instrument
  btnFPDAirSetClick();
  btnFPDH2SetClick();
  btnEmissionSetClick();
  btnTransferSetClick();
  btnHVoltageSetClick();

  // 35-36
  lblStartrun->setText(T(30));
  PollOwners owners{editMesskammer, editVentilblock, editEmmision, editTransfer,
                    editFPDAir,     editFPDH2,       editHvoltage, lblFlowVal};
  PollList = BuildPollList(DeviceTyp, HasFlowSensor, Clock::Steady(), owners);
  if (HasFlowSensor) {
    lblFlowVal->setText("0");
    lblFlowValTab1->setText("0");
  } else {
    for (QCheckBox *cb : {cbAutoflow1, cbAutoflow2, cbAutoflow3}) {
      cb->setChecked(false);
      cb->setVisible(false);
    }
    for (TLabel *l : {lblFlowVal, lblFlowDim, lblFlowValTab1, lblFlowDimTab1}) l->setVisible(false);
  }

  // 37: first queued commands
  FifoPutString(proto::Form(proto::Cmd::PS, 0xFF));
  HeatingStateByte = 0xFF;
  FifoPutString(proto::Form(proto::Cmd::V1S, 0xFF));
  ValveByte1 = 0xFF;
  FifoPutString(proto::Form(proto::Cmd::V2S, 0xFF));
  ValveByte2 = 0xFF;
  FifoPutString(proto::Form(proto::Cmd::LS, 0xEF));
  LampByte = 0xEF;
  FifoPutString(proto::Form(proto::Cmd::DG));
  FifoPutString(proto::Form(proto::Cmd::StreamOff));
  if (DeviceTyp == TDeviceTyp::FIDFPD) SendLine(ComPort2, proto::Form(proto::Cmd::StreamOff));

  // 38
  ledPower->SetLedOn(true);
  FifoPutString(proto::Form(proto::Cmd::R0));
  btnStart->setEnabled(true);
  statusbarRun->SetText(T(88));
  Timer1->start();
}

// Opens the ports and identifies the converters. Returns false when the program ends.
bool TForm1::IdentifyConverters() {
  const QString prog = QStringLiteral("Programm : ZELVO730-PC\r") + VersionText() + '\r';
  const QString notFound = GetLangString(ID, 91);
  if (DeviceTyp != TDeviceTyp::FIDFPD) {
    if (!OpenPort(ComPort1)) {
      EndProgram(prog + notFound + '\r');
      return false;
    }
    const QString reply = SendAndWait(ComPort1, proto::FormIdentify(proto::SnFraming::CrLfAround));
    if (reply.isEmpty()) {
      ComPort1->Close();
      EndProgram(prog + ComPort1->DeviceName() + ": " + notFound + '\r');
      return false;
    }
    if (!proto::HasI2cPort(reply)) {
      ComPort1->Close();
      EndProgram(prog + GetLangString(ID, 90) + '\r');
      return false;
    }
    sSerialNumber = proto::SerialNumberText(reply);
    SetConnectionItem(0, ComPort1->DeviceName() + ' ' + sSerialNumber, true);
    SetConnectionItem(1, ComPort2->DeviceName() + " --------", false);
    return true;
  }

  QString reply;
  if (OpenPort(ComPort1)) reply = SendAndWait(ComPort1, proto::FormIdentify(proto::SnFraming::Plain));
  if (reply.isEmpty()) {
    ComPort1->Close();
    EndProgram(ComPort1->DeviceName() + ": " + notFound);
    return false;
  }
  if (!proto::HasI2cPort(reply)) {
    // The FID converter is on the other port: swap the two.
    ComPort1->Close();
    TIniFile ini = Settings();
    ComPort1->SetDeviceName(ini.ReadString("Communication", "ComPortB", "COM1"));
    ComPort2->SetDeviceName(ini.ReadString("Communication", "ComPortA", "COM2"));
    reply.clear();
    if (OpenPort(ComPort1)) reply = SendAndWait(ComPort1, proto::FormIdentify(proto::SnFraming::CrBefore));
    if (reply.isEmpty()) {
      ComPort1->Close();
      EndProgram(ComPort1->DeviceName() + ": " + notFound);
      return false;
    }
  }
  sSerialNumber = proto::SerialNumberText(reply);
  SetConnectionItem(0, ComPort1->DeviceName() + ' ' + sSerialNumber, true);

  if (OpenPort(ComPort2)) {
    SetConnectionItem(1, ComPort2->DeviceName(), true);
    const QString reply2 = SendAndWait(ComPort2, proto::FormIdentify(proto::SnFraming::Plain));
    if (reply2.isEmpty()) {
      ComPort2->Close();
      EndProgram(ComPort2->DeviceName() + ": " + notFound);
      return false;
    }
    SetConnectionItem(1, ComPort2->DeviceName() + ' ' + proto::SerialNumberText(reply2), true);
  } else {
    DeviceTyp = TDeviceTyp::FID;
    Dialogs::Information(this, windowTitle(), GetLangString(ID, 92));
    SetConnectionItem(1, ComPort2->DeviceName() + " --------", false);
  }
  return true;
}

QString TForm1::FlowText(double v) const { return FloatToStrF(v, 5, 1); }
QString TForm1::FactorText(double v) const { return FloatToStrF(v, 6, 2); }

// Factors with their substance names, and the flows (start-up step of the factors tab).
void TForm1::LoadFactorsAndFlows() {
  TIniFile ini = Settings();
  FIDCalFactor = ReadSettingFloat("Measurement", "FIDCalFactor", 1);
  lbleditFIDCalFact->setText(FactorText(FIDCalFactor));
  lblFIDCalFactor->setText('[' + lbleditFIDCalFact->text() + ']');
  lbleditFIDCalFact->EditLabel()->setText(ini.ReadString("Measurement", "FIDCalFactorName", "Isobutan"));
  lblFIDCalInfo->setText(lbleditFIDCalFact->EditLabel()->text() + " (ppm)");

  double *const sampleFlows[] = {&SampleFlow1, &SampleFlow2, &SampleFlow3};
  QLineEdit *const flowEdits[] = {editSampleFlow1, editSampleFlow2, editSampleFlow3};
  double *const fidFactors[] = {&FIDFactor1, &FIDFactor2, &FIDFactor3};
  TLabeledEdit *const fidEdits[] = {lblEditFact1, lblEditFact2, lblEditFact3};
  TLabel *const infos[] = {lblInfoSample1, lblInfoSample2, lblInfoSample3};
  for (int i = 0; i < 3; ++i) {
    const QString n = QString::number(i + 1);
    *sampleFlows[i] = ReadSettingFloat("Measurement", "SampleFlow" + n, 100);
    flowEdits[i]->setText(FlowText(*sampleFlows[i]));
    *fidFactors[i] = ReadSettingFloat("Measurement", "FIDSampleFactor" + n, 1);
    fidEdits[i]->setText(FactorText(*fidFactors[i]));
    fidEdits[i]->EditLabel()->setText(ini.ReadString("Measurement", "FIDSampleFactorName" + n, "Isobutan"));
    infos[i]->setText(fidEdits[i]->EditLabel()->text() + '[' + fidEdits[i]->text() + ']');
  }

  FPDCalFactor = ReadSettingFloat("Measurement", "FPDCalFactor", 1);
  lbleditFPDCalFact->setText(FactorText(FPDCalFactor));
  lblFPDCalFactor->setText('[' + lbleditFPDCalFact->text() + ']');
  lbleditFPDCalFact->EditLabel()->setText(ini.ReadString("Measurement", "FPDCalFactorName", "THT"));
  lblFPDCALInfo->setText(lbleditFPDCalFact->EditLabel()->text() + " (ppm)");

  double *const fpdFactors[] = {&FPDFactor1, &FPDFactor2, &FPDFactor3};
  TLabeledEdit *const fpdEdits[] = {lbleditFPDFact1, lblEditFPDFact2, lblEditFPDFact3};
  for (int i = 0; i < 3; ++i) {
    const QString n = QString::number(i + 1);
    *fpdFactors[i] = ReadSettingFloat("Measurement", "FPDSampleFactor" + n, 1);
    fpdEdits[i]->setText(FactorText(*fpdFactors[i]));
    fpdEdits[i]->EditLabel()->setText(ini.ReadString("Measurement", "FPDSampleFactorName" + n, "THT"));
  }
}

// Green when a calibration area has been captured, salmon while it is missing.
void TForm1::ShowCalibrationState() {
  auto paint = [](QLineEdit *e, int area) {
    const QColor c = area >= 1000 ? QColor(125, 198, 117) : QColor(254, 169, 148);
    e->setStyleSheet(QStringLiteral("QLineEdit { background-color: %1; }").arg(c.name()));
  };
  paint(editIsobutan, FIDCalArea);
  paint(editSulfur, FPDCalArea);
}

// One line of the port list: the port's name and what answered on it.
void TForm1::SetConnectionItem(int index, const QString &text, bool checked) {
  while (clBoxConnection->count() <= index) clBoxConnection->AddItem(QString());
  clBoxConnection->SetItemText(index, text);
  clBoxConnection->SetChecked(index, checked);
}

// Chart limits and titles from the settings and the language.
void TForm1::SetupChartAxes() {
  Chart1->xAxis->setRange(0, Messzeit);
  Chart1->yAxis->setRange(ScaleMin, Scale);
  Chart1->yAxis->setLabel(GetLangString(ID, 107));
  Series1->setName(GetLangString(ID, 53));
  Series2->setName(GetLangString(ID, 54));
  if (Chart1Title) Chart1Title->setText(GetLangString(ID, 106));
  Chart1->replot();
}

// The two substance lists from their files beside the program. A missing or unreadable
// list keeps the control's start content; the operator is told, and the start-up goes on
// (the ports and the tick must not depend on a list of factors).
void TForm1::LoadSubstanceLists() {
  struct ListFile {
    TValueListEditor *list;
    const char *name;
  };
  for (const ListFile &f : {ListFile{ValueListEditor1, "CH-Substanzen.txt"}, ListFile{ValueListEditor2, "S-Substanzen.txt"}}) {
    const QString path = ProgramDir() + '/' + QLatin1String(f.name);
    try {
      f.list->SetStrings(ReadTextLines(path));
    } catch (const EFileError &e) {
      SettingsProblems << e.Message();
    }
  }
}
