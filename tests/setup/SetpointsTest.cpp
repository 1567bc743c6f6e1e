#include <gtest/gtest.h>

#include "core/Language.h"
#include "core/Settings.h"
#include "setup/Setpoints.h"

using namespace zelvo;

TEST(Setpoints, ClampAndCommand) {
  const struct {
    SetpointId id;
    int typed, accepted;
    bool message;
    const char *command;
  } cases[] = {
      {SetpointId::Transfer, 250, 200, true, "<TS4E20\r"},
      {SetpointId::Transfer, 150, 150, false, "<TS3A98\r"},
      {SetpointId::Messkammer, 19, 20, true, "<SS00C8\r"},
      {SetpointId::Messkammer, 27, 27, false, "<SS010E\r"},
      {SetpointId::Ventilblock, 60, 60, false, "<VS0258\r"},
      {SetpointId::HVoltage, -5, 0, true, "<HS0000\r"},
      {SetpointId::HVoltage, 100, 100, false, "<HS0064\r"},
      {SetpointId::H2, 2000, 1999, true, "<WS07CF\r"},
      {SetpointId::H2, 1999, 1999, false, "<WS07CF\r"},
      {SetpointId::H2, 299, 300, true, "<WS012C\r"},
      {SetpointId::H2, 600, 600, false, "<WS0258\r"},
      {SetpointId::Air, 700, 700, false, "<BS02BC\r"},
      {SetpointId::FPDAir, 2000, 2000, false, "<XS07D0\r"},
      {SetpointId::FPDAir, 2001, 2000, true, "<XS07D0\r"},
      {SetpointId::Emmision, 150, 150, false, "<ES3A98\r"},
  };
  for (const auto &c : cases) {
    const ClampResult r = ClampSetpoint(c.id, c.typed);
    EXPECT_EQ(r.value, c.accepted) << c.command;
    EXPECT_EQ(r.outOfRange, c.message) << c.command;
    EXPECT_EQ(SetpointCommand(c.id, r.value), c.command);
  }
}

TEST(Setpoints, RangeMessages) {
  EXPECT_EQ(SetpointRangeMessage(SetpointId::Transfer, 1000), "Bereichsfehler!");
  EXPECT_EQ(SetpointRangeMessage(SetpointId::HVoltage, 1000),
            "Attention! Value must be within 0 V and  1000 V.");
  EXPECT_EQ(SetpointRangeMessage(SetpointId::H2, 1000), "H2 Value should be between 300 and 2499 mbar");
  EXPECT_EQ(SetpointRangeMessage(SetpointId::Carrier, 0),
            "Carrier Achtung! Wert soll zwischen300 mbar und 2000 mbar liegen");
}

// Every set point is stored under an integer key of the settings table ("FPD_AIR" is the
// table's "FPD_Air": names match without regard to case).
TEST(Setpoints, EveryKeyIsAnIntegerKeyOfTheSettingsTable) {
  for (int i = 0; i <= static_cast<int>(SetpointId::Carrier); ++i) {
    const SetpointDef &s = SetpointOf(static_cast<SetpointId>(i));
    EXPECT_EQ(static_cast<int>(s.id), i);
    const TSettingKey *k = FindSettingKey(QStringLiteral("Preferences"), QString::fromLatin1(s.key));
    ASSERT_NE(k, nullptr) << s.key;
    EXPECT_EQ(k->Type, TSettingType::Integer) << s.key;
  }
}
