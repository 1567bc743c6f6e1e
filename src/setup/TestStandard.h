#pragma once
// The two test standards of rgStandard. A choice sets the measuring chamber set point (the
// window then runs that set point's Set action), records the standard in the settings file
// and sets the FID breakthrough limit.
//
//   item  text     settings value  chamber  LimitFID
//   0     text 9   "ASTM"          27 °C    0.1
//   1     text 10  "EN374"         23 °C    1.0
#include <QString>
#include <optional>
#include <span>

namespace zelvo {

struct TStandardDef {
  int Item;                   // index in rgStandard
  int TextId;                 // string table text of the item
  const char *SettingsValue;  // [Preferences] Standard
  int ChamberSetpoint;        // measuring chamber temperature, °C
  double LimitFID;            // [Measurement] LimitFID
};

std::span<const TStandardDef> Standards();

// What choosing an item does, or nothing when no item is selected (-1) or the index is unknown.
struct TStandardChoice {
  QString ChamberText;    // text for editMesskammer before its Set action runs: "27" / "23"
  QString SettingsValue;  // written to [Preferences] Standard
  double LimitFID = 0;    // stored and written to [Measurement] LimitFID
  QString LimitFIDText;   // text for editLimitFID, one decimal in the regional format ("0,1")
};
std::optional<TStandardChoice> ChooseStandard(int item);

// The item the start-up selects for the stored value: exactly "ASTM" 0, exactly "EN374" 1;
// any other text (also "astm") -1, which leaves the group as it is.
int StandardItemForSetting(const QString &value);

}  // namespace zelvo
