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
#include "ui/Widgets.h"

using namespace zelvo;

namespace {

class SetpointsWithSimulator : public WithRecordedMessages {
 protected:
  void SetUp() override {
    WithRecordedMessages::SetUp();
    link1 = dir.filePath("tty1");
    link2 = dir.filePath("tty2");
    const QString ini = dir.filePath("Zelvo730.ini");
    CreateSettingsFileIfMissing(ini, dir.path());
    TIniFile settings(ini);
    settings.WriteString("Language", "Code", "US");
    settings.WriteString("DeviceTyp", "Typ", "FIDFPD");
    settings.WriteString("Communication", "ComPortA", link1);
    settings.WriteString("Communication", "ComPortB", link2);
    for (const char *list : {"CH-Substanzen.txt", "S-Substanzen.txt"}) {
      QFile f(dir.filePath(list));
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
      f.write("Aceton=2,05\r\n");
    }
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start(QStringLiteral(ZELVO_SIM_PATH),
              {"--port1", link1, "--port2", link2, "--log", dir.filePath("sim.log"), "--seed", "1"});
    ASSERT_TRUE(sim.waitForStarted(5000));
    ASSERT_TRUE(PumpUntil([&] { return QFileInfo::exists(link1) && QFileInfo::exists(link2); }, 5000));
  }
  void TearDown() override {
    sim.terminate();
    sim.waitForFinished(5000);
    WithRecordedMessages::TearDown();
  }
  // The lines the simulator received on port 1, in order.
  QStringList Received() const {
    QFile f(dir.filePath("sim.log"));
    QStringList out;
    if (!f.open(QIODevice::ReadOnly)) return out;
    for (const QByteArray &raw : f.readAll().split('\n')) {
      const QString line = QString::fromLatin1(raw);
      const int at = line.indexOf(" 1 rx ");
      if (at > 0) out << line.mid(at + 6);
    }
    return out;
  }

  QTemporaryDir dir;
  QString link1, link2;
  QProcess sim;
};

TEST_F(SetpointsWithSimulator, SetButtonsReachTheInstrumentAndItsValuesFollow) {
  TForm1 form;
  form.ProgramDirOverride = dir.path();
  form.DiagLog.SetEchoToStderr(false);
  form.FormCreate();
  ASSERT_TRUE(form.Timer1->isActive());

  // Queued path: the air pressure leaves with a tick; the polled pressure follows.
  form.edAir->setText("800");
  form.btnSetAir->click();
  // Direct path: the high voltage set point, then switched on.
  form.editHvoltage->setText("650");
  form.btnHVoltageAn->click();

  auto near = [](const QString &text, int value) {
    bool ok = false;
    const int v = text.section(' ', 0, 0).toInt(&ok);
    return ok && std::abs(v - value) <= 3;
  };
  EXPECT_TRUE(
      PumpUntil([&] { return near(form.edAir->text(), 800) && near(form.lblHVoltage->text(), 650); }, 15000))
      << form.edAir->text().toStdString() << " / " << form.lblHVoltage->text().toStdString();
  const QStringList rx = Received();
  EXPECT_TRUE(rx.contains("<BS0320"));
  const qsizetype hv = rx.indexOf("<HS028A");
  ASSERT_GE(hv, 0);
  EXPECT_EQ(rx.value(hv + 1), "<HO1");
  EXPECT_EQ(form.iAirSet, 800);
  EXPECT_EQ(TIniFile(form.SettingsFile()).ReadInteger("Preferences", "HighVoltage", 0), 650);
  EXPECT_TRUE(messages.empty()) << messages.front().text.toStdString();
}

}  // namespace
#endif
