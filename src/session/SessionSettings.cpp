// The session's start: the settings file read into the values the program keeps.
#include "core/Language.h"
#include "core/NumberText.h"
#include "core/Settings.h"
#include "session/Session.h"
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
}

}  // namespace zelvo
