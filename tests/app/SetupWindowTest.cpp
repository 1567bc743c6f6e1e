// The instrument setup at window level: the set-point panel's edge cases and switch orders,
// the run parameters, the factor fields with their drag and drop and store sequence, the
// substance list files, the test standard, and the start-up values that must read back.
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <QApplication>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QDir>
#include <QFile>
#include <QRadioButton>
#include <memory>
#include <string>

#include "FakeInstrument.h"
#include "WindowTestSupport.h"
#include "core/Cp1252.h"
#include "core/IniFile.h"
#include "core/LocaleGuard.h"
#include "core/Settings.h"
#include "link/ComPort.h"
#include "ui/Widgets.h"
#include "support/Files.h"

using namespace zelvo;

namespace {

void WriteBytes(const QString &path, const QByteArray &bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

class SetupWindow : public WindowOnTestClock {
 protected:
  void SetUp() override {
    WindowOnTestClock::SetUp();
    form.Session.ComPort1->SetDeviceName(instrument.Path());
    ASSERT_TRUE(form.Session.OpenPort(form.Session.ComPort1));
  }
  // What reached the instrument at once, and what waits in the command queue.
  QStringList Sent() {
    for (int i = 0; i < 3; ++i) Clock::WaitProcessingEvents(10);
    QStringList l = instrument.Lines;
    instrument.Lines.clear();
    return l;
  }
  QStringList Queued() {
    QStringList q;
    for (const QString &c : TakeQueued(form)) q << c.chopped(1);  // without the CR
    return q;
  }
  TIniFile Ini() const { return TIniFile(form.Session.SettingsFile()); }
  void Focus(QWidget *w) {
    if (!form.isVisible()) {
      form.show();
      QApplication::setActiveWindow(&form);
    }
    w->setFocus();
    QApplication::processEvents();
  }

  FakeInstrument instrument;
};

TEST_F(SetupWindow, SetpointEdgeCases) {
  const QString pressure = "Value should be between 300 and 2499 mbar";
  struct Case {
    QLineEdit *TForm1::*edit;
    QPushButton *TForm1::*button;
    const char *typed;
    QString message;  // empty: none
    const char *field;
    const char *command;
    bool queued;
    const char *key;
    int stored;
  } cases[] = {
      {&TForm1::editTransfer, &TForm1::btnTransferSet, "250", "Bereichsfehler!", "200", "<TS4E20", false,
       "TempTransferline", 200},
      {&TForm1::editEmmision,
       &TForm1::btnEmissionSet,
       "150",
       {},
       "150",
       "<ES3A98",
       false,
       "TempEmissionCell",
       150},
      {&TForm1::editMesskammer, &TForm1::btnMesskammerSet, "19", "Bereichsfehler!", "20", "<SS00C8", false,
       "TempMeasurementCell", 20},
      {&TForm1::editVentilblock, &TForm1::btnVentilblockSet, "81", "Bereichsfehler!", "80", "<VS0320", false,
       "TempValves", 80},
      {&TForm1::editHvoltage, &TForm1::btnHVoltageSet, "-5",
       "Attention! Value must be within 0 V and  1000 V.", "0", "<HS0000", false, "HighVoltage", 0},
      {&TForm1::edH2, &TForm1::btnSetH2, "2000", "H2 " + pressure, "1999", "<WS07CF", true, "H2Set", 1999},
      {&TForm1::edH2, &TForm1::btnSetH2, "1999", {}, "1999", "<WS07CF", true, "H2Set", 1999},
      {&TForm1::edAir, &TForm1::btnSetAir, "299", "Air " + pressure, "300", "<BS012C", true, "AirSet", 300},
      {&TForm1::edCarrier, &TForm1::btnSetCarrier, "600", {}, "600", "<CS0258", true, "CarrierSet", 600},
      {&TForm1::editFPDAir, &TForm1::btnFPDAirSet, "2000", {}, "2000", "<XS07D0", false, "FPD_Air", 2000},
      {&TForm1::editFPDAir, &TForm1::btnFPDAirSet, "2001", pressure, "2000", "<XS07D0", false, "FPD_Air",
       2000},
      {&TForm1::editFPDH2, &TForm1::btnFPDH2Set, "-1", pressure, "0", "<YS0000", false, "FPD_H2", 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(std::string(c.key) + " " + c.typed);
    messages.clear();
    (form.*c.edit)->setText(c.typed);
    (form.*c.button)->click();
    if (c.message.isEmpty()) {
      EXPECT_TRUE(messages.empty());
    } else {
      ASSERT_EQ(messages.size(), 1u);
      EXPECT_EQ(messages[0].text, c.message);
    }
    EXPECT_EQ((form.*c.edit)->text(), c.field);
    EXPECT_EQ(c.queued ? Queued() : Sent(), QStringList{c.command});
    EXPECT_EQ(Ini().ReadInteger("Preferences", c.key, -99), c.stored);
  }
}

TEST_F(SetupWindow, SwitchCommandOrders) {
  struct Case {
    const char *name;
    TSpeedButton *TForm1::*toggle;
    bool down;
    QStringList sent, queued;
  } cases[] = {
      {"transfer on", &TForm1::btnTransferAn, true, {"<TS2710", "<TO1"}, {}},
      {"transfer off", &TForm1::btnTransferAn, false, {"<TS2710", "<TO0"}, {}},
      {"emission on", &TForm1::btnEmissionAn, true, {"<ES2710", "<EO1"}, {}},
      {"high voltage on", &TForm1::btnHVoltageAn, true, {"<HS0064", "<HO1"}, {}},
      {"high voltage off", &TForm1::btnHVoltageAn, false, {"<HS0064", "<HS0000", "<HO0"}, {}},
      {"FPD air on", &TForm1::btnFPDAirAN, true, {"<XS01F4", "<XO1"}, {}},
      {"FPD air off", &TForm1::btnFPDAirAN, false, {"<XS0000", "<XO0"}, {}},
      {"FPD hydrogen on", &TForm1::btnFPDH2An, true, {"<YS01F4", "<YO1"}, {}},
      {"FPD hydrogen off", &TForm1::btnFPDH2An, false, {"<YS0000", "<YO0"}, {}},
  };
  form.editTransfer->setText("100");
  form.editEmmision->setText("100");
  form.editHvoltage->setText("100");
  form.editFPDAir->setText("500");
  form.editFPDH2->setText("500");
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    TSpeedButton *t = form.*c.toggle;
    t->setChecked(!c.down);
    t->click();  // flips the toggle, then its handler runs
    EXPECT_EQ(t->isChecked(), c.down);
    EXPECT_EQ(Sent(), c.sent);
    EXPECT_EQ(t->text(), c.down ? "On" : "Off");
  }
  // The heatings the instrument reports: set point sent, switch queued.
  form.editMesskammer->setText("27");
  form.btnMesskammerAn->setChecked(true);
  form.btnMesskammerAnClick();
  EXPECT_EQ(Sent(), QStringList{"<SS010E"});
  EXPECT_EQ(Queued(), QStringList{"<SO1"});
  EXPECT_TRUE(messages.empty());
}

TEST_F(SetupWindow, PressureFieldShowsTheSetValueWhileEditedAndSendsOnlyOnSet) {
  form.PageControl->setCurrentWidget(form.tabSettings);
  form.Session.Setpoints.iAirSet = 700;
  form.edAir->setText("702");  // the pressure the instrument reported
  Focus(form.edAir);
  EXPECT_EQ(form.edAir->text(), "700");
  form.edAir->setText("650");
  Focus(form.edCarrier);  // leaving the field takes the value, sends nothing
  EXPECT_EQ(form.Session.Setpoints.iAirSet, 650);
  EXPECT_TRUE(Queued().isEmpty());
  EXPECT_EQ(Ini().ReadInteger("Preferences", "AirSet", -1), -1);
  form.edAir->setText("650");
  form.btnSetAir->click();
  EXPECT_EQ(Queued(), QStringList{"<BS028A"});
  EXPECT_EQ(Ini().ReadInteger("Preferences", "AirSet", -1), 650);

  // A text that is no whole number is reported when the field is left; the value stays.
  Focus(form.edAir);
  form.edAir->setText("6 5 0");
  Focus(form.edCarrier);
  EXPECT_EQ(form.Session.Setpoints.iAirSet, 650);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].kind, DialogMessage::Error);
}

TEST_F(SetupWindow, RunParameterLimits) {
  struct Case {
    const char *name;
    QLineEdit *TForm1::*edit;
    void (TForm1::*exit)();
    const char *typed;
    const char *field;         // what the field shows afterwards
    const char *key;           // [Measurement] key
    const char *stored;        // its value in the settings file ("" for none)
    DialogMessage::Kind says;  // Information: nothing to say
  } cases[] = {
      {"start 0", &TForm1::editStart, &TForm1::UpdateStartzelle, "0", "1", "StartingCell", "1",
       DialogMessage::Information},
      {"start 9", &TForm1::editStart, &TForm1::UpdateStartzelle, "9", "6", "StartingCell", "6",
       DialogMessage::Information},
      {"start 4", &TForm1::editStart, &TForm1::UpdateStartzelle, "4", "4", "StartingCell", "4",
       DialogMessage::Information},
      {"count 5 after start 4", &TForm1::editAnzahl, &TForm1::UpdateAnzahlZellen, "5", "3", "NumberOfCells",
       "3", DialogMessage::Information},
      {"count 0", &TForm1::editAnzahl, &TForm1::UpdateAnzahlZellen, "0", "1", "NumberOfCells", "1",
       DialogMessage::Information},
      {"start 1", &TForm1::editStart, &TForm1::UpdateStartzelle, "1", "1", "StartingCell", "1",
       DialogMessage::Information},
      {"count 6 after start 1", &TForm1::editAnzahl, &TForm1::UpdateAnzahlZellen, "6", "6", "NumberOfCells",
       "6", DialogMessage::Information},
      {"start 4 keeps the count", &TForm1::editStart, &TForm1::UpdateStartzelle, "4", "4", "NumberOfCells",
       "6", DialogMessage::Information},
      {"measuring time 300", &TForm1::editMesszeit, &TForm1::UpdateMesszeit, "300", "300",
       "MeasurementTimePerCell/s", "300", DialogMessage::Information},
      {"measuring time 0", &TForm1::editMesszeit, &TForm1::UpdateMesszeit, "0", "300",
       "MeasurementTimePerCell/s", "300", DialogMessage::Warning},
      {"cycles -1", &TForm1::editZyklen, &TForm1::UpdateAnzahlMessreihen, "-1", "10", "NumberOfCycles", "",
       DialogMessage::Warning},
      {"cycles abc", &TForm1::editZyklen, &TForm1::UpdateAnzahlMessreihen, "abc", "abc", "NumberOfCycles", "",
       DialogMessage::Error},
      {"limit 0", &TForm1::editLimitFID, &TForm1::UpdateDurchbruchschwelle, "0", "100.0", "LimitFID", "",
       DialogMessage::Warning},
      {"limit 2.5", &TForm1::editLimitFPD, &TForm1::editLimitFPDExit, "2.5", "2.5", "LimitFPD", "2.5",
       DialogMessage::Information},
  };
  LocaleGuard english(LocaleGuard::English());
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    messages.clear();
    (form.*c.edit)->setText(c.typed);
    (form.*c.exit)();
    EXPECT_EQ((form.*c.edit)->text(), c.field);
    EXPECT_EQ(Ini().ReadString("Measurement", c.key, ""), c.stored);
    if (c.says == DialogMessage::Information) {
      EXPECT_TRUE(messages.empty());
    } else {
      ASSERT_EQ(messages.size(), 1u);
      EXPECT_EQ(messages[0].kind, c.says);
    }
  }
  EXPECT_EQ(form.Session.Run.Startzelle, 4);
  EXPECT_EQ(form.Session.Run.AnzahlZellen, 6);
  EXPECT_EQ(form.Session.Run.Messzeit, 300);
  EXPECT_EQ(form.Chart1->xAxis->range().upper, 300);  // the time axis follows the measuring time
  EXPECT_EQ(form.Session.Run.AnzahlMessreihen, 10);
  EXPECT_EQ(form.Session.Run.LimitFID, 100);
  EXPECT_EQ(form.Session.Run.LimitFPD, 2.5);
}

TEST_F(SetupWindow, LimitTakesTheRegionalDecimalSeparator) {
  {
    LocaleGuard german(LocaleGuard::German());
    form.editLimitFID->setText("0,5");
    form.UpdateDurchbruchschwelle();
    EXPECT_EQ(form.Session.Run.LimitFID, 0.5);
    EXPECT_EQ(form.editLimitFID->text(), "0,5");
    EXPECT_EQ(Ini().ReadString("Measurement", "LimitFID", ""), "0,5");
    EXPECT_TRUE(messages.empty());
  }
  LocaleGuard english(LocaleGuard::English());
  form.editLimitFID->setText("0,7");
  form.UpdateDurchbruchschwelle();
  EXPECT_EQ(form.Session.Run.LimitFID, 0.5);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].kind, DialogMessage::Error);
  EXPECT_TRUE(messages[0].text.contains("0,7"));
}

// Every number the start-up writes into a field reads back unchanged when the field is left,
// also from 1000 on, where a group separator would refuse it.
TEST_F(SetupWindow, StartupValuesReadBackUnchanged) {
  LocaleGuard german(LocaleGuard::German());
  TIniFile ini = Ini();
  CreateSettingsFileIfMissing(form.Session.SettingsFile(), dir.path());
  ini.WriteString("Language", "Code", "DE");
  ini.WriteString("Measurement", "LimitFID", "1000");
  ini.WriteString("Measurement", "LimitFPD", "2500,5");
  ini.WriteString("Calibration", "FID/ppm", "1000");
  ini.WriteString("Calibration", "FPD/ppm", "12345,5");
  ini.WriteString("Calibration", "CalFlow", "1000");
  ini.WriteString("Measurement", "SampleFlow1", "1234,5");
  ini.WriteString("Measurement", "FIDSampleFactor2", "1000");
  ini.WriteString("Measurement", "FPDCalFactor", "0,05");
  form.ReadStartupSettings();
  form.ShowStartupSettings();
  EXPECT_EQ(form.editLimitFID->text(), "1000,0");
  EXPECT_EQ(form.editSulfur->text(), "12345,5");
  EXPECT_EQ(form.lblEditFact2->text(), "1000,00");
  const QByteArray before = Bytes(form.Session.SettingsFile());

  form.UpdateDurchbruchschwelle();
  form.editLimitFPDExit();
  form.UpdateMengeIsobuthan();
  form.UpdateMengeSulfur();
  EXPECT_TRUE(form.Session.StoreFactorsAndFlows());
  EXPECT_TRUE(messages.empty()) << messages.front().text.toStdString();
  EXPECT_EQ(form.Session.Run.LimitFID, 1000);
  EXPECT_EQ(form.Session.Run.LimitFPD, 2500.5);
  EXPECT_EQ(form.Session.Run.FIDCALMenge, 1000);
  EXPECT_EQ(form.Session.Run.FPDCalMenge, 12345.5);
  EXPECT_EQ(form.Session.Factors.CalFlow, 1000);
  EXPECT_EQ(form.Session.Factors.SampleFlow1, 1234.5);
  EXPECT_EQ(form.Session.Factors.FIDFactor2, 1000);
  EXPECT_EQ(form.Session.Factors.FPDCalFactor, 0.05);
  // Every key was written again with the value it had: the file is as it was.
  EXPECT_EQ(Bytes(form.Session.SettingsFile()), before);
}

// Values from the settings file that would make a run meaningless or divide by zero take
// their defaults, and the start-up reports them.
TEST_F(SetupWindow, StartupRefusesSettingsThatWouldDivideByZero) {
  CreateSettingsFileIfMissing(form.Session.SettingsFile(), dir.path());
  TIniFile ini = Ini();
  ini.WriteString("Language", "Code", "US");
  ini.WriteString("Detection", "Loopflow", "0");
  ini.WriteString("Detection", "MinIndex", "-3");
  ini.WriteString("Measurement", "MeasurementTimePerCell/s", "0");
  ini.WriteString("Measurement", "SampleFlow2", "0");
  ini.WriteString("Measurement", "FPDCalFactor", "-1");
  form.ReadStartupSettings();
  form.ShowStartupSettings();
  EXPECT_EQ(form.Session.Detection.Loopflow, 10000);
  EXPECT_DOUBLE_EQ(form.Session.Detection.MinPeakWith, 1.2);
  EXPECT_EQ(form.Session.Detection.MinPeakStart, 10);
  EXPECT_EQ(form.Session.Run.Messzeit, 60);
  EXPECT_EQ(form.editMesszeit->text(), "60");
  EXPECT_EQ(form.Session.Factors.SampleFlow2, 100);
  EXPECT_EQ(form.Session.Factors.FPDCalFactor, 1);
  const QString problems = form.Session.SettingsProblems.join('\n');
  for (const char *key : {"Loopflow", "MinIndex", "MeasurementTimePerCell/s", "SampleFlow2", "FPDCalFactor"})
    EXPECT_TRUE(problems.contains(key)) << key << "\n" << problems.toStdString();
}

// A factor dropped a little off target lands nowhere: through Qt's own delivery of drag
// events no edit field but the eight factor fields, and not the description, takes a drag of
// a factor, while a plain text drag still goes into an ordinary field.
TEST_F(SetupWindow, AFactorDragIsTakenByNoOtherEditField) {
  const QList<QWidget *> factorFields = {form.lbleditFIDCalFact, form.lblEditFact1,      form.lblEditFact2,
                                         form.lblEditFact3,      form.lbleditFPDCalFact, form.lbleditFPDFact1,
                                         form.lblEditFPDFact2,   form.lblEditFPDFact3};
  const std::unique_ptr<QMimeData> factor(NewFactorMimeData(QStringLiteral("2,05")));
  auto enterAccepted = [](QWidget *w, const QMimeData *mime) {
    QDragEnterEvent e(QPoint(2, 2), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    e.setAccepted(false);
    QApplication::sendEvent(w, &e);
    return e.isAccepted();
  };
  QList<QWidget *> targets;
  for (QLineEdit *e : form.findChildren<QLineEdit *>())
    if (!factorFields.contains(e)) targets << e;
  targets << form.memoDescription;
  ASSERT_GT(targets.size(), 20);
  for (QWidget *w : targets) {
    w->setEnabled(true);
    EXPECT_FALSE(enterAccepted(w, factor.get())) << w->objectName().toStdString();
  }
  // The same delivery takes a plain text drag into a flow field: the factor's type is what
  // keeps it out.
  QMimeData text;
  text.setText(QStringLiteral("2,05"));
  EXPECT_TRUE(enterAccepted(form.editCalFlow, &text));
}

TEST_F(SetupWindow, DragAndDropOntoTheRightDetectorsFieldsOnly) {
  LocaleGuard german(LocaleGuard::German());
  form.Session.ID = 0;
  TValueListEditor *ch = form.ValueListEditor1, *s = form.ValueListEditor2;
  ASSERT_EQ(ch->Strings(), QStringList{"Aceton=2,05"});
  ASSERT_EQ(s->Strings(), QStringList{"THT=1,00"});

  // Only a list is accepted over a factor field.
  bool accept = false;
  form.FactDragOver(form.lblEditFact1, ch, accept);
  EXPECT_TRUE(accept);
  form.FactDragOver(form.lblEditFact1, form.editInfo1, accept);
  EXPECT_FALSE(accept);

  // A press arms the drag only on the factor column, with the left button.
  auto armed = [](TValueListEditor *list) {
    QObject *d = list->findChild<QObject *>("FactorDrag");
    return d && d->property("armed").toBool();
  };
  const QRect name = ch->visualRect(ch->model()->index(0, 0)),
              factor = ch->visualRect(ch->model()->index(0, 1));
  const QPoint onName = ch->viewport()->mapTo(ch, name.center()),
               onFactor = ch->viewport()->mapTo(ch, factor.center());
  form.ValueListEditor1MouseDown(Qt::LeftButton, onName.x(), onName.y());
  EXPECT_FALSE(armed(ch));
  form.ValueListEditor1MouseDown(Qt::RightButton, onFactor.x(), onFactor.y());
  EXPECT_FALSE(armed(ch));
  form.ValueListEditor1MouseDown(Qt::LeftButton, onFactor.x(), onFactor.y());
  EXPECT_TRUE(armed(ch));
  EXPECT_EQ(ch->currentColumn(), 1);
  s->setCurrentCell(0, 1);

  const QString fpdBefore = form.lbleditFPDFact1->text(), fidBefore = form.lblEditFact1->text();
  form.ValueListEditor1EndDrag(form.lbleditFPDFact1);  // a CH entry on an FPD field
  form.ValueListEditor2EndDrag(form.lblEditFact1);     // an S entry on an FID field
  form.ValueListEditor1EndDrag(nullptr);               // dropped nowhere
  form.ValueListEditor1EndDrag(form.editCalFlow);      // not a factor field
  EXPECT_EQ(form.lbleditFPDFact1->text(), fpdBefore);
  EXPECT_EQ(form.lblEditFact1->text(), fidBefore);
  EXPECT_EQ(form.editCalFlow->text(), "");

  form.ValueListEditor1EndDrag(form.lblEditFact2);
  form.ValueListEditor2EndDrag(form.lbleditFPDCalFact);
  EXPECT_EQ(form.lblEditFact2->text(), "2,05");
  EXPECT_EQ(form.lblEditFact2->EditLabel()->text(), "Aceton");
  EXPECT_EQ(form.lbleditFPDCalFact->text(), "1,00");
  EXPECT_EQ(form.lbleditFPDCalFact->EditLabel()->text(), "THT");

  // The store takes the dropped factor and name.
  for (QLineEdit *e : {form.editCalFlow, form.editSampleFlow1, form.editSampleFlow2, form.editSampleFlow3})
    e->setText("100,0");
  for (QLineEdit *e : {form.lbleditFIDCalFact, form.lblEditFact1, form.lblEditFact3, form.lbleditFPDFact1,
                       form.lblEditFPDFact2, form.lblEditFPDFact3})
    e->setText("1,00");
  ASSERT_TRUE(form.Session.StoreFactorsAndFlows());
  EXPECT_EQ(form.Session.Factors.FIDFactor2, 2.05);
  EXPECT_EQ(form.Session.Factors.FPDCalFactor, 1);
  EXPECT_EQ(Ini().ReadString("Measurement", "FIDSampleFactor2", ""), "2,05");
  EXPECT_EQ(Ini().ReadString("Measurement", "FIDSampleFactorName2", ""), "Aceton");
  EXPECT_EQ(form.lblInfoSample2->text(), "Aceton[2,05]");
  EXPECT_EQ(form.lblFPDCalFactor->text(), "[1,00]");
  EXPECT_EQ(form.lblFPDCALInfo->text(), "THT");
}

TEST_F(SetupWindow, StoreSequenceStopsAtTheFirstBadField) {
  LocaleGuard english(LocaleGuard::English());
  form.editCalFlow->setText("120");
  form.editSampleFlow1->setText("90.5");
  form.editSampleFlow2->setText("abc");
  form.editSampleFlow3->setText("80");
  form.lblEditFact1->setText("3");
  EXPECT_FALSE(form.Session.StoreFactorsAndFlows());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].kind, DialogMessage::Error);
  EXPECT_TRUE(messages[0].text.startsWith("Sample flow 2")) << messages[0].text.toStdString();
  EXPECT_EQ(form.Session.Factors.CalFlow, 120);
  EXPECT_EQ(form.Session.Factors.SampleFlow1, 90.5);
  EXPECT_EQ(form.Session.Factors.SampleFlow2, 100);  // not stored, nor anything after it
  EXPECT_EQ(form.Session.Factors.SampleFlow3, 100);
  EXPECT_EQ(form.Session.Factors.FIDFactor1, 1);
  EXPECT_EQ(Ini().ReadString("Calibration", "CalFlow", ""), "120");
  EXPECT_EQ(Ini().ReadString("Measurement", "SampleFlow1", ""), "90.5");
  EXPECT_EQ(Ini().ReadString("Measurement", "SampleFlow2", ""), "");

  // A factor of 0 would divide by zero in the evaluation: refused like a bad text.
  messages.clear();
  form.editSampleFlow2->setText("100");
  for (QLineEdit *e : {form.lbleditFIDCalFact, form.lblEditFact2, form.lbleditFPDCalFact,
                       form.lbleditFPDFact1, form.lblEditFPDFact2, form.lblEditFPDFact3})
    e->setText("1");
  form.lblEditFact3->setText("0");
  EXPECT_FALSE(form.Session.StoreFactorsAndFlows());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(messages[0].text.startsWith("FID factor cell 3")) << messages[0].text.toStdString();
  EXPECT_EQ(form.Session.Factors.FIDFactor1, 3);
  EXPECT_EQ(form.Session.Factors.FIDFactor3, 1);
}

// Leaving the factors page for another page stores the fields and saves both lists; the
// chart takes no focus, so this is how the store runs at all.
TEST_F(SetupWindow, LeavingTheFactorsPageStoresAndSavesTheLists) {
  LocaleGuard german(LocaleGuard::German());
  form.Session.ID = 0;
  WriteBytes(dir.filePath("CH-Substanzen.txt"),
             Cp1252Encode(QString::fromUtf8("Äthanol=1,5\r\nMethanol=0,9\r\n")));
  WriteBytes(dir.filePath("S-Substanzen.txt"), "THT=1,00\r\n");
  form.LoadSubstanceLists();
  EXPECT_EQ(form.ValueListEditor1->Key(0), QString::fromUtf8("Äthanol"));
  ASSERT_TRUE(form.ValueListEditor1->InsertRow(QString::fromUtf8("Öl"), "2"));
  for (QLineEdit *e : {form.editCalFlow, form.editSampleFlow1, form.editSampleFlow2, form.editSampleFlow3})
    e->setText("100,0");
  for (QLineEdit *e : {form.lbleditFIDCalFact, form.lblEditFact1, form.lblEditFact2, form.lbleditFPDCalFact,
                       form.lbleditFPDFact1, form.lblEditFPDFact2, form.lblEditFPDFact3})
    e->setText("1,00");
  form.lblEditFact3->setText("1,50");

  form.PageControl->setCurrentWidget(form.tabFaktoren);
  Focus(form.lblEditFact3);
  form.PageControl->setCurrentWidget(form.tabSampleInfo);
  Focus(form.editInfo1);
  EXPECT_EQ(form.Session.Factors.FIDFactor3, 1.5);
  EXPECT_EQ(Bytes(dir.filePath("CH-Substanzen.txt")),
            Cp1252Encode(QString::fromUtf8("Äthanol=1,5\r\nMethanol=0,9\r\nÖl=2\r\n")));
  EXPECT_EQ(Bytes(dir.filePath("S-Substanzen.txt")), "THT=1,00\r\n");
  EXPECT_TRUE(messages.empty()) << messages.front().text.toStdString();
}

// A lab's file with blank lines and a name given twice stays as it is while the operator
// changes nothing; a change saves the list as shown.
TEST_F(SetupWindow, AListLeftAsReadKeepsItsFile) {
  const QByteArray lab = "THT=1,00\r\n\r\nH2S=1,30\r\nTHT=1,20\r\n";
  WriteBytes(dir.filePath("S-Substanzen.txt"), lab);
  form.LoadSubstanceLists();
  form.PageControl->setCurrentWidget(form.tabFaktoren);
  Focus(form.lblEditFact3);
  form.PageControl->setCurrentWidget(form.tabSampleInfo);
  Focus(form.editInfo1);
  form.SaveSubstanceLists();
  EXPECT_EQ(Bytes(dir.filePath("S-Substanzen.txt")), lab);
  EXPECT_FALSE(QFile::exists(dir.filePath("CH-Substanzen.txt")));

  ASSERT_TRUE(form.ValueListEditor2->InsertRow("CS2", "0,8"));
  form.SaveSubstanceLists();
  EXPECT_EQ(Bytes(dir.filePath("S-Substanzen.txt")), "THT=1,00\r\nH2S=1,30\r\nCS2=0,8\r\n");
}

TEST_F(SetupWindow, OnlyListsThatWereReadOrAbsentAreSaved) {
  // Before the start-up read them, no list is saved over a lab's file.
  WriteBytes(dir.filePath("S-Substanzen.txt"), "Schwefel=3\r\n");
  form.SaveSubstanceLists();
  EXPECT_FALSE(QFile::exists(dir.filePath("CH-Substanzen.txt")));
  EXPECT_EQ(Bytes(dir.filePath("S-Substanzen.txt")), "Schwefel=3\r\n");

  // The CH list is missing: unchanged, nothing is written; once the operator adds an entry
  // the list is saved as the new file. The S list, unchanged, keeps its file.
  form.LoadSubstanceLists();
  EXPECT_EQ(form.ListState1, TListFileState::Absent);
  EXPECT_EQ(form.ListState2, TListFileState::Loaded);
  messages.clear();
  form.SaveSubstanceLists();
  EXPECT_FALSE(QFile::exists(dir.filePath("CH-Substanzen.txt")));
  ASSERT_TRUE(form.ValueListEditor1->InsertRow("Benzol", "1"));
  form.SaveSubstanceLists();
  EXPECT_EQ(Bytes(dir.filePath("CH-Substanzen.txt")), "Aceton=2,05\r\nBenzol=1\r\n");
  EXPECT_EQ(Bytes(dir.filePath("S-Substanzen.txt")), "Schwefel=3\r\n");

  // A list file that cannot be read is never written over.
  QFile::remove(dir.filePath("CH-Substanzen.txt"));
  ASSERT_TRUE(QDir(dir.path()).mkdir("CH-Substanzen.txt"));
  form.LoadSubstanceLists();
  EXPECT_EQ(form.ListState1, TListFileState::Unreadable);
  form.SaveSubstanceLists();
  EXPECT_TRUE(QFileInfo(dir.filePath("CH-Substanzen.txt")).isDir());
}

TEST_F(SetupWindow, BothStandards) {
  LocaleGuard german(LocaleGuard::German());
  struct Case {
    int item;
    const char *chamber, *command, *standard, *limitText;
    double limit;
  } cases[] = {
      {0, "27", "<SS010E", "ASTM", "0,1", 0.1},
      {1, "23", "<SS00E6", "EN374", "1,0", 1.0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.standard);
    form.rgStandard->Button(c.item)->click();
    EXPECT_EQ(form.editMesskammer->text(), c.chamber);
    EXPECT_EQ(Sent(), QStringList{c.command});
    EXPECT_EQ(Ini().ReadString("Preferences", "Standard", ""), c.standard);
    EXPECT_EQ(Ini().ReadInteger("Preferences", "TempMeasurementCell", 0), std::stoi(c.chamber));
    EXPECT_EQ(Ini().ReadFloat("Measurement", "LimitFID", 0), c.limit);
    EXPECT_EQ(form.Session.Run.LimitFID, c.limit);
    EXPECT_EQ(form.editLimitFID->text(), c.limitText);
    // The item already selected: nothing sent, nothing written.
    Ini().WriteString("Preferences", "Standard", "changed");
    form.rgStandard->Button(c.item)->click();
    EXPECT_TRUE(Sent().isEmpty());
    EXPECT_EQ(Ini().ReadString("Preferences", "Standard", ""), "changed");
  }
  EXPECT_TRUE(messages.empty());
}

TEST_F(SetupWindow, StartupSelectsTheStandardWithoutSendingIt) {
  CreateSettingsFileIfMissing(form.Session.SettingsFile(), dir.path());
  for (const char *stored : {"ASTM", "astm"}) {
    SCOPED_TRACE(stored);
    form.rgStandard->SetItemIndex(-1);
    Ini().WriteString("Preferences", "Standard", stored);
    form.ReadStartupSettings();
    form.ShowStartupSettings();
    EXPECT_EQ(form.rgStandard->ItemIndex(), QString(stored) == "ASTM" ? 0 : -1);
    EXPECT_TRUE(Sent().isEmpty());
  }
}

}  // namespace
