// The tick's reply step: one status reply taken per call and shown, the held bytes with
// their commands, the heating sequence, malformed data ignored.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <vector>

#include "WindowTestSupport.h"
#include "app/Zelvo730_Main.h"
#include "core/Clock.h"
#include "ui/Dialogs.h"
#include "ui/TZeLed.h"
#include "ui/Widgets.h"

using namespace zelvo;

namespace {

class ReplyStep : public WindowOnTestClock {
 protected:
  void Reply(const QString &line) {
    form.Session.ReplyQueue.push_back(line);
    form.Session.ReplyStep();
  }
  QStringList TakeQueue() { return TakeQueued(form); }
};

TEST_F(ReplyStep, StatusDisplaysShowTheReportedValues) {
  const struct {
    const char *reply;
    const char *label;
    const char *text;  // UTF-8
  } cases[] = {
      {":SG0113", "lblMesskammer", "27.5°C"},  // tenths, text 18 directly after
      {":SGFFF6", "lblMesskammer", "-1.0°C"}, {":VG0258", "lblVentilblock", "60.0°C"},
      {":EG3A98", "lblEmmision", "150 °C"},  // hundredths, whole degrees, a space
      {":EGFF9C", "lblEmmision", "-1 °C"},    {":TG3A98", "lblTransfer", "150 °C"},
      {":HG02BC", "lblHVoltage", "700 V"},    {":XG01F4", "lblFPDAir", "500 AIR mbar"},
      {":YG0258", "lblFPDH2", "600 H2 mbar"}, {":FG0064", "lblFlowVal", "100"},
  };
  for (const auto &c : cases) {
    Reply(QString::fromLatin1(c.reply));
    EXPECT_EQ(Child<TLabel>(form, c.label)->text(), QString::fromUtf8(c.text)) << c.reply;
  }
  EXPECT_EQ(Child<TLabel>(form, "lblFlowValTab1")->text(), "100");
  Reply(":FX12");  // another flow line only copies the flow display
  EXPECT_EQ(Child<TLabel>(form, "lblFlowValTab1")->text(), "100");
  EXPECT_TRUE(TakeQueue().isEmpty());
  // Each reply taken is echoed in the service console.
  EXPECT_TRUE(Child<QPlainTextEdit>(form, "LMDMemo1")->toPlainText().endsWith(":FX12"));
}

TEST_F(ReplyStep, PressuresConverterStatusAndLampByte) {
  Reply(":BG02BC");
  Reply(":WG0258");
  Reply(":CG03E8");
  EXPECT_EQ(Child<QLineEdit>(form, "edAir")->text(), "700");
  EXPECT_EQ(Child<QLineEdit>(form, "edH2")->text(), "600");
  EXPECT_EQ(Child<QLineEdit>(form, "edCarrier")->text(), "1000");
  Reply(":12AS118");
  EXPECT_EQ(form.Session.intAD1Status, 118);
  Reply(":12AS");
  EXPECT_EQ(form.Session.intAD1Status, 103);
  Reply(":LG6F");
  EXPECT_EQ(form.Session.Valves.LampByte, 0x6F);
  EXPECT_TRUE(TakeQueue().isEmpty());  // adopting the lamp byte sends nothing
}

TEST_F(ReplyStep, PressureFieldWithFocusKeepsTheOperatorsText) {
  form.show();
  QApplication::setActiveWindow(&form);
  Child<QLineEdit>(form, "edH2")->setFocus();
  QApplication::processEvents();
  ASSERT_TRUE(Child<QLineEdit>(form, "edH2")->hasFocus());
  Child<QLineEdit>(form, "edH2")->setText("650");
  Reply(":WG0258");
  EXPECT_EQ(Child<QLineEdit>(form, "edH2")->text(), "650");
}

TEST_F(ReplyStep, LoopStateFollowsTheInstrumentOnChangeOnly) {
  form.Session.Valves.LampByte = 0xEF;
  Reply(":DG00");  // the held byte is 0 already: nothing
  EXPECT_TRUE(TakeQueue().isEmpty());
  Reply(":DG01");
  EXPECT_TRUE(Child<TZLed>(form, "ledLoop")->LedOn());
  EXPECT_EQ(form.Session.Valves.LampByte, 0xE7);
  EXPECT_EQ(TakeQueue(), QStringList({"<LSE7\r"}));
  Reply(":DG01");
  EXPECT_TRUE(TakeQueue().isEmpty());
  Reply(":DG00");
  EXPECT_FALSE(Child<TZLed>(form, "ledLoop")->LedOn());
  EXPECT_EQ(TakeQueue(), QStringList({"<LSEF\r"}));
}

TEST_F(ReplyStep, HeatingReportSwitchesBothHeatingsAndWritesThePortBack) {
  form.Session.Setpoints.TempMesskammer = 27;
  form.Session.Setpoints.TempVentilblock = 60;
  Child<QLineEdit>(form, "editMesskammer")->setText("35");  // typed, but Set not pressed: not what is sent
  const double before = Clock::Steady();
  Reply(":PGFC");  // both heatings on (bits 0 and 1 clear), bits 6 and 7 set
  EXPECT_EQ(Clock::Steady(), before);  // nothing waited
  EXPECT_TRUE(Child<TSpeedButton>(form, "btnMesskammerAn")->isChecked());
  EXPECT_TRUE(Child<TSpeedButton>(form, "btnVentilblockAn")->isChecked());
  EXPECT_EQ(Child<TSpeedButton>(form, "btnMesskammerAn")->text(), "On");
  EXPECT_EQ(Child<QLineEdit>(form, "editMesskammer")->text(), "27");
  // The set points could not go out on this closed port (the port's message), so no answer
  // is awaited and the switches are queued at once.
  EXPECT_EQ(TakeQueue(), QStringList({"<SO1\r", "<VO1\r", "<PSCF\r"}));
  EXPECT_EQ(form.Session.HeatingStateByte, 0xFC);
  Reply(":PGFC");
  EXPECT_TRUE(TakeQueue().isEmpty());
  Reply(":PGFF");
  EXPECT_FALSE(Child<TSpeedButton>(form, "btnMesskammerAn")->isChecked());
  EXPECT_EQ(Child<TSpeedButton>(form, "btnMesskammerAn")->text(), "Off");
  EXPECT_EQ(TakeQueue(), QStringList({"<SO0\r", "<VO0\r", "<PSFF\r"}));
}

TEST_F(ReplyStep, ValveReportsRedrawTheBankLamps) {
  form.Session.Valves.ValveByte1 = 0xFE;
  form.Session.Valves.ValveByte2 = 0xF7;
  Reply(":V1G00");
  EXPECT_TRUE(Child<TZLed>(form, "ledV1_0")->LedOn());
  EXPECT_FALSE(Child<TZLed>(form, "ledV1_1")->LedOn());
  EXPECT_FALSE(Child<TZLed>(form, "ledV2_3")->LedOn());
  Reply(":V2G00");
  EXPECT_TRUE(Child<TZLed>(form, "ledV2_3")->LedOn());
}

TEST_F(ReplyStep, MalformedAndShortRepliesChangeNothing) {
  Child<TLabel>(form, "lblMesskammer")->setText("before");
  form.Session.intAD1Status = 5;
  for (const char *r : {":SG01X3", ":SG01", ":SG", ":12AS1X8", ":12AS1", ":DGZZ", ":PG", ":HG-001", ""})
    Reply(r);
  EXPECT_EQ(Child<TLabel>(form, "lblMesskammer")->text(), "before");
  EXPECT_EQ(form.Session.intAD1Status, 5);
  EXPECT_EQ(form.Session.InstrumentStateByte, 0);
  EXPECT_EQ(form.Session.HeatingStateByte, 0xFF);
  EXPECT_TRUE(TakeQueue().isEmpty());
  EXPECT_TRUE(messages.empty());
}

TEST_F(ReplyStep, RunTimeGoesToTheInstrumentDisplayOnce) {
  form.Session.sRunTime = "01:02:03";  // what the run sequencer shows in lblRuntime
  form.Session.UpdateTime = true;
  form.Session.RunTimeStep();
  form.Session.RunTimeStep();
  EXPECT_EQ(TakeQueue(), QStringList({"<X001:02:03\r"}));
}

}  // namespace
