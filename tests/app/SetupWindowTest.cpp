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
#include <QStyle>
#include <QStyleOptionButton>
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
  // The start-up in the window's language; it reads the substance lists with the settings.
  void StartUp() {
    StartWithoutInstrument(form, dir.path(), form.Session.ID);
    instrument.Lines.clear();
  }
  // The operator leaves the factors page for the sample information: the page stores its
  // fields and saves the lists.
  void LeaveFactorsPage() {
    FocusOn(form, Child<TLabeledEdit>(form, "lblEditFact3"));
    FocusOn(form, Child<QLineEdit>(form, "editInfo1"));
  }
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
    const char *edit;
    const char *button;
    const char *typed;
    QString message;  // empty: none
    const char *field;
    const char *command;
    bool queued;
    const char *key;
    int stored;
  } cases[] = {
      {"editTransfer", "btnTransferSet", "250", "Bereichsfehler!", "200", "<TS4E20", false,
       "TempTransferline", 200},
      {"editEmmision", "btnEmissionSet", "150", {}, "150", "<ES3A98", false, "TempEmissionCell", 150},
      {"editMesskammer", "btnMesskammerSet", "19", "Bereichsfehler!", "20", "<SS00C8", false,
       "TempMeasurementCell", 20},
      {"editVentilblock", "btnVentilblockSet", "81", "Bereichsfehler!", "80", "<VS0320", false, "TempValves",
       80},
      {"editHvoltage", "btnHVoltageSet", "-5", "Attention! Value must be within 0 V and  1000 V.", "0",
       "<HS0000", false, "HighVoltage", 0},
      {"edH2", "btnSetH2", "2000", "H2 " + pressure, "1999", "<WS07CF", true, "H2Set", 1999},
      {"edH2", "btnSetH2", "1999", {}, "1999", "<WS07CF", true, "H2Set", 1999},
      {"edAir", "btnSetAir", "299", "Air " + pressure, "300", "<BS012C", true, "AirSet", 300},
      {"edCarrier", "btnSetCarrier", "600", {}, "600", "<CS0258", true, "CarrierSet", 600},
      {"editFPDAir", "btnFPDAirSet", "2000", {}, "2000", "<XS07D0", false, "FPD_Air", 2000},
      {"editFPDAir", "btnFPDAirSet", "2001", pressure, "2000", "<XS07D0", false, "FPD_Air", 2000},
      {"editFPDH2", "btnFPDH2Set", "-1", pressure, "0", "<YS0000", false, "FPD_H2", 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(std::string(c.key) + " " + c.typed);
    messages.clear();
    Child<QLineEdit>(form, c.edit)->setText(c.typed);
    Click(Child<QPushButton>(form, c.button));
    if (c.message.isEmpty()) {
      EXPECT_TRUE(messages.empty());
    } else {
      ASSERT_EQ(messages.size(), 1u);
      EXPECT_EQ(messages[0].text, c.message);
    }
    EXPECT_EQ(Child<QLineEdit>(form, c.edit)->text(), c.field);
    EXPECT_EQ(c.queued ? Queued() : Sent(), QStringList{c.command});
    EXPECT_EQ(Ini().ReadInteger("Preferences", c.key, -99), c.stored);
  }
}

TEST_F(SetupWindow, SwitchCommandOrders) {
  struct Case {
    const char *name;
    const char *toggle;
    bool down;
    QStringList sent, queued;
  } cases[] = {
      {"transfer on", "btnTransferAn", true, {"<TS2710", "<TO1"}, {}},
      {"transfer off", "btnTransferAn", false, {"<TS2710", "<TO0"}, {}},
      {"emission on", "btnEmissionAn", true, {"<ES2710", "<EO1"}, {}},
      {"high voltage on", "btnHVoltageAn", true, {"<HS0064", "<HO1"}, {}},
      {"high voltage off", "btnHVoltageAn", false, {"<HS0064", "<HS0000", "<HO0"}, {}},
      {"FPD air on", "btnFPDAirAN", true, {"<XS01F4", "<XO1"}, {}},
      {"FPD air off", "btnFPDAirAN", false, {"<XS0000", "<XO0"}, {}},
      {"FPD hydrogen on", "btnFPDH2An", true, {"<YS01F4", "<YO1"}, {}},
      {"FPD hydrogen off", "btnFPDH2An", false, {"<YS0000", "<YO0"}, {}},
  };
  Child<QLineEdit>(form, "editTransfer")->setText("100");
  Child<QLineEdit>(form, "editEmmision")->setText("100");
  Child<QLineEdit>(form, "editHvoltage")->setText("100");
  Child<QLineEdit>(form, "editFPDAir")->setText("500");
  Child<QLineEdit>(form, "editFPDH2")->setText("500");
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    TSpeedButton *t = Child<TSpeedButton>(form, c.toggle);
    t->setChecked(!c.down);
    Click(t);  // flips the toggle, then its handler runs
    EXPECT_EQ(t->isChecked(), c.down);
    EXPECT_EQ(Sent(), c.sent);
    EXPECT_EQ(t->text(), c.down ? "On" : "Off");
  }
  // The heatings the instrument reports (their toggles are the instrument's, not the
  // operator's): the set point is sent, the switch queued once it is answered.
  EXPECT_FALSE(Child<TSpeedButton>(form, "btnMesskammerAn")->isEnabled());
  form.Session.Setpoints.TempMesskammer = 27;
  form.Session.Setpoints.TempVentilblock = 60;  // the report switches the valve block's heating too
  form.Session.HeatingReport(0xFE);             // the chamber's heating on
  EXPECT_EQ(Sent(), QStringList{"<SS010E"});
  for (int tick = 0; tick < 3; ++tick) {
    form.Session.ReplyStep();
    form.Session.HeatingStep();
  }
  const QStringList queued = Queued();
  ASSERT_FALSE(queued.isEmpty());
  EXPECT_EQ(queued.first(), "<SO1");
  EXPECT_TRUE(Child<TSpeedButton>(form, "btnMesskammerAn")->isChecked());
  EXPECT_EQ(Child<TSpeedButton>(form, "btnMesskammerAn")->text(), "On");
  EXPECT_TRUE(messages.empty()) << messages.front().title.toStdString() << ": "
                                << messages.front().text.toStdString();
}

TEST_F(SetupWindow, PressureFieldShowsTheSetValueWhileEditedAndSendsOnlyOnSet) {
  Child<QTabWidget>(form, "PageControl")->setCurrentWidget(Child<TTabSheet>(form, "tabSettings"));
  form.Session.Setpoints.iAirSet = 700;
  Child<QLineEdit>(form, "edAir")->setText("702");  // the pressure the instrument reported
  Focus(Child<QLineEdit>(form, "edAir"));
  EXPECT_EQ(Child<QLineEdit>(form, "edAir")->text(), "700");
  Child<QLineEdit>(form, "edAir")->setText("650");
  Focus(Child<QLineEdit>(form, "edCarrier"));  // leaving the field takes the value, sends nothing
  EXPECT_EQ(form.Session.Setpoints.iAirSet, 650);
  EXPECT_TRUE(Queued().isEmpty());
  EXPECT_EQ(Ini().ReadInteger("Preferences", "AirSet", -1), -1);
  Child<QLineEdit>(form, "edAir")->setText("650");
  Click(Child<QPushButton>(form, "btnSetAir"));
  EXPECT_EQ(Queued(), QStringList{"<BS028A"});
  EXPECT_EQ(Ini().ReadInteger("Preferences", "AirSet", -1), 650);

  // A text that is no whole number is reported when the field is left; the value stays.
  Focus(Child<QLineEdit>(form, "edAir"));
  Child<QLineEdit>(form, "edAir")->setText("6 5 0");
  Focus(Child<QLineEdit>(form, "edCarrier"));
  EXPECT_EQ(form.Session.Setpoints.iAirSet, 650);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].kind, DialogMessage::Error);
}

TEST_F(SetupWindow, RunParameterLimits) {
  struct Case {
    const char *name;
    const char *edit;
    const char *typed;
    const char *field;         // what the field shows afterwards
    const char *key;           // [Measurement] key
    const char *stored;        // its value in the settings file ("" for none)
    DialogMessage::Kind says;  // Information: nothing to say
  } cases[] = {
      {"start 0", "editStart", "0", "1", "StartingCell", "1", DialogMessage::Information},
      {"start 9", "editStart", "9", "6", "StartingCell", "6", DialogMessage::Information},
      {"start 4", "editStart", "4", "4", "StartingCell", "4", DialogMessage::Information},
      {"count 5 after start 4", "editAnzahl", "5", "3", "NumberOfCells", "3", DialogMessage::Information},
      {"count 0", "editAnzahl", "0", "1", "NumberOfCells", "1", DialogMessage::Information},
      {"start 1", "editStart", "1", "1", "StartingCell", "1", DialogMessage::Information},
      {"count 6 after start 1", "editAnzahl", "6", "6", "NumberOfCells", "6", DialogMessage::Information},
      {"start 4 keeps the count", "editStart", "4", "4", "NumberOfCells", "6", DialogMessage::Information},
      {"measuring time 300", "editMesszeit", "300", "300", "MeasurementTimePerCell/s", "300",
       DialogMessage::Information},
      {"measuring time 0", "editMesszeit", "0", "300", "MeasurementTimePerCell/s", "300",
       DialogMessage::Warning},
      {"cycles -1", "editZyklen", "-1", "10", "NumberOfCycles", "", DialogMessage::Warning},
      {"cycles abc", "editZyklen", "abc", "abc", "NumberOfCycles", "", DialogMessage::Error},
      {"limit 0", "editLimitFID", "0", "100.0", "LimitFID", "", DialogMessage::Warning},
      {"limit 2.5", "editLimitFPD", "2.5", "2.5", "LimitFPD", "2.5", DialogMessage::Information},
  };
  LocaleGuard english(LocaleGuard::English());
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    messages.clear();
    EnterAndLeave(form, Child<QLineEdit>(form, c.edit), c.typed);
    EXPECT_EQ(Child<QLineEdit>(form, c.edit)->text(), c.field);
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
  EXPECT_EQ(Child<QCustomPlot>(form, "Chart1")->xAxis->range().upper,
            300);  // the time axis follows the measuring time
  EXPECT_EQ(form.Session.Run.AnzahlMessreihen, 10);
  EXPECT_EQ(form.Session.Run.LimitFID, 100);
  EXPECT_EQ(form.Session.Run.LimitFPD, 2.5);
}

TEST_F(SetupWindow, LimitTakesTheRegionalDecimalSeparator) {
  {
    LocaleGuard german(LocaleGuard::German());
    EnterAndLeave(form, Child<QLineEdit>(form, "editLimitFID"), "0,5");
    EXPECT_EQ(form.Session.Run.LimitFID, 0.5);
    EXPECT_EQ(Child<QLineEdit>(form, "editLimitFID")->text(), "0,5");
    EXPECT_EQ(Ini().ReadString("Measurement", "LimitFID", ""), "0,5");
    EXPECT_TRUE(messages.empty());
  }
  LocaleGuard english(LocaleGuard::English());
  EnterAndLeave(form, Child<QLineEdit>(form, "editLimitFID"), "0,7");
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
  StartWithoutInstrument(form, dir.path(), kGermanOffset);
  messages.clear();  // the missing converter's
  EXPECT_EQ(Child<QLineEdit>(form, "editLimitFID")->text(), "1000,0");
  EXPECT_EQ(Child<QLineEdit>(form, "editSulfur")->text(), "12345,5");
  EXPECT_EQ(Child<TLabeledEdit>(form, "lblEditFact2")->text(), "1000,00");
  const QByteArray before = Bytes(form.Session.SettingsFile());

  // The operator passes through the fields without changing them.
  for (const char *field : {"editLimitFID", "editLimitFPD", "editIsobutan", "editSulfur"}) {
    QLineEdit *edit = Child<QLineEdit>(form, field);
    EnterAndLeave(form, edit, edit->text());
  }
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
  StartWithoutInstrument(form, dir.path(), kEnglishOffset);
  EXPECT_EQ(form.Session.Detection.Loopflow, 10000);
  EXPECT_DOUBLE_EQ(form.Session.Detection.MinPeakWith, 1.2);
  EXPECT_EQ(form.Session.Detection.MinPeakStart, 10);
  EXPECT_EQ(form.Session.Run.Messzeit, 60);
  EXPECT_EQ(Child<QLineEdit>(form, "editMesszeit")->text(), "60");
  EXPECT_EQ(form.Session.Factors.SampleFlow2, 100);
  EXPECT_EQ(form.Session.Factors.FPDCalFactor, 1);
  // The start-up's warning names them.
  QString problems;
  for (const DialogMessage &m : messages)
    if (m.kind == DialogMessage::Warning) problems += m.text;
  for (const char *key : {"Loopflow", "MinIndex", "MeasurementTimePerCell/s", "SampleFlow2", "FPDCalFactor"})
    EXPECT_TRUE(problems.contains(key)) << key << "\n" << problems.toStdString();
}

// A factor dropped a little off target lands nowhere: through Qt's own delivery of drag
// events no edit field but the eight factor fields, and not the description, takes a drag of
// a factor, while a plain text drag still goes into an ordinary field.
TEST_F(SetupWindow, AFactorDragIsTakenByNoOtherEditField) {
  const QList<QWidget *> factorFields = {
      Child<TLabeledEdit>(form, "lbleditFIDCalFact"), Child<TLabeledEdit>(form, "lblEditFact1"),
      Child<TLabeledEdit>(form, "lblEditFact2"),      Child<TLabeledEdit>(form, "lblEditFact3"),
      Child<TLabeledEdit>(form, "lbleditFPDCalFact"), Child<TLabeledEdit>(form, "lbleditFPDFact1"),
      Child<TLabeledEdit>(form, "lblEditFPDFact2"),   Child<TLabeledEdit>(form, "lblEditFPDFact3")};
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
  targets << Child<TLabeledMemo>(form, "memoDescription");
  ASSERT_GT(targets.size(), 20);
  for (QWidget *w : targets) {
    w->setEnabled(true);
    EXPECT_FALSE(enterAccepted(w, factor.get())) << w->objectName().toStdString();
  }
  // The same delivery takes a plain text drag into a flow field: the factor's type is what
  // keeps it out.
  QMimeData text;
  text.setText(QStringLiteral("2,05"));
  EXPECT_TRUE(enterAccepted(Child<QLineEdit>(form, "editCalFlow"), &text));
}

TEST_F(SetupWindow, DragAndDropOntoTheRightDetectorsFieldsOnly) {
  LocaleGuard german(LocaleGuard::German());
  form.Session.ID = 0;
  TValueListEditor *ch = Child<TValueListEditor>(form, "ValueListEditor1"),
                   *s = Child<TValueListEditor>(form, "ValueListEditor2");
  ASSERT_EQ(ch->Strings(), QStringList{"Aceton=2,05"});
  ASSERT_EQ(s->Strings(), QStringList{"THT=1,00"});

  // Only a list is accepted over a factor field (the field asks the window whenever a drag
  // of a factor moves over it).
  bool accept = false;
  TLabeledEdit *fact1 = Child<TLabeledEdit>(form, "lblEditFact1");
  ASSERT_TRUE(fact1->OnDragOver);
  fact1->OnDragOver(ch, accept);
  EXPECT_TRUE(accept);
  fact1->OnDragOver(Child<QLineEdit>(form, "editInfo1"), accept);
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
  // Presses as the mouse gives them to the list's viewport.
  const auto press = [&](Qt::MouseButton button, QPoint at) {
    QTest::mousePress(ch->viewport(), button, Qt::NoModifier, ch->viewport()->mapFrom(ch, at));
  };
  const auto release = [&](Qt::MouseButton button, QPoint at) {
    QTest::mouseRelease(ch->viewport(), button, Qt::NoModifier, ch->viewport()->mapFrom(ch, at));
  };
  press(Qt::LeftButton, onName);
  EXPECT_FALSE(armed(ch));
  release(Qt::LeftButton, onName);
  press(Qt::RightButton, onFactor);
  EXPECT_FALSE(armed(ch));
  release(Qt::RightButton, onFactor);
  press(Qt::LeftButton, onFactor);
  EXPECT_TRUE(armed(ch));
  EXPECT_EQ(ch->currentColumn(), 1);
  s->setCurrentCell(0, 1);

  const QString fpdBefore = Child<TLabeledEdit>(form, "lbleditFPDFact1")->text(),
                fidBefore = Child<TLabeledEdit>(form, "lblEditFact1")->text();
  // A drag ends with the list reporting where it was dropped.
  emit ch->EndDrag(Child<TLabeledEdit>(form, "lbleditFPDFact1"));  // a CH entry on an FPD field
  emit s->EndDrag(Child<TLabeledEdit>(form, "lblEditFact1"));      // an S entry on an FID field
  emit ch->EndDrag(nullptr);                                       // dropped nowhere
  emit ch->EndDrag(Child<QLineEdit>(form, "editCalFlow"));         // not a factor field
  EXPECT_EQ(Child<TLabeledEdit>(form, "lbleditFPDFact1")->text(), fpdBefore);
  EXPECT_EQ(Child<TLabeledEdit>(form, "lblEditFact1")->text(), fidBefore);
  EXPECT_EQ(Child<QLineEdit>(form, "editCalFlow")->text(), "");

  emit ch->EndDrag(Child<TLabeledEdit>(form, "lblEditFact2"));
  emit s->EndDrag(Child<TLabeledEdit>(form, "lbleditFPDCalFact"));
  EXPECT_EQ(Child<TLabeledEdit>(form, "lblEditFact2")->text(), "2,05");
  EXPECT_EQ(Child<TLabeledEdit>(form, "lblEditFact2")->EditLabel()->text(), "Aceton");
  EXPECT_EQ(Child<TLabeledEdit>(form, "lbleditFPDCalFact")->text(), "1,00");
  EXPECT_EQ(Child<TLabeledEdit>(form, "lbleditFPDCalFact")->EditLabel()->text(), "THT");

  // The store takes the dropped factor and name.
  for (QLineEdit *e : {Child<QLineEdit>(form, "editCalFlow"), Child<QLineEdit>(form, "editSampleFlow1"),
                       Child<QLineEdit>(form, "editSampleFlow2"), Child<QLineEdit>(form, "editSampleFlow3")})
    e->setText("100,0");
  for (QLineEdit *e :
       {Child<TLabeledEdit>(form, "lbleditFIDCalFact"), Child<TLabeledEdit>(form, "lblEditFact1"),
        Child<TLabeledEdit>(form, "lblEditFact3"), Child<TLabeledEdit>(form, "lbleditFPDFact1"),
        Child<TLabeledEdit>(form, "lblEditFPDFact2"), Child<TLabeledEdit>(form, "lblEditFPDFact3")})
    e->setText("1,00");
  ASSERT_TRUE(form.Session.StoreFactorsAndFlows());
  EXPECT_EQ(form.Session.Factors.FIDFactor2, 2.05);
  EXPECT_EQ(form.Session.Factors.FPDCalFactor, 1);
  EXPECT_EQ(Ini().ReadString("Measurement", "FIDSampleFactor2", ""), "2,05");
  EXPECT_EQ(Ini().ReadString("Measurement", "FIDSampleFactorName2", ""), "Aceton");
  EXPECT_EQ(Child<TLabel>(form, "lblInfoSample2")->text(), "Aceton[2,05]");
  EXPECT_EQ(Child<TLabel>(form, "lblFPDCalFactor")->text(), "[1,00]");
  EXPECT_EQ(Child<TLabel>(form, "lblFPDCALInfo")->text(), "THT");
}

TEST_F(SetupWindow, StoreSequenceStopsAtTheFirstBadField) {
  LocaleGuard english(LocaleGuard::English());
  Child<QLineEdit>(form, "editCalFlow")->setText("120");
  Child<QLineEdit>(form, "editSampleFlow1")->setText("90.5");
  Child<QLineEdit>(form, "editSampleFlow2")->setText("abc");
  Child<QLineEdit>(form, "editSampleFlow3")->setText("80");
  Child<TLabeledEdit>(form, "lblEditFact1")->setText("3");
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
  Child<QLineEdit>(form, "editSampleFlow2")->setText("100");
  for (QLineEdit *e :
       {Child<TLabeledEdit>(form, "lbleditFIDCalFact"), Child<TLabeledEdit>(form, "lblEditFact2"),
        Child<TLabeledEdit>(form, "lbleditFPDCalFact"), Child<TLabeledEdit>(form, "lbleditFPDFact1"),
        Child<TLabeledEdit>(form, "lblEditFPDFact2"), Child<TLabeledEdit>(form, "lblEditFPDFact3")})
    e->setText("1");
  Child<TLabeledEdit>(form, "lblEditFact3")->setText("0");
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
  StartUp();
  messages.clear();  // the missing converter's
  EXPECT_EQ(Child<TValueListEditor>(form, "ValueListEditor1")->Key(0), QString::fromUtf8("Äthanol"));
  ASSERT_TRUE(Child<TValueListEditor>(form, "ValueListEditor1")->InsertRow(QString::fromUtf8("Öl"), "2"));
  for (QLineEdit *e : {Child<QLineEdit>(form, "editCalFlow"), Child<QLineEdit>(form, "editSampleFlow1"),
                       Child<QLineEdit>(form, "editSampleFlow2"), Child<QLineEdit>(form, "editSampleFlow3")})
    e->setText("100,0");
  for (QLineEdit *e :
       {Child<TLabeledEdit>(form, "lbleditFIDCalFact"), Child<TLabeledEdit>(form, "lblEditFact1"),
        Child<TLabeledEdit>(form, "lblEditFact2"), Child<TLabeledEdit>(form, "lbleditFPDCalFact"),
        Child<TLabeledEdit>(form, "lbleditFPDFact1"), Child<TLabeledEdit>(form, "lblEditFPDFact2"),
        Child<TLabeledEdit>(form, "lblEditFPDFact3")})
    e->setText("1,00");
  Child<TLabeledEdit>(form, "lblEditFact3")->setText("1,50");

  LeaveFactorsPage();
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
  StartUp();
  LeaveFactorsPage();
  LeaveFactorsPage();
  EXPECT_EQ(Bytes(dir.filePath("S-Substanzen.txt")), lab);
  EXPECT_FALSE(QFile::exists(dir.filePath("CH-Substanzen.txt")));

  ASSERT_TRUE(Child<TValueListEditor>(form, "ValueListEditor2")->InsertRow("CS2", "0,8"));
  LeaveFactorsPage();
  EXPECT_EQ(Bytes(dir.filePath("S-Substanzen.txt")), "THT=1,00\r\nH2S=1,30\r\nCS2=0,8\r\n");
}

TEST_F(SetupWindow, OnlyListsThatWereReadOrAbsentAreSaved) {
  // Before the start-up read them, no list is saved over a lab's file.
  WriteBytes(dir.filePath("S-Substanzen.txt"), "Schwefel=3\r\n");
  LeaveFactorsPage();
  EXPECT_FALSE(QFile::exists(dir.filePath("CH-Substanzen.txt")));
  EXPECT_EQ(Bytes(dir.filePath("S-Substanzen.txt")), "Schwefel=3\r\n");

  // The CH list is missing: unchanged, nothing is written; once the operator adds an entry
  // the list is saved as the new file. The S list, unchanged, keeps its file.
  StartUp();
  EXPECT_EQ(Child<TValueListEditor>(form, "ValueListEditor1")->Strings(),
            QStringList{"Aceton=2,05"});  // absent
  EXPECT_EQ(Child<TValueListEditor>(form, "ValueListEditor2")->Strings(), QStringList{"Schwefel=3"});  // read
  messages.clear();
  LeaveFactorsPage();
  EXPECT_FALSE(QFile::exists(dir.filePath("CH-Substanzen.txt")));
  ASSERT_TRUE(Child<TValueListEditor>(form, "ValueListEditor1")->InsertRow("Benzol", "1"));
  LeaveFactorsPage();
  EXPECT_EQ(Bytes(dir.filePath("CH-Substanzen.txt")), "Aceton=2,05\r\nBenzol=1\r\n");
  EXPECT_EQ(Bytes(dir.filePath("S-Substanzen.txt")), "Schwefel=3\r\n");

  // A list file that cannot be read is never written over.
  QFile::remove(dir.filePath("CH-Substanzen.txt"));
  ASSERT_TRUE(QDir(dir.path()).mkdir("CH-Substanzen.txt"));
  messages.clear();
  StartUp();
  bool told = false;  // the start-up's warning names the list it could not read
  for (const DialogMessage &m : messages)
    told |= m.kind == DialogMessage::Warning && m.text.contains("CH-Substanzen.txt");
  EXPECT_TRUE(told);
  ASSERT_TRUE(Child<TValueListEditor>(form, "ValueListEditor1")->InsertRow("Toluol", "1"));
  LeaveFactorsPage();
  EXPECT_TRUE(QFileInfo(dir.filePath("CH-Substanzen.txt")).isDir());
}

// A click on a radio button's circle.
void ClickRadio(QAbstractButton *radio) {
  QStyleOptionButton option;
  option.initFrom(radio);
  const QRect circle = radio->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, radio);
  QTest::mouseClick(radio, Qt::LeftButton, Qt::NoModifier, circle.center());
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
    ClickRadio(Child<TRadioGroup>(form, "rgStandard")->Button(c.item));
    EXPECT_EQ(Child<QLineEdit>(form, "editMesskammer")->text(), c.chamber);
    EXPECT_EQ(Sent(), QStringList{c.command});
    EXPECT_EQ(Ini().ReadString("Preferences", "Standard", ""), c.standard);
    EXPECT_EQ(Ini().ReadInteger("Preferences", "TempMeasurementCell", 0), std::stoi(c.chamber));
    EXPECT_EQ(Ini().ReadFloat("Measurement", "LimitFID", 0), c.limit);
    EXPECT_EQ(form.Session.Run.LimitFID, c.limit);
    EXPECT_EQ(Child<QLineEdit>(form, "editLimitFID")->text(), c.limitText);
    // The item already selected: nothing sent, nothing written.
    Ini().WriteString("Preferences", "Standard", "changed");
    ClickRadio(Child<TRadioGroup>(form, "rgStandard")->Button(c.item));
    EXPECT_TRUE(Sent().isEmpty());
    EXPECT_EQ(Ini().ReadString("Preferences", "Standard", ""), "changed");
  }
  EXPECT_TRUE(messages.empty());
}

// The start-up against an instrument: the stored standard is selected, but its chamber set
// point is not sent (an unknown text leaves the group alone).
TEST_F(SetupWindow, StartupSelectsTheStandardWithoutSendingIt) {
  CreateSettingsFileIfMissing(form.Session.SettingsFile(), dir.path());
  for (const char *stored : {"ASTM", "astm"}) {
    SCOPED_TRACE(stored);
    FakeInstrument fid;
    Ini().WriteString("Language", "Code", "US");
    Ini().WriteString("Communication", "ComPortA", fid.Path());
    Ini().WriteString("Communication", "ComPortB", dir.filePath("missing-b"));
    Ini().WriteString("Preferences", "Standard", stored);
    TForm1 window;
    window.Session.ProgramDirOverride = dir.path();
    window.Session.DiagLog.SetEchoToStderr(false);
    Child<TRadioGroup>(window, "rgStandard")->SetItemIndex(-1);
    window.FormCreate();
    ASSERT_FALSE(window.TerminateRequested);
    EXPECT_EQ(Child<TRadioGroup>(window, "rgStandard")->ItemIndex(), QString(stored) == "ASTM" ? 0 : -1);
    for (int i = 0; i < 3; ++i) Clock::WaitProcessingEvents(10);
    const QStringList sent = fid.Lines + TakeQueued(window);
    EXPECT_TRUE(sent.filter("<SS").isEmpty()) << sent.join(' ').toStdString();
  }
}

}  // namespace
