#include "setup/TestStandard.h"

#include "setup/FieldNumbers.h"

namespace zelvo {

namespace {
const TStandardDef kStandards[] = {
    {0, 9, "ASTM", 27, 0.1},
    {1, 10, "EN374", 23, 1.0},
};
}  // namespace

std::span<const TStandardDef> Standards() { return kStandards; }

std::optional<TStandardChoice> ChooseStandard(int item) {
  for (const TStandardDef &s : kStandards) {
    if (s.Item != item) continue;
    return TStandardChoice{QString::number(s.ChamberSetpoint), QString::fromLatin1(s.SettingsValue),
                           s.LimitFID, LimitText(s.LimitFID)};
  }
  return std::nullopt;
}

int StandardItemForSetting(const QString &value) {
  for (const TStandardDef &s : kStandards)
    if (value == QLatin1String(s.SettingsValue)) return s.Item;
  return -1;
}

}  // namespace zelvo
