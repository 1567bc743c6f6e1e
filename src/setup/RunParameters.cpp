#include "setup/RunParameters.h"

#include <algorithm>

#include "core/Errors.h"
#include "core/Language.h"
#include "core/NumberText.h"
#include "core/Settings.h"
#include "setup/FieldNumbers.h"
#include "setup/SetupTexts.h"

namespace zelvo {

namespace {

using P = TRunParam;

const TRunParamDef kDefs[] = {
    {P::Startzelle, "editStart", "Startzelle", "Measurement", "StartingCell", true, false, 1},
    {P::AnzahlZellen, "editAnzahl", "AnzahlZellen", "Measurement", "NumberOfCells", true, false, 2},
    {P::Messzeit, "editMesszeit", "Messzeit", "Measurement", "MeasurementTimePerCell/s", true, true, 3},
    {P::AnzahlMessreihen, "editZyklen", "AnzahlMessreihen", "Measurement", "NumberOfCycles", true, true, 4},
    {P::LimitFID, "editLimitFID", "LimitFID", "Measurement", "LimitFID", false, true, 5},
    {P::LimitFPD, "editLimitFPD", "LimitFPD", "Measurement", "LimitFPD", false, true, 47},
    {P::FIDCALMenge, "editIsobutan", "FIDCALMenge", "Calibration", "FID/ppm", false, true, 7},
    {P::FPDCalMenge, "editSulfur", "FPDCalMenge", "Calibration", "FPD/ppm", false, true, 8},
};

constexpr int kPositions = 6;

QString Caption(const TRunParamDef &s, int offset) {
  return GetLangString(offset, s.CaptionId) + QStringLiteral(": ");
}

// Limits a converted value the way the exit handler does. Returns the value to store.
double Limit(TRunParam id, double value, int startzelle) {
  if (id == P::Startzelle) return std::clamp(static_cast<int>(value), 1, kPositions);
  if (id == P::AnzahlZellen) return LimitRunPositions(startzelle, static_cast<int>(value)).AnzahlZellen;
  return value;
}

}  // namespace

std::span<const TRunParamDef> RunParamDefs() { return kDefs; }
const TRunParamDef &RunParamOf(TRunParam id) { return kDefs[static_cast<int>(id)]; }

double TRunParams::Get(TRunParam id) const {
  switch (id) {
    case P::Startzelle:
      return Startzelle;
    case P::AnzahlZellen:
      return AnzahlZellen;
    case P::Messzeit:
      return Messzeit;
    case P::AnzahlMessreihen:
      return AnzahlMessreihen;
    case P::LimitFID:
      return LimitFID;
    case P::LimitFPD:
      return LimitFPD;
    case P::FIDCALMenge:
      return FIDCALMenge;
    case P::FPDCalMenge:
      return FPDCalMenge;
  }
  return 0;
}

void TRunParams::Set(TRunParam id, double value) {
  switch (id) {
    case P::Startzelle:
      Startzelle = static_cast<int>(value);
      break;
    case P::AnzahlZellen:
      AnzahlZellen = static_cast<int>(value);
      break;
    case P::Messzeit:
      Messzeit = static_cast<int>(value);
      break;
    case P::AnzahlMessreihen:
      AnzahlMessreihen = static_cast<int>(value);
      break;
    case P::LimitFID:
      LimitFID = value;
      break;
    case P::LimitFPD:
      LimitFPD = value;
      break;
    case P::FIDCALMenge:
      FIDCALMenge = value;
      break;
    case P::FPDCalMenge:
      FPDCalMenge = value;
      break;
  }
}

TRunPositions LimitRunPositions(int startzelle, int anzahlZellen) {
  TRunPositions r;
  r.Startzelle = std::clamp(startzelle, 1, kPositions);
  r.AnzahlZellen = std::clamp(anzahlZellen, 1, kPositions + 1 - r.Startzelle);
  return r;
}

TRunParamInput TakeRunParam(TRunParam id, const QString &text, double previous, int startzelle, int offset) {
  const TRunParamDef &paramDef = RunParamOf(id);
  TRunParamInput r;
  r.Value = previous;

  std::optional<double> value;
  if (paramDef.Integer) {
    if (const std::optional<int> i = TryStrToInt(text)) value = *i;
  } else {
    value = TryStrToFloat(text);
  }
  if (!value) {
    r.Status = TInputStatus::NotANumber;
    r.Message = Caption(paramDef, offset) + (paramDef.Integer ? setuptext::NotAWholeNumber(offset, text)
                                                              : setuptext::NotANumber(offset, text));
    return r;
  }
  if (paramDef.Positive && *value <= 0) {
    r.Status = TInputStatus::NotPositive;
    r.FieldText = RunParamText(id, previous);
    r.Message = Caption(paramDef, offset) + setuptext::Refused(offset, text.trimmed()) + u' ' +
                setuptext::PreviousKept(offset, *r.FieldText);
    return r;
  }
  r.Value = Limit(id, *value, startzelle);
  if (id == P::Startzelle || id == P::AnzahlZellen) {
    // These two always show the stored number, also when it was typed as "+4" or " 4".
    r.FieldText = RunParamText(id, r.Value);
    r.Status = r.Value == *value ? TInputStatus::Accepted : TInputStatus::Corrected;
  }
  return r;
}

void StoreRunParam(TIniFile &ini, TRunParam id, double value) {
  const TRunParamDef &paramDef = RunParamOf(id);
  const QString section = QString::fromUtf8(paramDef.Section), key = QString::fromUtf8(paramDef.Key);
  if (paramDef.Integer)
    ini.WriteInteger(section, key, static_cast<int>(value));
  else
    ini.WriteFloat(section, key, value);
}

QString RunParamText(TRunParam id, double value) {
  switch (id) {
    case P::LimitFID:
    case P::LimitFPD:
      return LimitText(value);
    case P::FIDCALMenge:
    case P::FPDCalMenge:
      return CalPpmText(value);
    default:
      return QString::number(static_cast<int>(value));
  }
}

TRunParamsLoad LoadRunParams(const TIniFile &ini, int offset) {
  TRunParamsLoad load;
  for (const TRunParamDef &paramDef : kDefs) {
    const QString section = QString::fromUtf8(paramDef.Section), key = QString::fromUtf8(paramDef.Key);
    const TSettingKey *entry = FindSettingKey(section, key);
    const double def = paramDef.Integer ? entry->DefaultInteger() : entry->DefaultFloat();
    double value = def;
    try {
      value = paramDef.Integer ? ReadSettingInteger(ini, section, key) : ReadSettingFloat(ini, section, key);
    } catch (const EConvertError &e) {
      load.Problems << e.Message() + setuptext::DefaultUsed(offset, RunParamText(paramDef.Id, def));
    }
    const QString where = setuptext::SettingsEntry(section, key, RunParamText(paramDef.Id, value));
    double use = value;
    if (paramDef.Positive && value <= 0) {
      use = def;
      load.Problems << where + setuptext::MustBePositive(offset) +
                           setuptext::DefaultUsed(offset, RunParamText(paramDef.Id, use));
    } else if (paramDef.Id == P::Startzelle || paramDef.Id == P::AnzahlZellen) {
      // Each on its own here; the pair is limited when a run reads it.
      use = paramDef.Id == P::Startzelle ? std::clamp(static_cast<int>(value), 1, kPositions)
                                         : std::max(static_cast<int>(value), 1);
      if (use != value)
        load.Problems << where + setuptext::OutOfRange(offset) +
                             setuptext::DefaultUsed(offset, RunParamText(paramDef.Id, use));
    }
    value = use;
    load.Values.Set(paramDef.Id, value);
  }
  return load;
}

// ---------------------------------------------------------------- section Detection
TDetectionCheck CheckDetection(int loopVolume, int loopflow, int peakIndex, int minIndex, int offset) {
  TDetectionCheck c;
  struct Item {
    const char *key;
    int read;
    int *use;
  } items[] = {
      {"Loopvolume", loopVolume, &c.Values.LoopVolume},
      {"Loopflow", loopflow, &c.Values.Loopflow},
      {"PeakIndex", peakIndex, &c.Values.PeakTime},
      {"MinIndex", minIndex, &c.Values.MinPeakStart},
  };
  const QString section = QStringLiteral("Detection");
  for (const Item &i : items) {
    const QString key = QString::fromUtf8(i.key);
    const int def = FindSettingKey(section, key)->DefaultInteger();
    if (i.read > 0) {
      *i.use = i.read;
      continue;
    }
    *i.use = def;
    c.Problems << setuptext::SettingsEntry(section, key, QString::number(i.read)) +
                      setuptext::MustBePositive(offset) +
                      setuptext::DefaultUsed(offset, QString::number(def));
  }
  c.Values.MinPeakWith = c.Values.LoopVolume / (c.Values.Loopflow / 60.0);
  return c;
}

TDetectionCheck ReadDetection(const TIniFile &ini, int offset) {
  const QString s = QStringLiteral("Detection");
  return CheckDetection(ReadSettingInteger(ini, s, QStringLiteral("Loopvolume")),
                        ReadSettingInteger(ini, s, QStringLiteral("Loopflow")),
                        ReadSettingInteger(ini, s, QStringLiteral("PeakIndex")),
                        ReadSettingInteger(ini, s, QStringLiteral("MinIndex")), offset);
}

}  // namespace zelvo
