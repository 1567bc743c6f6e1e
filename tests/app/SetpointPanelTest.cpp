// The set-point panel and the valve lamps at window level: range messages, stored keys,
// the commands on their paths, and the held bytes.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <vector>

#include "FakeInstrument.h"
#include "WindowTestSupport.h"
#include "app/Zelvo730_Main.h"
#include "core/Clock.h"
#include "core/IniFile.h"
#include "link/ComPort.h"
#include "ui/Dialogs.h"
#include "ui/TZeLed.h"
#include "ui/Widgets.h"

using namespace zelvo;

namespace {

class Panel : public WindowOnTestClock {
 protected:
  void SetUp() override {
    WindowOnTestClock::SetUp();
    form.Session.ComPort1->SetDeviceName(instrument.Path());
    ASSERT_TRUE(form.Session.OpenPort(form.Session.ComPort1));
  }
  QStringList Sent() {
    for (int i = 0; i < 3; ++i) Clock::WaitProcessingEvents(10);
    QStringList l = instrument.Lines;
    instrument.Lines.clear();
    return l;
  }
  QStringList Queued() { return TakeQueued(form); }

  FakeInstrument instrument;
};

TEST_F(Panel, SetButtonsClampStoreAndSend) {
  TIniFile ini(form.Session.SettingsFile());
  Child<QLineEdit>(form, "editTransfer")->setText("250");
  Click(Child<QPushButton>(form, "btnTransferSet"));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, "Bereichsfehler!");
  EXPECT_EQ(Child<QLineEdit>(form, "editTransfer")->text(), "200");
  EXPECT_EQ(form.Session.Setpoints.TempTransferline, 200);
  EXPECT_EQ(ini.ReadInteger("Preferences", "TempTransferline", 0), 200);
  EXPECT_EQ(Sent(), QStringList({"<TS4E20"}));

  messages.clear();
  Child<QLineEdit>(form, "edH2")->setText("2000");
  Click(Child<QPushButton>(form, "btnSetH2"));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, "H2 Value should be between 300 and 2499 mbar");
  EXPECT_EQ(Queued(), QStringList({"<WS07CF\r"}));  // the pressures are queued
  EXPECT_TRUE(Sent().isEmpty());

  messages.clear();
  Child<QLineEdit>(form, "editFPDAir")->setText("2000");
  Click(Child<QPushButton>(form, "btnFPDAirSet"));
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(ini.ReadInteger("Preferences", "FPD_Air", 0), 2000);
  EXPECT_EQ(Sent(), QStringList({"<XS07D0"}));

  // Text that is no whole number aborts with the conversion error: nothing stored, nothing
  // sent, and a switch that sets first sends nothing either.
  messages.clear();
  Child<QLineEdit>(form, "editHvoltage")->setText("abc");
  Click(Child<QPushButton>(form, "btnHVoltageSet"));
  Click(Child<TSpeedButton>(form, "btnHVoltageAn"));
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].kind, DialogMessage::Error);
  EXPECT_TRUE(messages[0].text.contains("abc"));
  EXPECT_TRUE(Sent().isEmpty());
}

TEST_F(Panel, HighVoltageOffSendsSetThenZeroThenOff) {
  Child<QLineEdit>(form, "editHvoltage")->setText("100");
  Child<TSpeedButton>(form, "btnHVoltageAn")->setChecked(true);  // on: the click switches it off
  Click(Child<TSpeedButton>(form, "btnHVoltageAn"));
  EXPECT_EQ(Sent(), QStringList({"<HS0064", "<HS0000", "<HO0"}));
  EXPECT_EQ(Child<TSpeedButton>(form, "btnHVoltageAn")->text(), "Off");
}

TEST_F(Panel, PressureFieldsEditTheSetValueAndSendOnlyOnSet) {
  form.Session.Setpoints.iAirSet = 700;
  QLineEdit *air = Child<QLineEdit>(form, "edAir");
  air->setText("702");  // a reported pressure
  FocusOn(form, air);
  EXPECT_EQ(air->text(), "700");
  EnterAndLeave(form, air, "650");
  EXPECT_EQ(form.Session.Setpoints.iAirSet, 650);
  EXPECT_TRUE(Queued().isEmpty());
}

TEST_F(Panel, ValvesAndLampsChangeOneBitAndSendTheWholeByte) {
  form.Session.ValveSet(11);
  EXPECT_TRUE(Child<TZLed>(form, "ledV1_0")->LedOn());
  form.Session.ValveReset(11);
  form.Session.ValveSet(4);
  EXPECT_TRUE(Child<TZLed>(form, "ledV2_3")->LedOn());
  form.Session.ValveSet(17);
  for (int x : {1, 7, 10, 18}) form.Session.ValveSet(x);  // no such valve
  form.Session.DispSet(14);
  form.Session.DispReset(14);
  EXPECT_EQ(Queued(), QStringList({"<V1SFE\r", "<V1SFF\r", "<V2SF7\r", "<V2SF6\r", "<LS6F\r", "<LSEF\r"}));

  Click(Child<TZLed>(form, "ledV1_2"));  // a dark lamp opens its valve; clicked again it closes
  EXPECT_TRUE(Child<TZLed>(form, "ledV1_2")->LedOn());
  Click(Child<TZLed>(form, "ledV1_2"));
  EXPECT_FALSE(Child<TZLed>(form, "ledV1_2")->LedOn());
  EXPECT_EQ(Queued(), QStringList({"<V1SFB\r", "<V1SFF\r"}));

  Click(Child<TZLed>(form, "ledLoop"));
  EXPECT_TRUE(Child<TZLed>(form, "ledLoop")->LedOn());
  EXPECT_TRUE(Child<TZLed>(form, "LedLoopTab1")->LedOn());
  Click(Child<TZLed>(form, "ledLoop"));
  EXPECT_EQ(Queued(), QStringList({"<D1\r", "<LSE7\r", "<D0\r", "<LSEF\r"}));
}

}  // namespace
