// The session's start: the settings file read into the values the program keeps, the
// converters identified on their ports, the instrument brought to its start state.
#include "core/Clock.h"
#include "core/Language.h"
#include "core/NumberText.h"
#include "core/Settings.h"
#include "core/Utils.h"
#include "link/ComPort.h"
#include "link/Protocol.h"
#include "session/Session.h"
#include "setup/FactorFields.h"
#include "setup/RunParameters.h"

namespace zelvo {

// The settings file (created with its creation values when missing), the language, and every
// value the program keeps. Keys and defaults are those of the settings table.
void TSession::ReadSettings() {
  CreateSettingsFileIfMissing(SettingsFile(), DataDirDefault.isEmpty() ? ProgramDir() : DataDirDefault);
  const TIniFile ini = Settings();
  auto Int = [&ini](const char *section, const char *key) { return ReadSettingInteger(ini, section, key); };
  auto Text = [&ini](const char *section, const char *key) { return ReadSettingText(ini, section, key); };
  auto Float = [this](const char *section, const QString &key) { return ReadSettingFloat(section, key); };

  ID = LanguageOffset(Text("Language", "Code"));
  const TFormatSettings format = LanguageFormat(ID);
  dtFormat = format.Locale;
  ChDeciSep = format.DecimalSeparator;

  const QString typ = Text("DeviceTyp", "Typ");
  DeviceTyp = typ == "FPD" ? TDeviceTyp::FPD : typ == "FIDFPD" ? TDeviceTyp::FIDFPD : TDeviceTyp::FID;
  DebugLevel = Int("Debug", "SetDebug");
  DiagLog.SetFile(TDiagLog::FileBeside(SettingsFile()));
  Measurement.RawDataSave = Int("Measurement", "RawDataSave") != 0;
  // A loop volume, loop flow or index of 0 or below takes its default (a loop flow of 0 would
  // make the peak width infinite).
  const TDetectionCheck detection = ReadDetection(ini, ID);
  Detection = detection.Values;
  SettingsProblems << detection.Problems;

  Measurement.FIDCalArea = Int("Calibration", "FIDCalArea");
  Measurement.FPDCalArea = Int("Calibration", "FPDCalArea");

  Setpoints.TempVentilblock = Int("Preferences", "TempValves");
  Setpoints.TempMesskammer = Int("Preferences", "TempMeasurementCell");
  Setpoints.TempEmissionskammer = Int("Preferences", "TempEmissionCell");
  Setpoints.TempTransferline = Int("Preferences", "TempTransferline");
  Setpoints.iH2Set = Int("Preferences", "H2Set");
  Setpoints.iAirSet = Int("Preferences", "AirSet");
  Setpoints.iCarrierSet = Int("Preferences", "CarrierSet");
  Setpoints.Hochspannung = Int("Preferences", "HighVoltage");
  Setpoints.AirFPD = Int("Preferences", "FPD_Air");
  Setpoints.H2FPD = Int("Preferences", "FPD_H2");
  Measurement.Startdelay = Text("Preferences", "Startdelay");

  // The run parameters; a value their fields would refuse takes its default.
  const TRunParamsLoad run = LoadRunParams(ini, ID);
  Run = run.Values;
  SettingsProblems << run.Problems;
  const QString areaKey = QStringLiteral("SampleArea(cm\u00B2)");
  Measurement.SampleArea = Float("Measurement", areaKey);
  if (!(Measurement.SampleArea > 0)) {
    const double def = FindSettingKey("Measurement", areaKey)->DefaultFloat();
    SettingsProblems << QStringLiteral("[Measurement] %1 = %2: %3 (%4)")
                            .arg(areaKey, FloatToStr(Measurement.SampleArea),
                                 GetLangString(ID, kTextMustBeAboveZero),
                                 FloatToStr(def));
    Measurement.SampleArea = def;
  }
  Measurement.SampleTime = Int("Measurement", "MeasurementSampleTime/s");
  Measurement.InjectionTime = Int("Measurement", "MeasurementInjectionTime/s");
  Measurement.Scale = Int("Measurement", "Scale");
  Measurement.ScaleMin = Int("Measurement", "ScaleMin");
  Measurement.sInitialDir = Text("Measurement", "InitialDir");
  Measurement.sDataDir = Text("Measurement", "DataDir");
  Measurement.sDateiname.clear();
  Records.SetDataDir(Measurement.sDataDir);
  Measurement.sInfo1 = Text("Info", "Sampleinfo1");
  Measurement.sInfo2 = Text("Info", "Sampleinfo2");
  Measurement.sInfo3 = Text("Info", "Sampleinfo3");
  ShowSettingsInFields();
}


// The fields the operator sees first hold the values read.
void TSession::ShowSettingsInFields() {
  Fields.StartText = QString::number(Run.Startzelle);
  Fields.CountText = QString::number(Run.AnzahlZellen);
  Fields.CyclesText = QString::number(Run.AnzahlMessreihen);
  Fields.StartdelayText = Measurement.Startdelay;
  Fields.SampleInfo = {Measurement.sInfo1, Measurement.sInfo2, Measurement.sInfo3};
}

// Factors with their substance names, and the flows, from the settings file; a value that
// does not convert, or one of 0 or below, takes its default and is reported.
void TSession::LoadFactorsAndFlows() {
  const TFactorFieldsLoad load = LoadFactorFields(Settings(), ID);
  for (const TFactorFieldValue &f : load.Fields) {
    Fields.Factors[static_cast<int>(f.Id)] = {f.Text, f.Name};
    FactorValue(f.Id) = f.Value;
  }
  emit FactorFieldsShown();
  emit FactorDisplaysShown(load.Displays);
  SettingsProblems << load.Problems;
}

// The start-up after the settings: the ports opened and the converters identified, the
// detector's switches, the language and run-time display, the flow sensor, the cells'
// times, the set points, the status polls and the start state of the held bytes. False when
// the program ends (ProgramEnds has been emitted). Waits for answers: the tick is not yet
// running.
bool TSession::StartUp() {
  const TIniFile ini = Settings();
  ComPort1->SetDeviceName(ReadSettingText(ini, "Communication", "ComPortA"));
  ComPort2->SetDeviceName(ReadSettingText(ini, "Communication", "ComPortB"));
  if (!IdentifyConverters()) return false;

  SwitchDetectorOff();
  SendAndWait(ComPort1, proto::Form(ID == kGermanOffset ? proto::Cmd::Y0 : proto::Cmd::Y1));
  SendAndWait(ComPort1, proto::Form(proto::Cmd::X0, u"00:00:00"));
  HasFlowSensor = proto::IsFlowSensorFitted(SendAndWait(ComPort1, proto::Form(proto::Cmd::FA)));

  // Cell time texts on the window and the instrument display.
  Sequencer.State().runTag = 0;
  for (int f = 1; f <= 3; ++f) DispRunBreak(f, false, GetLangString(ID, kTextRunTimeNone));

  SendInitialSetPoints();
  emit RunLabelShown(TRunLabel::Startrun, GetLangString(ID, kTextStop));
  BuildStatusPolling();
  QueueFirstCommands();
  FifoPutString(proto::Form(proto::Cmd::R0));
  return true;
}

void TSession::EndProgram(const QString &message) { emit ProgramEnds(message); }

// An FPD (alone or beside the FID) starts with its emission and transfer heatings, its high
// voltage and both gases switched off.
void TSession::SwitchDetectorOff() {
  if (DeviceTyp != TDeviceTyp::FPD && DeviceTyp != TDeviceTyp::FIDFPD) return;
  for (const QString &command :
       {proto::Form(proto::Cmd::EO0), proto::Form(proto::Cmd::TO0), proto::Form(proto::Cmd::HS, 0),
        proto::Form(proto::Cmd::HO0), proto::Form(proto::Cmd::YS, 0), proto::Form(proto::Cmd::YO0),
        proto::Form(proto::Cmd::XS, 0), proto::Form(proto::Cmd::XO0)})
    SendAndWait(ComPort1, command);
}

// The status poll list; the flow shows 0 until the sensor reports.
void TSession::BuildStatusPolling() {
  PollList = BuildPollList(DeviceTyp, HasFlowSensor, Clock::Steady());
  PollCursor = 0;
  if (HasFlowSensor) sFlowVal = QStringLiteral("0");
  emit FlowSensorShown(HasFlowSensor);
}

// The gas set points are read back and a differing one is set again from the program's
// value; then the program's other set points go to the instrument.
void TSession::SendInitialSetPoints() {
  struct GasReadBack {
    proto::Cmd cmd;
    SetpointId id;
  };
  const GasReadBack gases[] = {
      {proto::Cmd::BC, SetpointId::Air}, {proto::Cmd::WC, SetpointId::H2}, {proto::Cmd::CC, SetpointId::Carrier}};
  for (const GasReadBack &g : gases) {
    const QString cmd = proto::Form(g.cmd);
    const QString reply = SendAndWait(ComPort1, cmd);
    // A missing or garbled read-back counts as differing: the program's own set point is
    // sent, instead of ending the start-up with the tick never running.
    const SetPointReadBack readBack = ReadBackSetPoint(reply, SetpointValue(g.id));
    if (!readBack.value && DebugLevel > 0)
      DiagLog.Send(TimeText(Clock::Now()) + QStringLiteral(" no set point in the reply to ") + cmd.trimmed() +
                   QStringLiteral(": ") + reply);
    if (readBack.resend) SetpointApply(g.id, SetpointValue(g.id));
  }
  for (SetpointId id :
       {SetpointId::FPDAir, SetpointId::FPDH2, SetpointId::Emmision, SetpointId::Transfer, SetpointId::HVoltage})
    SetpointApply(id, SetpointValue(id));
}

// The held bytes take their start values and are sent whole; the converters' streams stop.
void TSession::QueueFirstCommands() {
  HeatingStateByte = kHeatingPortAtStart;
  FifoPutString(proto::Form(proto::Cmd::PS, HeatingStateByte));
  Valves.ValveByte1 = kValveBankClosed;
  FifoPutString(proto::Form(proto::Cmd::V1S, Valves.ValveByte1));
  Valves.ValveByte2 = kValveBankClosed;
  FifoPutString(proto::Form(proto::Cmd::V2S, Valves.ValveByte2));
  Valves.LampByte = kLampByteAtStart;
  FifoPutString(proto::Form(proto::Cmd::LS, Valves.LampByte));
  FifoPutString(proto::Form(proto::Cmd::DG));
  FifoPutString(proto::Form(proto::Cmd::StreamOff));
  if (DeviceTyp == TDeviceTyp::FIDFPD) SendLine(ComPort2, proto::Form(proto::Cmd::StreamOff));
}

// Opens the ports and identifies the converters. Returns false when the program ends.
bool TSession::IdentifyConverters() {
  return DeviceTyp == TDeviceTyp::FIDFPD ? IdentifyConverterPair() : IdentifyConverter();
}

// FID or FPD: one converter, on port 1, which must have an I2C port.
bool TSession::IdentifyConverter() {
  const QString prog = QStringLiteral("Programm : ZELVO730-PC\r") + VersionText() + '\r';
  const QString notFound = GetLangString(ID, kTextConverterNotFound);
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
    EndProgram(prog + GetLangString(ID, kTextConverterNoI2c) + '\r');
    return false;
  }
  sSerialNumber = proto::SerialNumberText(reply);
  emit ConnectionShown(0, ComPort1->DeviceName() + ' ' + sSerialNumber, true);
  emit ConnectionShown(1, ComPort2->DeviceName() + " --------", false);
  return true;
}

// FIDFPD: the converter with the I2C port on port 1 (the ports are swapped when the other
// one answers there), the FPD converter on port 2; without port 2 the instrument runs as FID.
bool TSession::IdentifyConverterPair() {
  const QString notFound = GetLangString(ID, kTextConverterNotFound);
  QString reply;
  if (OpenPort(ComPort1)) reply = SendAndWait(ComPort1, proto::FormIdentify(proto::SnFraming::Plain));
  if (reply.isEmpty()) {
    ComPort1->Close();
    EndProgram(ComPort1->DeviceName() + ": " + notFound);
    return false;
  }
  if (!proto::HasI2cPort(reply)) {
    ComPort1->Close();
    SwapPorts();
    reply.clear();
    if (OpenPort(ComPort1)) reply = SendAndWait(ComPort1, proto::FormIdentify(proto::SnFraming::CrBefore));
    if (reply.isEmpty()) {
      ComPort1->Close();
      EndProgram(ComPort1->DeviceName() + ": " + notFound);
      return false;
    }
  }
  sSerialNumber = proto::SerialNumberText(reply);
  emit ConnectionShown(0, ComPort1->DeviceName() + ' ' + sSerialNumber, true);

  if (!OpenPort(ComPort2)) {
    DeviceTyp = TDeviceTyp::FID;
    emit InformationBox(GetLangString(ID, kTextFpdConverterNotFound));
    emit ConnectionShown(1, ComPort2->DeviceName() + " --------", false);
    return true;
  }
  emit ConnectionShown(1, ComPort2->DeviceName(), true);
  const QString reply2 = SendAndWait(ComPort2, proto::FormIdentify(proto::SnFraming::Plain));
  if (reply2.isEmpty()) {
    ComPort2->Close();
    EndProgram(ComPort2->DeviceName() + ": " + notFound);
    return false;
  }
  emit ConnectionShown(1, ComPort2->DeviceName() + ' ' + proto::SerialNumberText(reply2), true);
  return true;
}

// Port 1 takes the name of ComPortB and port 2 that of ComPortA; each keeps the default of
// its role (port 1 "COM1", port 2 "COM2").
void TSession::SwapPorts() {
  const TIniFile ini = Settings();
  const QString section = QStringLiteral("Communication");
  const QString portA = QStringLiteral("ComPortA"), portB = QStringLiteral("ComPortB");
  ComPort1->SetDeviceName(
      ReadSettingText(ini, section, portB, FindSettingKey(section, portA)->DefaultText()));
  ComPort2->SetDeviceName(
      ReadSettingText(ini, section, portA, FindSettingKey(section, portB)->DefaultText()));
}

}  // namespace zelvo
