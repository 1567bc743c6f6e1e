// The set-point panel end to end against the instrument simulator, in real time: a Set button
// pressed on the window reaches the instrument as its command, on the queued and on the
// direct path, and the actual values the instrument then reports are shown.
#if defined(ZELVO_SIM_PATH)
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdlib>

#include "WindowTestSupport.h"
#include "app/Zelvo730_Main.h"
#include "core/IniFile.h"
#include "core/Settings.h"
#include "link/PtyPair.h"
#include "support/SimBench.h"
#include "ui/Widgets.h"

using namespace zelvo;
using testsupport::SimBench;
using testsupport::SimSetup;

namespace {

class SetpointsWithSimulator : public WithRecordedMessages {
 protected:
  void SetUp() override {
    WithRecordedMessages::SetUp();
    bench = std::make_unique<SimBench>(SimSetup{"FIDFPD", false, {}, {}, 1});
    ASSERT_TRUE(bench->ok());
    bench->WriteSubstanceLists("Aceton=2,05\r\n");
  }
  void TearDown() override {
    if (bench) bench->StopSimulator();
    WithRecordedMessages::TearDown();
  }
  // The lines the simulator received on port 1, in order.
  QStringList Received() const { return bench->Commands(1); }

  std::unique_ptr<SimBench> bench;
};

TEST_F(SetpointsWithSimulator, SetButtonsReachTheInstrumentAndItsValuesFollow) {
  TForm1 form;
  form.Session.ProgramDirOverride = bench->Dir();
  form.Session.DiagLog.SetEchoToStderr(false);
  form.FormCreate();
  ASSERT_TRUE(Child<QTimer>(form, "Timer1")->isActive());

  // Queued path: the air pressure leaves with a tick; the polled pressure follows.
  Child<QLineEdit>(form, "edAir")->setText("800");
  Click(Child<QPushButton>(form, "btnSetAir"));
  // Direct path: the high voltage set point, then switched on.
  Child<QLineEdit>(form, "editHvoltage")->setText("650");
  Click(Child<TSpeedButton>(form, "btnHVoltageAn"));

  auto near = [](const QString &text, int value) {
    bool ok = false;
    const int v = text.section(' ', 0, 0).toInt(&ok);
    return ok && std::abs(v - value) <= 3;
  };
  EXPECT_TRUE(PumpUntil(
      [&] {
        return near(Child<QLineEdit>(form, "edAir")->text(), 800) &&
               near(Child<TLabel>(form, "lblHVoltage")->text(), 650);
      },
      15000))
      << Child<QLineEdit>(form, "edAir")->text().toStdString() << " / "
      << Child<TLabel>(form, "lblHVoltage")->text().toStdString();
  const QStringList rx = Received();
  EXPECT_TRUE(rx.contains("<BS0320"));
  const qsizetype hv = rx.indexOf("<HS028A");
  ASSERT_GE(hv, 0);
  EXPECT_EQ(rx.value(hv + 1), "<HO1");
  EXPECT_EQ(form.Session.Setpoints.iAirSet, 800);
  EXPECT_EQ(TIniFile(form.Session.SettingsFile()).ReadInteger("Preferences", "HighVoltage", 0), 650);
  EXPECT_TRUE(messages.empty()) << messages.front().text.toStdString();
}

}  // namespace
#endif
