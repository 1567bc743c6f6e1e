#include <gtest/gtest.h>

#include "core/Language.h"
#include "core/LocaleGuard.h"
#include "core/NumberText.h"
#include "setup/RunParameters.h"
#include "setup/Setpoints.h"
#include "setup/TestStandard.h"

using namespace zelvo;

TEST(TestStandard, BothStandardsSetChamberLimitAndSettingsValue) {
  const struct {
    int item;
    const char *chamber, *command, *setting;
    double limit;
    const char *limitDe, *limitEn;
  } cases[] = {
      {0, "27", "<SS010E\r", "ASTM", 0.1, "0,1", "0.1"},
      {1, "23", "<SS00E6\r", "EN374", 1.0, "1,0", "1.0"},
  };
  for (const auto &c : cases) {
    for (bool german : {true, false}) {
      LocaleGuard locale(german ? LocaleGuard::German() : LocaleGuard::English());
      const std::optional<TStandardChoice> choice = ChooseStandard(c.item);
      ASSERT_TRUE(choice);
      EXPECT_EQ(choice->ChamberText, c.chamber);
      // The chamber field then goes through its Set action.
      const ClampResult set = ClampSetpoint(SetpointId::Messkammer, StrToInt(choice->ChamberText));
      EXPECT_FALSE(set.outOfRange);
      EXPECT_EQ(SetpointCommand(SetpointId::Messkammer, set.value), c.command);
      EXPECT_EQ(choice->SettingsValue, c.setting);
      EXPECT_DOUBLE_EQ(choice->LimitFID, c.limit);
      EXPECT_EQ(choice->LimitFIDText, german ? c.limitDe : c.limitEn);
      // Leaving editLimitFID afterwards keeps the limit.
      const TRunParamInput again =
          TakeRunParam(TRunParam::LimitFID, choice->LimitFIDText, 100, 1, kGermanOffset);
      EXPECT_EQ(again.Status, TInputStatus::Accepted);
      EXPECT_DOUBLE_EQ(again.Value, c.limit);
    }
  }
  EXPECT_FALSE(ChooseStandard(-1));
  EXPECT_FALSE(ChooseStandard(2));
}

TEST(TestStandard, StartUpSelectsOnlyTheExactStoredText) {
  const struct {
    const char *stored;
    int item;
  } cases[] = {{"ASTM", 0},    {"EN374", 1}, {"astm", -1}, {"en374", -1},
               {"EN 374", -1}, {"", -1},     {" ASTM", -1}};
  for (const auto &c : cases)
    EXPECT_EQ(StandardItemForSetting(QString::fromUtf8(c.stored)), c.item) << c.stored;
}
