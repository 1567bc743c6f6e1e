// The start-up sequence against instruments played in the test, on the test clock: the
// requests and their framings, the queued commands, the identification failures, the port
// swap and the fall-back to FID.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTimer>
#include <vector>

#include "FakeInstrument.h"
#include "WindowTestSupport.h"
#include "app/Zelvo730_Main.h"
#include "core/Clock.h"
#include "core/IniFile.h"
#include "core/Language.h"
#include "core/Settings.h"
#include "core/Utils.h"
#include "link/ComPort.h"
#include "ui/Dialogs.h"
#include "ui/Widgets.h"

using namespace zelvo;

namespace {

class Startup : public OnTestClock {
 protected:
  void SetUp() override {
    OnTestClock::SetUp();
    ASSERT_TRUE(dir.isValid());
    CreateSettingsFileIfMissing(dir.filePath("Zelvo730.ini"), dir.path());
    ini.WriteString("Language", "Code", "US");
    ini.WriteString("Communication", "ComPortA", dir.filePath("missing-a"));
    ini.WriteString("Communication", "ComPortB", dir.filePath("missing-b"));
    for (const char *list : {"CH-Substanzen.txt", "S-Substanzen.txt"}) {
      QFile f(dir.filePath(list));
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
      f.write("Aceton=2,05\r\n");
    }
  }
  void Run() {
    form = std::make_unique<TForm1>();
    form->Session.ProgramDirOverride = dir.path();
    form->Session.DiagLog.SetEchoToStderr(false);
    form->FormCreate();
  }

  QTemporaryDir dir;
  TIniFile ini{dir.filePath("Zelvo730.ini")};
  std::unique_ptr<TForm1> form;
};

TEST_F(Startup, FidIdentifiesSetsAndQueuesInOrder) {
  FakeInstrument fid;
  fid.Air = 650;  // differs from the program's 700: the air set point is sent again
  ini.WriteString("Communication", "ComPortA", fid.Path());
  Run();
  EXPECT_TRUE(messages.empty()) << messages.front().text.toStdString();
  EXPECT_FALSE(form->TerminateRequested);
  EXPECT_TRUE(fid.Raw.startsWith("\r\n<SN\r\n"));
  EXPECT_EQ(fid.Lines, QStringList({"<SN", "<Y1", "<X000:00:00", "<FA", "<BC", "<WC", "<CC", "<XS01F4",
                                    "<YS0258", "<ES3A98", "<TS3A98", "<HS0064"}));
  EXPECT_EQ(TakeQueued(*form),
            QStringList({"<X1 Run Time --:--\r", "<X2 Run Time --:--\r", "<X3 Run Time --:--\r", "<BS02BC\r",
                         "<PSFF\r", "<V1SFF\r", "<V2SFF\r", "<LSEF\r", "<DG\r", "<12Z0100\r", "<R0\r"}));
  EXPECT_EQ(form->Session.sSerialNumber, "SN4-0001");
  EXPECT_EQ(Child<TCheckListBox>(*form, "clBoxConnection")->ItemText(0), fid.Path() + " SN4-0001");
  EXPECT_TRUE(Child<TCheckListBox>(*form, "clBoxConnection")->Checked(0));
  EXPECT_EQ(Child<TCheckListBox>(*form, "clBoxConnection")->ItemText(1),
            dir.filePath("missing-b") + " --------");
  EXPECT_EQ(form->Session.PollList.size(), 9u);
  EXPECT_FALSE(form->Session.HasFlowSensor);
  EXPECT_FALSE(Child<TLabel>(*form, "lblFlowVal")->isVisibleTo(form.get()));
  EXPECT_FALSE(Child<QPushButton>(*form, "btnIgnition")->isEnabled());
  EXPECT_FALSE(Child<TSpeedButton>(*form, "btnHVoltageAn")->isEnabled());
  EXPECT_TRUE(Child<QPushButton>(*form, "btnStart")->isEnabled());
  EXPECT_TRUE(Child<QTimer>(*form, "Timer1")->isActive());
  EXPECT_EQ(Child<TStatusBar>(*form, "statusbarRun")->Text(), "No measure");
  EXPECT_EQ(form->windowTitle(), "ZELVO730-PC-FLOW-EPC " + VersionText());
  EXPECT_EQ(Child<TLabel>(*form, "lblMesskammer")->text(), QString::fromUtf8("--- °C"));
  EXPECT_EQ(Child<TLabel>(*form, "lblHVoltage")->text(), "---- V");
}

TEST_F(Startup, IdentificationFailuresEndTheProgram) {
  // The identification texts are joined with CR; the box shows them as line breaks.
  const QString prog = "Programm : ZELVO730-PC\n" + VersionText() + "\n";
  {
    FakeInstrument silent;
    silent.Silent = true;
    ini.WriteString("Communication", "ComPortA", silent.Path());
    Run();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, prog + silent.Path() + ": " + GetLangString(1000, 91) + "\n");
    EXPECT_TRUE(form->TerminateRequested);
    EXPECT_NE(form->ExitCode, 0);
    EXPECT_FALSE(Child<QTimer>(*form, "Timer1")->isActive());
    EXPECT_FALSE(form->Session.ComPort1->Active());
  }
  messages.clear();
  {
    FakeInstrument noI2c(":SN2-0002");
    ini.WriteString("Communication", "ComPortA", noI2c.Path());
    Run();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, prog + GetLangString(1000, 90) + "\n");
    EXPECT_TRUE(form->TerminateRequested);
  }
  messages.clear();
  {
    ini.WriteString("Communication", "ComPortA", dir.filePath("missing-a"));
    Run();  // the port does not exist: its own message (German text 27), then the end
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text, GetLangString(0, 27));
    EXPECT_EQ(messages[0].title, dir.filePath("missing-a"));
    EXPECT_EQ(messages[1].text, prog + GetLangString(1000, 91) + "\n");
    EXPECT_TRUE(form->TerminateRequested);
  }
}

TEST_F(Startup, FidFpdSwapsPortsWhenTheFidConverterIsOnTheSecond) {
  FakeInstrument fpd(":SN2-0002"), fid(":SN4-0001");
  ini.WriteString("DeviceTyp", "Typ", "FIDFPD");
  ini.WriteString("Communication", "ComPortA", fpd.Path());  // wired the wrong way round
  ini.WriteString("Communication", "ComPortB", fid.Path());
  Run();
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(form->Session.ComPort1->DeviceName(), fid.Path());
  EXPECT_EQ(form->Session.ComPort2->DeviceName(), fpd.Path());
  EXPECT_EQ(form->Session.DeviceTyp, TDeviceTyp::FIDFPD);
  EXPECT_TRUE(fid.Raw.startsWith("\r<SN\r"));
  // The FPD converter was asked twice: once as port 1, once as port 2; then its stream stops
  // (written without a wait for an answer).
  ASSERT_TRUE(PumpUntil([&] { return fpd.Lines.size() >= 3; }));
  EXPECT_EQ(fpd.Lines, QStringList({"<SN", "<SN", "<12Z0100"}));
  // The 20 requests of an FPD start-up went to the FID converter after the swap; with the
  // two identifications of the FPD converter that makes 22.
  EXPECT_EQ(fid.Lines.size(), 20);
  EXPECT_EQ(fid.Lines.mid(1, 8),
            QStringList({"<EO0", "<TO0", "<HS0000", "<HO0", "<YS0000", "<YO0", "<XS0000", "<XO0"}));
  EXPECT_EQ(Child<TCheckListBox>(*form, "clBoxConnection")->ItemText(1), fpd.Path() + " SN2-0002");
  EXPECT_EQ(form->Session.PollList.size(), 14u);
  EXPECT_TRUE(Child<QPushButton>(*form, "btnIgnition")->isEnabled());
}

TEST_F(Startup, FidFpdWithoutItsSecondPortFallsBackToFid) {
  FakeInstrument fid;
  ini.WriteString("DeviceTyp", "Typ", "FIDFPD");
  ini.WriteString("Communication", "ComPortA", fid.Path());
  Run();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].text, GetLangString(0, 27));  // port B unknown to the system
  EXPECT_EQ(messages[1].text, GetLangString(1000, 92));
  EXPECT_EQ(form->Session.DeviceTyp, TDeviceTyp::FID);
  EXPECT_EQ(form->Session.PollList.size(), 9u);
  EXPECT_FALSE(Child<TSpeedButton>(*form, "btnFPDH2An")->isEnabled());
  EXPECT_FALSE(Child<QPushButton>(*form, "btnIgnition")->isEnabled());
  EXPECT_FALSE(Child<TCheckListBox>(*form, "clBoxConnection")->Checked(1));
  EXPECT_TRUE(Child<QTimer>(*form, "Timer1")->isActive());
}

// A value in the wrong regional format no longer stops the start-up half way: it is
// reported with its key, the default is used, and the program runs.
TEST_F(Startup, UnreadableFloatTakesItsDefaultAndTheStartUpGoesOn) {
  FakeInstrument fid;
  fid.FaReply = ":FA01";
  ini.WriteString("Communication", "ComPortA", fid.Path());
  ini.WriteString("Measurement", "LimitFID", "1;5");
  Run();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].kind, DialogMessage::Warning);
  EXPECT_TRUE(messages[0].text.contains("LimitFID"));
  EXPECT_TRUE(messages[0].text.contains("1;5"));
  EXPECT_DOUBLE_EQ(form->Session.Run.LimitFID, 100);
  EXPECT_TRUE(form->Session.HasFlowSensor);
  EXPECT_EQ(form->Session.PollList.size(), 10u);
  EXPECT_EQ(Child<TLabel>(*form, "lblFlowVal")->text(), "0");
  EXPECT_TRUE(Child<QTimer>(*form, "Timer1")->isActive());
}

// A garbled set point read-back does not end the start-up: the program's set point is sent.
TEST_F(Startup, GarbledGasReadBackSendsTheProgramsSetPoint) {
  FakeInstrument fid;
  fid.BcReply = ":BC02X?";
  ini.WriteString("Communication", "ComPortA", fid.Path());
  Run();
  EXPECT_TRUE(messages.empty());
  EXPECT_TRUE(TakeQueued(*form).contains("<BS02BC\r"));
  EXPECT_TRUE(Child<QTimer>(*form, "Timer1")->isActive());
}

// A settings file without the keys: every value is the default of the settings table, which
// differs from the creation value where the table says so. Every key the program reads goes
// through the table (a key outside it would end the start-up with an error), and every key
// the set-point panel writes is one of the table's.
TEST_F(Startup, MissingKeysTakeTheTableDefaultsAndEveryKeyIsInTheTable) {
  FakeInstrument fid;
  QFile::remove(ini.FileName());
  ini.WriteString("Language", "Code", "US");
  ini.WriteString("Communication", "ComPortA", fid.Path());
  Run();
  EXPECT_TRUE(messages.empty()) << messages.front().text.toStdString();
  ASSERT_TRUE(Child<QTimer>(*form, "Timer1")->isActive());
  EXPECT_DOUBLE_EQ(form->Session.Run.FPDCalMenge, 10);  // created as 2
  EXPECT_DOUBLE_EQ(form->Session.Run.LimitFID, 100);    // created as 1
  EXPECT_DOUBLE_EQ(form->Session.Factors.CalFlow, 100);     // created as 120
  EXPECT_EQ(form->Session.Measurement.InjectionTime, 300);      // created as 15
  EXPECT_EQ(form->Session.Run.Messzeit, 60);
  EXPECT_EQ(form->Session.Measurement.Scale, 20000);
  EXPECT_EQ(form->Session.Setpoints.TempVentilblock, 100);
  EXPECT_EQ(form->Session.Setpoints.iAirSet, 600);
  EXPECT_EQ(form->Session.Setpoints.H2FPD, 500);
  EXPECT_EQ(form->Session.Measurement.Startdelay, "01:00");
  EXPECT_EQ(form->Session.Measurement.sDataDir, "c:\\");
  EXPECT_EQ(Child<TRadioGroup>(*form, "rgStandard")->ItemIndex(), 0);  // "ASTM"
  EXPECT_EQ(form->Session.ComPort2->DeviceName(), "COM2");

  for (const char *set :
       {"btnVentilblockSet", "btnMesskammerSet", "btnEmissionSet", "btnTransferSet", "btnHVoltageSet",
        "btnFPDAirSet", "btnFPDH2Set", "btnSetH2", "btnSetAir", "btnSetCarrier"})
    Click(Child<QPushButton>(*form, set));
  QFile file(ini.FileName());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  QString section;
  int keys = 0;
  for (const QString &line :
       QString::fromLatin1(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
    if (line.startsWith('[')) {
      section = line.mid(1, line.size() - 2);
      continue;
    }
    const QString key = line.section('=', 0, 0);
    EXPECT_NE(FindSettingKey(section, key), nullptr) << section.toStdString() << "/" << key.toStdString();
    ++keys;
  }
  EXPECT_EQ(keys, 2 + 10);  // the two written here and the ten set points
}

TEST_F(Startup, NewSettingsFileStartsInGermanOnTheCreationValues) {
  QFile::remove(dir.filePath("Zelvo730.ini"));
  Run();  // COM2 does not exist here: the program ends after the port message
  EXPECT_EQ(form->Session.ID, 0);
  EXPECT_EQ(Child<TLabel>(*form, "lblLocalChar")->text(), "< , >");
  EXPECT_EQ(form->Session.ComPort1->DeviceName(), "COM2");
  EXPECT_EQ(Child<TRadioGroup>(*form, "rgStandard")->ItemIndex(), 1);
  EXPECT_EQ(form->Session.DeviceTyp, TDeviceTyp::FID);
  EXPECT_TRUE(QFile::exists(dir.filePath("Zelvo730.ini")));
}

}  // namespace
