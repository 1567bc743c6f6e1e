#pragma once
// Every key of the settings file with its type, the value written when the file is created
// and the default used when the key is missing: the one list the start-up, the writers and
// the tests share.
#include <QString>
#include <span>

#include "core/IniFile.h"

namespace zelvo {

enum class TSettingType { Integer, Float, Text };

struct TSettingKey {
  const char *Section;
  const char *Key;  // UTF-8 ("SampleArea(cm²)")
  TSettingType Type;
  // Both values in C form ("19.6"); floats are written in the regional format. A null
  // Creation marks the program folder (InitialDir, DataDir); a null Default marks a key
  // nothing reads (ZeroCompensation).
  const char *Creation;
  const char *Default;

  QString SectionName() const { return QString::fromUtf8(Section); }
  QString KeyName() const { return QString::fromUtf8(Key); }
  int DefaultInteger() const;
  double DefaultFloat() const;
  QString DefaultText() const;
};

// All keys in creation order (numbered keys interleaved: FIDSampleFactor1,
// FIDSampleFactorName1, FIDSampleFactor2, ...).
std::span<const TSettingKey> SettingKeys();

// The key of that section and name (any case), or nullptr.
const TSettingKey *FindSettingKey(const QString &section, const QString &key);

// Reads a key of the table with its table default. A key not in the table, or of another
// type, is a programming error (std::invalid_argument).
QString ReadSettingText(const TIniFile &ini, const QString &section, const QString &key);
int ReadSettingInteger(const TIniFile &ini, const QString &section, const QString &key);
double ReadSettingFloat(const TIniFile &ini, const QString &section, const QString &key);
// A key of the table with a default of the caller's: after a port swap each of the two port
// keys is read with the default of the other, the one of the port it now names.
QString ReadSettingText(const TIniFile &ini, const QString &section, const QString &key,
                        const QString &defaultValue);

// Writes a key of the table; a key not in the table, or of another type, is a programming
// error (std::invalid_argument) and writes nothing. The key is written as it is spelled here
// (the file matches names without regard to case).
void WriteSettingText(TIniFile &ini, const QString &section, const QString &key, const QString &value);
void WriteSettingInteger(TIniFile &ini, const QString &section, const QString &key, int value);
void WriteSettingFloat(TIniFile &ini, const QString &section, const QString &key, double value);

// When `path` does not exist, creates it with every key of the table and its creation value,
// in table order, so the sections appear as Language, DeviceTyp, Communication, Debug,
// Detection, Calibration, Preferences, Info, Measurement. InitialDir and DataDir get
// `programFolder` ending in "/". The file is written in one atomic replacement, so a failure
// leaves no half-made file. Returns true when the file was created; raises EFileError when
// it cannot be written. An existing file is never touched.
bool CreateSettingsFileIfMissing(const QString &path, const QString &programFolder);

// The program's own file in the executable's folder (SettingsPath()).
bool CreateSettingsFileIfMissing();

}  // namespace zelvo
