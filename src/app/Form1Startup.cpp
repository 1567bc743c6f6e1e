// Start-up and shutdown of the main window.
#include <qcustomplot.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <stdexcept>

#include "app/Zelvo730_Main.h"
#include "core/Clock.h"
#include "core/Errors.h"
#include "core/IniFile.h"
#include "core/Language.h"
#include "core/NumberText.h"
#include "core/Settings.h"
#include "core/TextFile.h"
#include "core/Utils.h"
#include "link/ComPort.h"
#include "link/Protocol.h"
#include "link/StatusReplies.h"
#include "run/CellEvaluation.h"
#include "setup/FactorFields.h"
#include "setup/FieldNumbers.h"
#include "setup/RunParameters.h"
#include "setup/SubstanceLists.h"
#include "setup/TestStandard.h"
#include "ui/Dialogs.h"
#include "ui/TZeLed.h"
#include "ui/Widgets.h"

using namespace zelvo;

void TForm1::FormCreate() {
  try {
    StartUp();
  } catch (const std::exception &e) {
    // Any other error ends the start-up sequence where it happened; the window is then shown
    // as far as it was set up.
    Dialogs::Error(this, windowTitle(), QString::fromUtf8(e.what()));
  }
  ReportSettingsProblems();
}

void TForm1::FormClose() {
  if (Timer1) Timer1->stop();
  Session.CommandQueue.clear();
  Session.ReplyQueue.clear();
  Session.DataQueue1.clear();
  Session.DataQueue2.clear();
}

void TForm1::EndProgram(const QString &message) {
  Dialogs::Information(this, windowTitle(), message);
  ExitCode = 1;
  RequestTerminate();
}

void TForm1::ReportSettingsProblems() {
  if (Session.SettingsProblems.isEmpty()) return;
  Dialogs::Warning(this, windowTitle(), Session.SettingsFile() + QStringLiteral(":\n") + Session.SettingsProblems.join('\n'));
  Session.SettingsProblems.clear();
}

void TForm1::StartUp() {
  if (Serie3) Serie3->setVisible(false);
  setWindowTitle(QStringLiteral("ZELVO730-PC-FLOW-EPC ") + VersionText());

  ReadStartupSettings();
  ShowStartupSettings();
  SetupChartAxes();

  Session.Status.Clear();  // the placeholders until the first status reply
  ShowStatusLabels();
  btnStop->setEnabled(false);
  btnStart->setEnabled(false);
  for (TZLed *led : {ledSmpOff1, ledSmpOff2, ledSmpOff3}) led->SetLedOn(false);

  LoadSubstanceLists();
  if (!Session.StartUp()) return;
  SetupDetectorControls();

  ledPower->SetLedOn(true);
  btnStart->setEnabled(true);
  statusbarRun->SetText(GetLangString(Session.ID, kTextNoMeasurement));
  Timer1->start();
}

// The settings file (created with its creation values when missing), the language, and every
// value the program keeps in a field. Keys and defaults are those of the settings table.
void TForm1::ReadStartupSettings() { Session.ReadSettings(); }

// The captions in the chosen language and the values read at start-up in their fields, with
// the settings that live only in their controls: the test standard (selected without running
// its change handler) and the sample information. Then the factors and flows.
void TForm1::ShowStartupSettings() {
  const TIniFile ini = Session.Settings();
  lblLocalChar->setText(LocalCharCaption(Session.ChDeciSep));
  SetLangCaptions(Session.ID);

  editIsobutan->setText(CalPpmText(Session.Run.FIDCALMenge));
  editSulfur->setText(CalPpmText(Session.Run.FPDCalMenge));
  ShowCalibrationState();

  // Selected without running the change handler; an unknown text leaves the group alone.
  const int standard = StandardItemForSetting(ReadSettingText(ini, "Preferences", "Standard"));
  if (standard >= 0) rgStandard->SetItemIndex(standard);

  edH2->setText(QString::number(Session.Setpoints.iH2Set));
  edAir->setText(QString::number(Session.Setpoints.iAirSet));
  edCarrier->setText(QString::number(Session.Setpoints.iCarrierSet));
  editStartdelay->setText(Session.Measurement.Startdelay);
  lblDelay->setText(Session.Measurement.Startdelay);
  editVentilblock->setText(QString::number(Session.Setpoints.TempVentilblock));
  editMesskammer->setText(QString::number(Session.Setpoints.TempMesskammer));
  editEmmision->setText(QString::number(Session.Setpoints.TempEmissionskammer));
  editTransfer->setText(QString::number(Session.Setpoints.TempTransferline));
  editHvoltage->setText(QString::number(Session.Setpoints.Hochspannung));
  editFPDAir->setText(QString::number(Session.Setpoints.AirFPD));
  editFPDH2->setText(QString::number(Session.Setpoints.H2FPD));

  editInfo1->setText(Session.Measurement.sInfo1);
  editInfo2->setText(Session.Measurement.sInfo2);
  editInfo3->setText(Session.Measurement.sInfo3);

  editStart->setText(QString::number(Session.Run.Startzelle));
  editAnzahl->setText(QString::number(Session.Run.AnzahlZellen));
  editMesszeit->setText(QString::number(Session.Run.Messzeit));
  editZyklen->setText(QString::number(Session.Run.AnzahlMessreihen));
  editLimitFID->setText(LimitText(Session.Run.LimitFID));
  editLimitFPD->setText(LimitText(Session.Run.LimitFPD));
  editScale->setText(QString::number(Session.Measurement.Scale));
  editScaleMin->setText(QString::number(Session.Measurement.ScaleMin));

  Session.LoadFactorsAndFlows();
}

// An FPD is switched off and its controls enabled; an FID alone gets its FPD controls
// disabled and nothing is sent.
void TForm1::SetupDetectorControls() {
  if (Session.DeviceTyp == TDeviceTyp::FPD || Session.DeviceTyp == TDeviceTyp::FIDFPD) {
    btnIgnition->setEnabled(true);
    for (QPushButton *b : {btnEmissionAn, btnTransferAn, btnHVoltageAn, btnFPDH2An, btnFPDAirAN})
      SetToggle(b, false, true);
    return;
  }
  btnIgnition->setEnabled(false);
  for (QPushButton *b : {btnEmissionAn, btnTransferAn, btnHVoltageAn, btnFPDH2An, btnFPDAirAN}) {
    b->setEnabled(false);
    b->setChecked(false);
  }
}


// The flow displays shown or hidden with the flow sensor.
void TForm1::ShowFlowSensor(bool fitted) {
  if (fitted) {
    lblFlowVal->setText(Session.sFlowVal);
    lblFlowValTab1->setText(Session.sFlowVal);
    return;
  }
  for (QCheckBox *cb : {cbAutoflow1, cbAutoflow2, cbAutoflow3}) {
    cb->setChecked(false);
    cb->setVisible(false);
  }
  for (TLabel *l : {lblFlowVal, lblFlowDim, lblFlowValTab1, lblFlowDimTab1}) l->setVisible(false);
}






QString TForm1::FlowText(double v) const { return zelvo::FlowText(v); }
QString TForm1::FactorText(double v) const { return zelvo::FactorText(v); }

// The factor and flow fields as the session loaded them: texts and substance names.
void TForm1::ShowFactorFields() {
  for (const TFactorFieldDef &fieldDef : FactorFieldDefs()) {
    const TFactorFieldInput &in = Session.Fields.Factors[static_cast<int>(fieldDef.Id)];
    auto *edit = findChild<QLineEdit *>(QString::fromLatin1(fieldDef.Field));
    edit->setText(in.Text);
    if (auto *labeled = qobject_cast<TLabeledEdit *>(edit)) labeled->EditLabel()->setText(in.Name);
  }
}

// Green when a calibration area counts as one (the evaluation's thresholds), salmon otherwise.
void TForm1::ShowCalibrationState() {
  auto paint = [](QLineEdit *e, bool calibrated) {
    const QColor c = calibrated ? QColor(125, 198, 117) : QColor(254, 169, 148);
    e->setStyleSheet(QStringLiteral("QLineEdit { background-color: %1; }").arg(c.name()));
  };
  paint(editIsobutan, FidCalibrated(Session.Measurement.FIDCalArea));
  paint(editSulfur, FpdCalibrated(Session.Measurement.FPDCalArea));
}

// One line of the port list: the port's name and what answered on it.
void TForm1::SetConnectionItem(int index, const QString &text, bool checked) {
  while (clBoxConnection->count() <= index) clBoxConnection->AddItem(QString());
  clBoxConnection->SetItemText(index, text);
  clBoxConnection->SetChecked(index, checked);
}

// Chart limits and titles from the settings and the language.
void TForm1::SetupChartAxes() {
  Chart1->xAxis->setRange(0, Session.Run.Messzeit);
  Chart1->yAxis->setRange(Session.Measurement.ScaleMin, Session.Measurement.Scale);
  Chart1->yAxis->setLabel(GetLangString(Session.ID, kTextMicrovolt));
  Series1->setName(GetLangString(Session.ID, kTextFidChannel));
  Series2->setName(GetLangString(Session.ID, kTextFpdChannel));
  Chart1Title->setText(GetLangString(Session.ID, kTextChartTitle));
  Chart1->replot();
}

// The two substance lists from their files beside the program. A missing or unreadable
// list keeps the control's start content; the operator is told, and the start-up goes on
// (the ports and the tick must not depend on a list of factors). Only a list that was read,
// or whose file was absent, is ever saved over its file.
void TForm1::LoadSubstanceLists() {
  struct ListOf {
    TValueListEditor *control;
    TSubstanceList list;
    TListFileState &state;
    QList<TSubstance> &shown;
  };
  for (ListOf l : {ListOf{ValueListEditor1, TSubstanceList::CH, ListState1, ListShown1},
                   ListOf{ValueListEditor2, TSubstanceList::S, ListState2, ListShown2}}) {
    const TSubstanceListLoad load = LoadSubstanceList(Session.ProgramDir(), l.list, Session.ID);
    l.state = load.State;
    l.shown = load.Entries;
    l.control->SetStrings(SubstanceLines(load.Entries));
    Session.SettingsProblems << load.Problems;
  }
}
