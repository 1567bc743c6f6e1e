#include "core/Settings.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <array>
#include <stdexcept>

#include "core/NumberText.h"

namespace zelvo {

namespace {

using T = TSettingType;

constexpr std::array kKeys = {
    TSettingKey{"Language", "Code", T::Text, "DE", "US"},
    TSettingKey{"DeviceTyp", "Typ", T::Text, "FID", "FID"},
    TSettingKey{"Communication", "ComPortA", T::Text, "COM2", "COM1"},
    TSettingKey{"Communication", "ComPortB", T::Text, "COM3", "COM2"},
    TSettingKey{"Debug", "SetDebug", T::Integer, "0", "0"},
    TSettingKey{"Detection", "MinIndex", T::Integer, "10", "10"},
    TSettingKey{"Detection", "PeakIndex", T::Integer, "25", "25"},
    TSettingKey{"Detection", "Loopvolume", T::Integer, "200", "200"},
    TSettingKey{"Detection", "Loopflow", T::Integer, "10000", "10000"},
    TSettingKey{"Calibration", "FID/ppm", T::Float, "100", "100"},
    TSettingKey{"Calibration", "FPD/ppm", T::Float, "2", "10"},
    TSettingKey{"Calibration", "FIDCalArea", T::Integer, "0", "0"},
    TSettingKey{"Calibration", "FPDCalArea", T::Integer, "0", "0"},
    TSettingKey{"Calibration", "CalFlow", T::Float, "120", "100"},
    TSettingKey{"Preferences", "TempValves", T::Integer, "60", "100"},
    TSettingKey{"Preferences", "TempMeasurementCell", T::Integer, "27", "100"},
    TSettingKey{"Preferences", "TempEmissionCell", T::Integer, "150", "100"},
    TSettingKey{"Preferences", "TempTransferline", T::Integer, "150", "100"},
    TSettingKey{"Preferences", "HighVoltage", T::Integer, "100", "100"},
    TSettingKey{"Preferences", "ZeroCompensation", T::Integer, "0", nullptr},
    TSettingKey{"Preferences", "Standard", T::Text, "EN374", "ASTM"},
    TSettingKey{"Preferences", "Startdelay", T::Text, "01:00", "01:00"},
    TSettingKey{"Preferences", "H2Set", T::Integer, "600", "600"},
    TSettingKey{"Preferences", "AirSet", T::Integer, "700", "600"},
    TSettingKey{"Preferences", "CarrierSet", T::Integer, "1000", "600"},
    TSettingKey{"Preferences", "FPD_Air", T::Integer, "500", "500"},
    TSettingKey{"Preferences", "FPD_H2", T::Integer, "600", "500"},
    TSettingKey{"Info", "SampleInfo1", T::Text, "SampleInfo1", "SampleInfo1"},
    TSettingKey{"Info", "SampleInfo2", T::Text, "SampleInfo2", "SampleInfo2"},
    TSettingKey{"Info", "SampleInfo3", T::Text, "SampleInfo3", "SampleInfo3"},
    TSettingKey{"Measurement", "StartingCell", T::Integer, "1", "1"},
    TSettingKey{"Measurement", "NumberOfCells", T::Integer, "4", "4"},
    TSettingKey{"Measurement", "MeasurementTimePerCell/s", T::Integer, "30", "60"},
    TSettingKey{"Measurement", "MeasurementSampleTime/s", T::Integer, "15", "45"},
    TSettingKey{"Measurement", "MeasurementInjectionTime/s", T::Integer, "15", "300"},
    TSettingKey{"Measurement", "NumberOfCycles", T::Integer, "10", "10"},
    TSettingKey{"Measurement", "LimitFID", T::Float, "1", "100"},
    TSettingKey{"Measurement", "LimitFPD", T::Float, "1", "10"},
    TSettingKey{"Measurement", "SampleArea(cm²)", T::Float, "19.6", "19.6"},
    TSettingKey{"Measurement", "SampleFlow1", T::Float, "120", "100"},
    TSettingKey{"Measurement", "SampleFlow2", T::Float, "120", "100"},
    TSettingKey{"Measurement", "SampleFlow3", T::Float, "120", "100"},
    TSettingKey{"Measurement", "FIDCalFactor", T::Float, "1", "1"},
    TSettingKey{"Measurement", "FIDCalFactorName", T::Text, "Isobutan", "Isobutan"},
    TSettingKey{"Measurement", "FIDSampleFactor1", T::Float, "1", "1"},
    TSettingKey{"Measurement", "FIDSampleFactorName1", T::Text, "Isobutan", "Isobutan"},
    TSettingKey{"Measurement", "FIDSampleFactor2", T::Float, "1", "1"},
    TSettingKey{"Measurement", "FIDSampleFactorName2", T::Text, "Isobutan", "Isobutan"},
    TSettingKey{"Measurement", "FIDSampleFactor3", T::Float, "1", "1"},
    TSettingKey{"Measurement", "FIDSampleFactorName3", T::Text, "Isobutan", "Isobutan"},
    TSettingKey{"Measurement", "FPDCalFactor", T::Float, "1", "1"},
    TSettingKey{"Measurement", "FPDCalFactorName", T::Text, "THT", "THT"},
    TSettingKey{"Measurement", "FPDSampleFactor1", T::Float, "1", "1"},
    TSettingKey{"Measurement", "FPDSampleFactorName1", T::Text, "THT", "THT"},
    TSettingKey{"Measurement", "FPDSampleFactor2", T::Float, "1", "1"},
    TSettingKey{"Measurement", "FPDSampleFactorName2", T::Text, "THT", "THT"},
    TSettingKey{"Measurement", "FPDSampleFactor3", T::Float, "1", "1"},
    TSettingKey{"Measurement", "FPDSampleFactorName3", T::Text, "THT", "THT"},
    TSettingKey{"Measurement", "Scale", T::Integer, "10000", "20000"},
    TSettingKey{"Measurement", "ScaleMin", T::Integer, "0", "0"},
    TSettingKey{"Measurement", "InitialDir", T::Text, nullptr, "c:\\"},
    TSettingKey{"Measurement", "DataDir", T::Text, nullptr, "c:\\"},
    TSettingKey{"Measurement", "RawDataSave", T::Integer, "0", "0"},
};

const TSettingKey &KeyOfType(const QString &section, const QString &key, TSettingType type) {
  const TSettingKey *k = FindSettingKey(section, key);
  if (!k || k->Type != type)
    throw std::invalid_argument(("no settings key [" + section + "] " + key + " of this type").toStdString());
  return *k;
}

}  // namespace

int TSettingKey::DefaultInteger() const { return Default ? StrToIntDef(QString::fromUtf8(Default), 0) : 0; }

double TSettingKey::DefaultFloat() const {
  return Default ? TryStrToFloat(QString::fromUtf8(Default), QLocale::c()).value_or(0.0) : 0.0;
}

QString TSettingKey::DefaultText() const { return QString::fromUtf8(Default); }

std::span<const TSettingKey> SettingKeys() { return kKeys; }

const TSettingKey *FindSettingKey(const QString &section, const QString &key) {
  for (const TSettingKey &k : kKeys)
    if (k.SectionName().compare(section, Qt::CaseInsensitive) == 0 &&
        k.KeyName().compare(key, Qt::CaseInsensitive) == 0)
      return &k;
  return nullptr;
}

QString ReadSettingText(const TIniFile &ini, const QString &section, const QString &key) {
  return ini.ReadString(section, key, KeyOfType(section, key, T::Text).DefaultText());
}

int ReadSettingInteger(const TIniFile &ini, const QString &section, const QString &key) {
  return ini.ReadInteger(section, key, KeyOfType(section, key, T::Integer).DefaultInteger());
}

double ReadSettingFloat(const TIniFile &ini, const QString &section, const QString &key) {
  return ini.ReadFloat(section, key, KeyOfType(section, key, T::Float).DefaultFloat());
}

QString ReadSettingText(const TIniFile &ini, const QString &section, const QString &key,
                        const QString &defaultValue) {
  KeyOfType(section, key, T::Text);
  return ini.ReadString(section, key, defaultValue);
}

void WriteSettingText(TIniFile &ini, const QString &section, const QString &key, const QString &value) {
  KeyOfType(section, key, T::Text);
  ini.WriteString(section, key, value);
}

void WriteSettingInteger(TIniFile &ini, const QString &section, const QString &key, int value) {
  KeyOfType(section, key, T::Integer);
  ini.WriteInteger(section, key, value);
}

void WriteSettingFloat(TIniFile &ini, const QString &section, const QString &key, double value) {
  KeyOfType(section, key, T::Float);
  ini.WriteFloat(section, key, value);
}

bool CreateSettingsFileIfMissing(const QString &path, const QString &programFolder) {
  if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) return false;
  QString folder = programFolder;
  if (!folder.endsWith(u'/')) folder += u'/';
  QList<TIniFile::Entry> entries;
  for (const TSettingKey &k : kKeys) {
    QString value;
    if (!k.Creation)
      value = folder;
    else if (k.Type == T::Float)
      value = FloatToStr(*TryStrToFloat(QString::fromUtf8(k.Creation), QLocale::c()));
    else
      value = QString::fromUtf8(k.Creation);
    entries.append({k.SectionName(), k.KeyName(), value});
  }
  TIniFile(path).WriteStrings(entries);
  return true;
}

bool CreateSettingsFileIfMissing() {
  return CreateSettingsFileIfMissing(SettingsPath(), QCoreApplication::applicationDirPath());
}

}  // namespace zelvo
