// The main window's controls: name, kind, place, Tag, fonts, LED colours, design captions
// and the timer, right after construction (before start-up and captions).
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include "app/Zelvo730_Main.h"
#include "core/Language.h"
#include "ui/TZeLed.h"
#include "ui/Tag.h"
#include "ui/Widgets.h"

using namespace zelvo;

namespace {

enum Kind {
  Label,
  Edit,
  Group,
  Button,
  Toggle,
  Led,
  Status,
  Line,
  Check,
  Radio,
  Ports,
  List,
  LEdit,
  Memo,
  LMemo
};

bool IsKind(QWidget *w, Kind k) {
  switch (k) {
    case Label:
      return qobject_cast<TLabel *>(w);
    case Edit:
      return qobject_cast<QLineEdit *>(w) && !qobject_cast<TLabeledEdit *>(w);
    case Group:
      return qobject_cast<QGroupBox *>(w) && !qobject_cast<TRadioGroup *>(w);
    case Button:
      return qobject_cast<QPushButton *>(w) && !qobject_cast<TSpeedButton *>(w);
    case Toggle:
      return qobject_cast<TSpeedButton *>(w) && static_cast<QPushButton *>(w)->isCheckable();
    case Led:
      return qobject_cast<TZLed *>(w);
    case Status:
      return qobject_cast<TStatusBar *>(w);
    case Line:
      return qobject_cast<TTechnicalLine *>(w);
    case Check:
      return qobject_cast<QCheckBox *>(w);
    case Radio:
      return qobject_cast<TRadioGroup *>(w);
    case Ports:
      return qobject_cast<TCheckListBox *>(w);
    case List:
      return qobject_cast<TValueListEditor *>(w);
    case LEdit:
      return qobject_cast<TLabeledEdit *>(w);
    case Memo:
      return qobject_cast<QPlainTextEdit *>(w) && !qobject_cast<TLabeledMemo *>(w);
    case LMemo:
      return qobject_cast<TLabeledMemo *>(w);
  }
  return false;
}

struct Place {
  const char *name, *parent;
  Kind kind;
  int l, t, w, h, tag;
};

// The window description, control by control. A few controls are wider or moved a little
// so that no caption of either language is clipped in our font (marked below).
const Place kPlaces[] = {
    // tabStatus
    {"lblStart", "tabStatus", Label, 3, 5, 36, 15, 1},
    {"lblAnzahl", "tabStatus", Label, 3, 30, 44, 15, 2},
    {"lblMesszeit", "tabStatus", Label, 3, 132, 53, 15, 3},
    {"lblZyklen", "tabStatus", Label, 3, 55, 43, 15, 4},
    {"lblLimitFID", "tabStatus", Label, 3, 81, 50, 15, 5},
    {"lblStartrun", "tabStatus", Label, 521, 97, 52, 15, 0},
    {"lblRunToBreak1", "tabStatus", Label, 521, 18, 76, 15, 39},
    {"lblRunToBreak2", "tabStatus", Label, 521, 40, 76, 15, 39},
    {"lblRunToBreak3", "tabStatus", Label, 521, 62, 76, 15, 39},
    {"lblLimitFPD", "tabStatus", Label, 3, 106, 52, 15, 47},
    {"lblRuntime", "tabStatus", Label, 361, 127, 107, 25, 98},
    {"lblInfoSample1", "tabStatus", Label, 595, 18, 72, 15, 0},
    {"lblInfoSample3", "tabStatus", Label, 595, 61, 72, 15, 0},
    {"lblInfoSample2", "tabStatus", Label, 595, 40, 72, 15, 0},
    {"lblFlowVal", "tabStatus", Label, 545, 127, 96, 25, 0},
    {"editStart", "tabStatus", Edit, 112, 3, 50, 21, 0},
    {"editAnzahl", "tabStatus", Edit, 112, 28, 50, 21, 0},
    {"editMesszeit", "tabStatus", Edit, 112, 129, 50, 21, 0},
    {"editZyklen", "tabStatus", Edit, 112, 53, 50, 21, 0},
    {"editLimitFID", "tabStatus", Edit, 112, 78, 50, 21, 0},
    {"groupStatus", "tabStatus", Group, 272, 5, 243, 110, 40},
    {"btnStart", "tabStatus", Button, 181, 128, 75, 24, 29},
    {"btnStop", "tabStatus", Button, 272, 127, 75, 24, 30},
    {"editLimitFPD", "tabStatus", Edit, 112, 103, 50, 21, 0},
    {"groupCalib", "tabStatus", Group, 696, 5, 270, 154, 52},
    {"groupDelay", "tabStatus", Group, 170, 5, 95, 108, 97},
    {"ledZero", "groupStatus", Led, 8, 12, 60, 17, 31},
    {"ledPower", "groupStatus", Led, 77, 34, 50, 17, 37},
    {"ledCalgas", "groupStatus", Led, 8, 34, 60, 17, 32},
    {"ledCalcell", "groupStatus", Led, 8, 56, 60, 17, 33},
    {"ledSample1", "groupStatus", Led, 136, 12, 60, 17, 34},
    {"ledSample2", "groupStatus", Led, 136, 34, 60, 17, 35},
    {"ledSample3", "groupStatus", Led, 136, 56, 60, 17, 36},
    {"ledLoop", "groupStatus", Led, 77, 57, 50, 17, 38},
    {"ledSmpOff1", "groupStatus", Led, 203, 12, 30, 17, 26},
    {"ledSmpOff2", "groupStatus", Led, 203, 34, 30, 17, 26},
    {"ledSmpOff3", "groupStatus", Led, 203, 56, 30, 17, 26},
    {"statusbarRun", "groupStatus", Status, 2, 89, 239, 19, 0},
    {"lblFIDCalInfo", "groupCalib", Label, 3, 18, 74, 15, 7},
    {"lblFPDCALInfo", "groupCalib", Label, 143, 19, 80, 15, 8},
    {"lblFIDCalFactor", "groupCalib", Label, 56, 37, 75, 15, 0},
    {"lblFPDCalFactor", "groupCalib", Label, 195, 37, 77, 15, 0},
    {"lblFIDMenge", "groupCalib", Label, 3, 130, 72, 15, 45},
    {"lblFPDMenge", "groupCalib", Label, 143, 130, 74, 15, 45},
    {"lblFIDInfo", "groupCalib", Label, 3, 107, 49, 15, 119},
    {"lblFPDInfo", "groupCalib", Label, 143, 107, 51, 15, 119},
    {"LMDTechnicalLine1", "groupCalib", Line, 3, 75, 264, 25, 0},
    {"chkboxIsobutanCalib", "groupCalib", Check, 3, 57, 86, 17, 44} /* grown from 78 */,
    {"editIsobutan", "groupCalib", Edit, 3, 33, 50, 21, 0},
    {"editSulfur", "groupCalib", Edit, 143, 33, 50, 21, 0},
    {"chkboxSulfurCalib", "groupCalib", Check, 143, 58, 105, 17, 44},
    {"lblDelay", "groupDelay", Label, 18, 77, 61, 25, 0},
    {"btnDelay", "groupDelay", Button, 11, 46, 75, 25, 87},
    {"editStartdelay", "groupDelay", Edit, 11, 18, 75, 25, 0},
    // tabSettings
    {"lblFlowValTab1", "tabSettings", Label, 585, 149, 81, 21, 0},
    {"LMDMemo1", "tabSettings", Memo, 696, 3, 121, 138, 0},
    {"LMDEdit1", "tabSettings", Edit, 866, 138, 100, 21, 0},
    {"ServiceButton", "tabSettings", Button, 866, 107, 100, 25, 0},
    {"groupboxVentilblock", "tabSettings", Group, 3, 3, 170, 40, 13},
    {"groupboxMesskammer", "tabSettings", Group, 3, 43, 170, 40, 14},
    {"groupFPD", "tabSettings", Group, 178, 98, 170, 39, 15},
    {"groupTransferline", "tabSettings", Group, 178, 136, 170, 36, 16},
    {"groupGas", "tabSettings", Group, 178, 3, 170, 57, 19},
    {"groupHVoltage", "tabSettings", Group, 178, 60, 170, 37, 17},
    {"LMDGroupBox2", "tabSettings", Group, 638, 1, 50, 140, 41},
    {"LMDGroupBox3", "tabSettings", Group, 580, 1, 50, 140, 42},
    {"rgStandard", "tabSettings", Radio, 3, 93, 149, 61, 11},
    {"clBoxConnection", "tabSettings", Ports, 428, 139, 146, 34, 0},
    {"groupView", "tabSettings", Group, 357, 3, 217, 108, 56},
    {"groupGases", "tabSettings", Group, 823, 5, 141, 96, 125},
    {"btnIgnition", "tabSettings", Button, 357, 148, 65, 25, 127},
    {"LedLoopTab1", "tabSettings", Led, 725, 153, 50, 17, 38},
    {"lblVentilblock", "groupboxVentilblock", Label, 0, 16, 77, 15, 0},
    {"btnVentilblockAn", "groupboxVentilblock", Toggle, 149, 14, 20, 20, 23},
    {"editVentilblock", "groupboxVentilblock", Edit, 71, 14, 50, 20, 0},
    {"btnVentilblockSet", "groupboxVentilblock", Button, 125, 14, 20, 20, 22},
    {"lblMesskammer", "groupboxMesskammer", Label, 3, 19, 92, 15, 0},
    {"btnMesskammerAn", "groupboxMesskammer", Toggle, 149, 14, 20, 20, 23},
    {"editMesskammer", "groupboxMesskammer", Edit, 71, 14, 50, 20, 0},
    {"btnMesskammerSet", "groupboxMesskammer", Button, 125, 14, 20, 20, 22},
    {"lblEmmision", "groupFPD", Label, 9, 16, 69, 15, 0},
    {"btnEmissionAn", "groupFPD", Toggle, 149, 13, 20, 20, 23},
    {"editEmmision", "groupFPD", Edit, 71, 12, 50, 20, 0},
    {"btnEmissionSet", "groupFPD", Button, 125, 13, 20, 20, 22},
    {"lblTransfer", "groupTransferline", Label, 9, 18, 63, 15, 0},
    {"btnTransferAn", "groupTransferline", Toggle, 149, 14, 20, 20, 23},
    {"editTransfer", "groupTransferline", Edit, 71, 14, 50, 20, 0},
    {"btnTransferSet", "groupTransferline", Button, 125, 14, 20, 20, 22},
    {"lblFPDH2", "groupGas", Label, 7, 17, 51, 15, 122},
    {"lblFPDAir", "groupGas", Label, 8, 38, 52, 15, 123},
    {"btnFPDH2An", "groupGas", Toggle, 146, 11, 23, 20, 23},
    {"btnFPDAirAN", "groupGas", Toggle, 146, 32, 23, 20, 23},
    {"editFPDH2", "groupGas", Edit, 69, 11, 50, 20, 0},
    {"editFPDAir", "groupGas", Edit, 69, 32, 50, 20, 0},
    {"btnFPDH2Set", "groupGas", Button, 123, 11, 20, 20, 22},
    {"btnFPDAirSet", "groupGas", Button, 123, 32, 20, 20, 22},
    {"lblHVoltage", "groupHVoltage", Label, 9, 20, 66, 15, 0},
    {"btnHVoltageAn", "groupHVoltage", Toggle, 149, 16, 20, 20, 23},
    {"editHvoltage", "groupHVoltage", Edit, 71, 16, 50, 20, 0},
    {"btnHVoltageSet", "groupHVoltage", Button, 125, 16, 20, 20, 22},
    {"ledV1_0", "LMDGroupBox2", Led, 13, 15, 25, 17, 0},
    {"ledV1_1", "LMDGroupBox2", Led, 13, 34, 25, 17, 0},
    {"ledV1_2", "LMDGroupBox2", Led, 13, 54, 25, 17, 0},
    {"ledV1_3", "LMDGroupBox2", Led, 13, 75, 25, 17, 0},
    {"ledV1_4", "LMDGroupBox2", Led, 13, 95, 25, 17, 0},
    {"ledV1_5", "LMDGroupBox2", Led, 13, 116, 25, 17, 0},
    {"ledV2_0", "LMDGroupBox3", Led, 16, 15, 25, 17, 0},
    {"ledV2_1", "LMDGroupBox3", Led, 16, 34, 25, 17, 0},
    {"ledV2_2", "LMDGroupBox3", Led, 16, 54, 25, 17, 0},
    {"ledV2_3", "LMDGroupBox3", Led, 16, 75, 25, 17, 0},
    {"ledV2_4", "LMDGroupBox3", Led, 16, 95, 25, 17, 0},
    {"ledV2_5", "LMDGroupBox3", Led, 16, 116, 25, 17, 0},
    {"lblScale", "groupView", Label, 12, 60, 45, 15, 43},
    {"lblFPDLevel", "groupView", Label, 12, 39, 66, 15, 54},
    {"lblFIDLevel", "groupView", Label, 12, 16, 64, 15, 53},
    {"lblScaleMin", "groupView", Label, 12, 81, 65, 15, 93},
    {"editScale", "groupView", Edit, 103, 58, 41, 17, 0} /* moved from 99, 45 wide */,
    {"btnMonitor", "groupView", Button, 146, 58, 68, 40, 55},
    {"editFPDLevel", "groupView", Edit, 103, 35, 41, 17, 0},
    {"editFIDLevel", "groupView", Edit, 103, 12, 41, 17, 0},
    {"editScaleMin", "groupView", Edit, 103, 81, 41, 17, 0},
    {"lblH2", "groupGases", Label, 5, 21, 30, 15, 122},
    {"lblAir", "groupGases", Label, 5, 48, 31, 15, 123},
    {"lblCarrier", "groupGases", Label, 5, 73, 54, 15, 124},
    {"edH2", "groupGases", Edit, 70, 13, 40, 20, 0} /* moved from 61, 45 wide */,
    {"edAir", "groupGases", Edit, 70, 41, 40, 20, 0},
    {"edCarrier", "groupGases", Edit, 70, 70, 40, 20, 0},
    {"btnSetH2", "groupGases", Button, 112, 12, 20, 20, 22},
    {"btnSetAir", "groupGases", Button, 112, 42, 20, 20, 22},
    {"btnSetCarrier", "groupGases", Button, 112, 73, 20, 20, 22},
    // tabFaktoren
    {"ValueListEditor1", "tabFaktoren", List, 0, 3, 240, 167, 115},
    {"ValueListEditor2", "tabFaktoren", List, 727, 3, 240, 167, 117},
    {"groupboxFactors", "tabFaktoren", Group, 246, 3, 475, 156, 95},
    {"LMDLabel1", "groupboxFactors", Label, 8, 19, 58, 18, 109},
    {"LMDLabel2", "groupboxFactors", Label, 412, 19, 61, 18, 110},
    {"LMDTechnicalLine2", "groupboxFactors", Line, 8, 64, 460, 5, 0},
    {"lmdlblFLOW", "groupboxFactors", Label, 213, 19, 73, 18, 111},
    {"lbleditFIDCalFact", "groupboxFactors", LEdit, 8, 38, 40, 21, 0},
    {"lblEditFact1", "groupboxFactors", LEdit, 8, 73, 40, 21, 0},
    {"lbleditFPDCalFact", "groupboxFactors", LEdit, 428, 38, 40, 21, 0},
    {"lbleditFPDFact1", "groupboxFactors", LEdit, 428, 73, 40, 21, 0},
    {"lblEditFact2", "groupboxFactors", LEdit, 8, 100, 40, 21, 0},
    {"lblEditFact3", "groupboxFactors", LEdit, 8, 127, 40, 21, 0},
    {"lblEditFPDFact2", "groupboxFactors", LEdit, 428, 100, 40, 21, 0},
    {"lblEditFPDFact3", "groupboxFactors", LEdit, 428, 127, 40, 21, 0},
    {"editCalFlow", "groupboxFactors", Edit, 220, 37, 40, 21, 0},
    {"editSampleFlow1", "groupboxFactors", Edit, 220, 71, 40, 21, 0},
    {"editSampleFlow2", "groupboxFactors", Edit, 220, 98, 40, 21, 0},
    {"editSampleFlow3", "groupboxFactors", Edit, 220, 125, 40, 21, 0},
    {"cbAutoflow1", "groupboxFactors", Check, 266, 71, 70, 17, 0} /* grown from 65 */,
    {"cbAutoflow2", "groupboxFactors", Check, 266, 98, 70, 17, 0},
    {"cbAutoflow3", "groupboxFactors", Check, 266, 125, 70, 17, 0},
    // tabSampleInfo
    {"lblDateiname", "tabSampleInfo", Label, 94, 109, 5, 15, 0},
    {"lblRawDataName", "tabSampleInfo", Label, 94, 136, 3, 13, 0},
    {"lblLocalChar", "tabSampleInfo", Label, 752, 16, 57, 13, 0},
    {"btnSpeichern", "tabSampleInfo", Button, 5, 104, 80, 25, 48} /* grown from 75 */,
    {"editInfo1", "tabSampleInfo", Edit, 5, 13, 200, 21, 0},
    {"editInfo2", "tabSampleInfo", Edit, 5, 44, 200, 21, 0},
    {"editInfo3", "tabSampleInfo", Edit, 5, 76, 200, 21, 0},
    {"memoDescription", "tabSampleInfo", LMemo, 229, 15, 492, 85, 51},
    {"btnLaden", "tabSampleInfo", Button, 5, 135, 75, 25, 0},
    {"btnReport", "tabSampleInfo", Button, 752, 104, 110, 25, 129} /* beyond the design: the report */,
    {"lblReportName", "tabSampleInfo", Label, 752, 136, 3, 13, 0} /* and its name */,
};

}  // namespace

TEST(Layout, EveryControlHasItsNameKindPlaceAndTag) {
  TForm1 form;
  for (const Place &p : kPlaces) {
    auto *w = form.findChild<QWidget *>(QLatin1String(p.name));
    ASSERT_TRUE(w) << p.name;
    EXPECT_TRUE(IsKind(w, p.kind)) << p.name << " is a " << w->metaObject()->className();
    ASSERT_TRUE(w->parentWidget()) << p.name;
    EXPECT_EQ(w->parentWidget()->objectName(), QLatin1String(p.parent)) << p.name;
    EXPECT_EQ(w->geometry(), QRect(p.l, p.t, p.w, p.h)) << p.name;
    EXPECT_EQ(TagOf(w), p.tag) << p.name;
    EXPECT_TRUE(w->property("Tag").isValid()) << p.name << " carries no Tag";
  }
  // The flow unit labels have their design caption and so sized themselves to it.
  for (const char *name : {"lblFlowDim", "lblFlowDimTab1"}) {
    auto *l = form.findChild<TLabel *>(QLatin1String(name));
    ASSERT_TRUE(l);
    EXPECT_EQ(l->text(), QStringLiteral("ml/min"));
  }
  EXPECT_EQ(form.findChild<TLabel *>("lblFlowDim")->pos(), QPoint(594, 127));
  EXPECT_EQ(form.findChild<TLabel *>("lblFlowDimTab1")->pos(), QPoint(629, 149));
}

TEST(Layout, WindowChartAndTabArea) {
  TForm1 form;
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Zelvo730_Flow_Epc"));
  EXPECT_EQ(form.centralWidget()->size(), QSize(984, 650));
  EXPECT_EQ(form.Chart1->geometry(), QRect(8, 8, 977, 457));
  EXPECT_EQ(form.PageControl->geometry(), QRect(0, 445, 977, 204));
  EXPECT_EQ(form.PageControl->currentWidget(), form.tabSettings);  // opens on the settings page
  const QList<QWidget *> pages = {form.tabStatus, form.tabSettings, form.tabFaktoren, form.tabSampleInfo};
  const int tags[] = {6, 12, 95, 96};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(form.PageControl->indexOf(pages[i]), i);
    EXPECT_EQ(TagOf(pages[i]), tags[i]);
  }
  EXPECT_EQ(form.tabSettings->palette().color(QPalette::Window), QColor(Qt::white));
  EXPECT_TRUE(form.tabSettings->autoFillBackground());

  // Three graphs in series order; Serie3 hidden; fixed axes; right and top hidden.
  ASSERT_EQ(form.Chart1->graphCount(), 3);
  EXPECT_EQ(form.Chart1->graph(0), form.Series1);
  EXPECT_EQ(form.Chart1->graph(1), form.Series2);
  EXPECT_EQ(form.Chart1->graph(2), form.Serie3);
  EXPECT_EQ(form.Series1->pen().color(), QColor(Qt::red));
  EXPECT_EQ(form.Series2->pen().color(), QColor(Qt::green));
  EXPECT_TRUE(form.Series1->visible());
  EXPECT_TRUE(form.Series2->visible());
  EXPECT_FALSE(form.Serie3->visible());
  EXPECT_EQ(form.Series1->scatterStyle().shape(), QCPScatterStyle::ssNone);
  EXPECT_FALSE(form.Chart1->xAxis2->visible());
  EXPECT_FALSE(form.Chart1->yAxis2->visible());
  EXPECT_EQ(form.Chart1->xAxis->range(), QCPRange(0, 600));
  EXPECT_EQ(form.Chart1->yAxis->range(), QCPRange(-500, 1033.075));
  EXPECT_EQ(form.Chart1Title->text(), QStringLiteral("Messkurve"));
  // Adding points does not move the fixed axes.
  form.Series1->addData(1000, 50000);
  form.Chart1->replot();
  EXPECT_EQ(form.Chart1->xAxis->range(), QCPRange(0, 600));
}

TEST(Layout, LedColoursDesignCaptionsStatesAndTimer) {
  TForm1 form;
  const QHash<QString, TLedColor> colours = {
      {"ledLoop", TLedColor::Yellow}, {"LedLoopTab1", TLedColor::Yellow}, {"ledSmpOff1", TLedColor::Red},
      {"ledSmpOff2", TLedColor::Red}, {"ledSmpOff3", TLedColor::Red},
  };
  const QList<TZLed *> leds = form.findChildren<TZLed *>();
  EXPECT_EQ(leds.size(), 11 + 1 + 12);
  for (TZLed *led : leds) {
    const TLedColor want = colours.value(led->objectName(), TLedColor::Green);
    EXPECT_EQ(led->LedColor(), want) << qPrintable(led->objectName());
    EXPECT_FALSE(led->LedOn());
    EXPECT_EQ(led->Color(), LedShade(want, 128));
    EXPECT_EQ(led->LedFadeSpeed(), 20);
    EXPECT_TRUE(led->LedSmoothFlash());
    EXPECT_EQ(led->LedDelayBeforeFade(), 100);
  }
  const char *valves[12] = {"V11", "V12", "V13", "V14", "V15", "V16", "V17", "V2", "V3", "V4", "V5", "V6"};
  const QList<TZLed *> lamps = {form.ledV1_0, form.ledV1_1, form.ledV1_2, form.ledV1_3,
                                form.ledV1_4, form.ledV1_5, form.ledV2_0, form.ledV2_1,
                                form.ledV2_2, form.ledV2_3, form.ledV2_4, form.ledV2_5};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(lamps[i]->Caption(), QLatin1String(valves[i]));

  EXPECT_EQ(form.ServiceButton->text(), QStringLiteral("Service"));
  EXPECT_EQ(form.btnLaden->text(), QStringLiteral("btnLaden"));
  EXPECT_EQ(form.clBoxConnection->EditLabel()->text(), QStringLiteral("COM Ports"));
  for (QCheckBox *cb : {form.cbAutoflow1, form.cbAutoflow2, form.cbAutoflow3})
    EXPECT_EQ(cb->text(), QStringLiteral("Autoflow"));
  EXPECT_EQ(form.memoDescription->toPlainText(),
            QStringLiteral("Zeile 1\nZeile 2\nZeile 3\nZeile 4\nZeile 5\n"));
  EXPECT_EQ(form.ValueListEditor1->Strings(), QStringList({"Aceton=2,05"}));
  EXPECT_EQ(form.ValueListEditor2->Strings(), QStringList({"THT=1,00"}));
  EXPECT_EQ(form.ValueListEditor1->columnWidth(0), 138);
  EXPECT_EQ(form.ValueListEditor1->columnWidth(1), 96);
  EXPECT_EQ(form.ValueListEditor2->columnWidth(0), 150);
  EXPECT_EQ(form.ValueListEditor2->columnWidth(1), 84);

  // The level displays refuse typing; the operator cannot switch the two heaters.
  EXPECT_TRUE(form.editFIDLevel->isReadOnly());
  EXPECT_TRUE(form.editFPDLevel->isReadOnly());
  EXPECT_FALSE(form.btnVentilblockAn->isEnabled());
  EXPECT_FALSE(form.btnMesskammerAn->isEnabled());
  EXPECT_FALSE(form.btnIgnition->isEnabled());
  for (TSpeedButton *t : form.findChildren<TSpeedButton *>()) EXPECT_TRUE(t->isCheckable());
  EXPECT_EQ(form.findChildren<TSpeedButton *>().size(), 7);

  EXPECT_EQ(form.Timer1->interval(), 95);
  EXPECT_FALSE(form.Timer1->isActive());
  EXPECT_FALSE(form.Timer1->isSingleShot());
}

TEST(Layout, FontsTheDescriptionStates) {
  TForm1 form;
  auto px = [&](const char *name) {
    return form.findChild<QWidget *>(QLatin1String(name))->font().pixelSize();
  };
  auto bold = [&](const char *name) { return form.findChild<QWidget *>(QLatin1String(name))->font().bold(); };
  struct F {
    const char *name;
    int px;
    bool bold;
  } fonts[] = {
      {"lblRuntime", 19, true},     {"lblFlowVal", 19, true},     {"lblFlowDim", 19, true},
      {"lblFlowValTab1", 16, true}, {"lblFlowDimTab1", 16, true}, {"LMDLabel1", 13, true},
      {"LMDLabel2", 13, true},      {"lmdlblFLOW", 13, true},     {"groupStatus", 9, true},
      {"groupboxFactors", 9, true}, {"lblStart", 11, false},      {"ledZero", 11, false},
      {"btnStart", 11, false},      {"editStart", 11, false},     {"btnVentilblockSet", 11, false},
  };
  for (const F &f : fonts) {
    EXPECT_EQ(px(f.name), f.px) << f.name;
    EXPECT_EQ(bold(f.name), f.bold) << f.name;
  }
  // Group boxes are light grey.
  EXPECT_EQ(form.groupStatus->palette().color(QPalette::Window), QColor(227, 227, 227));
}

// A value text set at run time is seen in full: it fits before the control beside it, or it
// is the label's tool tip. The status bar's message is always its tool tip.
TEST(Layout, RunTimeTextsShowInFullOrAsToolTip) {
  TForm1 form;
  for (const int id : {0, 1000}) {
    const struct {
      zelvo::TLabel *label;
      QWidget *next;
      QString text;
    } cases[] = {
        {form.lblFPDAir, form.editFPDAir, "2000 " + zelvo::GetLangString(id, zelvo::kTextAirMbar)},
        {form.lblFPDH2, form.editFPDH2, "2000 " + zelvo::GetLangString(id, zelvo::kTextH2Mbar)},
        {form.lblFPDAir, form.editFPDAir, "0"},
    };
    for (const auto &c : cases) {
      c.label->setText(c.text);
      const bool fits = c.label->geometry().right() < c.next->geometry().left();
      EXPECT_TRUE(fits || c.label->toolTip() == c.text) << c.text.toStdString();
      if (fits) {
        EXPECT_TRUE(c.label->toolTip().isEmpty()) << c.text.toStdString();
      }
    }
  }
  const QString longText = "/dev/serial/by-id/usb-FTDI_FT232R: Input/output error. The connection is lost.";
  form.statusbarRun->SetText(longText);
  EXPECT_EQ(form.statusbarRun->toolTip(), longText);
}
