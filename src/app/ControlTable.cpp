// The window's controls, one row each: name, kind, parent, place, Tag, font, design caption,
// handlers, the sibling it overlaps on purpose, flags. Places are left, top, width, height
// relative to the containing page or group. A few controls are wider or moved a little from
// the window description so that no caption of either language is clipped in our font
// (marked below).
#include "app/ControlTable.h"

#include <qcustomplot.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <type_traits>

#include "app/Zelvo730_Main.h"
#include "core/Language.h"
#include "ui/PermeationChart.h"
#include "ui/TZeLed.h"
#include "ui/Widgets.h"

using namespace zelvo;

namespace {

// The member a row's control goes into, whatever its type.
template <auto Member>
void StoreIn(TForm1 &form, QWidget *w) {
  using T = std::remove_pointer_t<std::remove_reference_t<decltype(form.*Member)>>;
  form.*Member = qobject_cast<T *>(w);
}

template <auto Member>
QWidget *StoredIn(const TForm1 &form) {
  return form.*Member;
}

constexpr TFontStyle kGroupFont{9, true};  // a group's caption; every child sets its own font
constexpr TFontStyle kSmall{10, false};
constexpr TFontStyle kHeading{13, true};
constexpr TFontStyle kBig{16, true};
constexpr TFontStyle kHuge{19, true};

}  // namespace

// A row's name, and the member it fills: one identifier, so they cannot differ.
#define CONTROL(member) #member, &StoreIn < &TForm1::member>, &StoredIn < &TForm1::member>

std::span<const TControlRow> TForm1::ControlTable() {
  using enum TControlKind;
  using F = TForm1;
  // clang-format off
  static const TControlRow kRows[] = {
      // ------------------------------------------------------------ client area
      {CONTROL(Chart1), Chart, "ClientArea", {8, 8, 977, 457}, 0, {11, false}, nullptr, nullptr, nullptr,
       nullptr, "PageControl"},
      // The permeation view takes the chart's place down to the tab area when the switch says so.
      {CONTROL(PermeationPanel), Permeation, "ClientArea", {8, 8, 977, 437}, 0, {11, false}, nullptr, nullptr,
       nullptr, nullptr, "Chart1"},
      {CONTROL(lblLinkLost), Banner, "ClientArea", {8, 8, 977, 26}, 0, {11, false}, nullptr, nullptr,
       nullptr, nullptr, "Chart1 PermeationPanel"},
      // Top right of the chart area, over the charts' title row (not in the window description).
      {CONTROL(ChartSwitch), ViewSwitch, "ClientArea", {785, 10, 190, 24}, 0, {11, false}, nullptr, nullptr,
       nullptr, nullptr, "Chart1 PermeationPanel lblLinkLost"},
      {CONTROL(PageControl), Tabs, "ClientArea", {0, 445, 977, 204}, 0, {11, false}, nullptr, nullptr,
       &F::PageControlExit, nullptr, "Chart1"},
      {CONTROL(tabStatus), Page, "PageControl", {}, 6},
      {CONTROL(tabSettings), Page, "PageControl", {}, 12, {11, false}, nullptr, nullptr, nullptr, nullptr,
       nullptr, kWhite},
      {CONTROL(tabFaktoren), Page, "PageControl", {}, 95, {11, false}, nullptr, nullptr, &F::tabFaktorenExit},
      {CONTROL(tabSampleInfo), Page, "PageControl", {}, 96},

      // ------------------------------------------------------------ page tabStatus
      {CONTROL(lblStart), Label, "tabStatus", {3, 5, 36, 15}, 1},
      {CONTROL(lblAnzahl), Label, "tabStatus", {3, 30, 44, 15}, 2},
      {CONTROL(lblMesszeit), Label, "tabStatus", {3, 132, 53, 15}, 3},
      {CONTROL(lblZyklen), Label, "tabStatus", {3, 55, 43, 15}, 4},
      {CONTROL(lblLimitFID), Label, "tabStatus", {3, 81, 50, 15}, 5},
      {CONTROL(lblStartrun), Label, "tabStatus", {521, 97, 52, 15}},
      {CONTROL(lblRunToBreak1), Label, "tabStatus", {521, 18, 76, 15}, 39},
      {CONTROL(lblRunToBreak2), Label, "tabStatus", {521, 40, 76, 15}, 39},
      {CONTROL(lblRunToBreak3), Label, "tabStatus", {521, 62, 76, 15}, 39},
      {CONTROL(lblLimitFPD), Label, "tabStatus", {3, 106, 52, 15}, 47},
      {CONTROL(lblRuntime), Label, "tabStatus", {361, 127, 107, 25}, 98, kHuge},
      {CONTROL(lblInfoSample1), Label, "tabStatus", {595, 18, 72, 15}},
      {CONTROL(lblInfoSample3), Label, "tabStatus", {595, 61, 72, 15}},
      {CONTROL(lblInfoSample2), Label, "tabStatus", {595, 40, 72, 15}},
      // The flow's value and its unit: the value is right of the unit's left edge until it is set.
      {CONTROL(lblFlowVal), Label, "tabStatus", {545, 127, 96, 25}, 0, kHuge, nullptr, nullptr, nullptr,
       nullptr, "lblFlowDim"},
      {CONTROL(lblFlowDim), Label, "tabStatus", {594, 127, 73, 25}, 0, kHuge, "ml/min"},
      {CONTROL(editStart), Edit, "tabStatus", {112, 3, 50, 21}, 0, {11, false}, nullptr, nullptr,
       &F::UpdateStartzelle},
      {CONTROL(editAnzahl), Edit, "tabStatus", {112, 28, 50, 21}, 0, {11, false}, nullptr, nullptr,
       &F::UpdateAnzahlZellen},
      {CONTROL(editMesszeit), Edit, "tabStatus", {112, 129, 50, 21}, 0, {11, false}, nullptr, nullptr,
       &F::UpdateMesszeit},
      {CONTROL(editZyklen), Edit, "tabStatus", {112, 53, 50, 21}, 0, {11, false}, nullptr, nullptr,
       &F::UpdateAnzahlMessreihen},
      {CONTROL(editLimitFID), Edit, "tabStatus", {112, 78, 50, 21}, 0, {11, false}, nullptr, nullptr,
       &F::UpdateDurchbruchschwelle},
      {CONTROL(groupStatus), Group, "tabStatus", {272, 5, 243, 110}, 40, kGroupFont},
      {CONTROL(btnStart), Button, "tabStatus", {181, 128, 75, 24}, 29, {11, false}, nullptr, &F::btnStartClick},
      {CONTROL(btnStop), Button, "tabStatus", {272, 127, 75, 24}, 30, {11, false}, nullptr, &F::btnStopClick},
      {CONTROL(editLimitFPD), Edit, "tabStatus", {112, 103, 50, 21}, 0, {11, false}, nullptr, nullptr,
       &F::editLimitFPDExit},
      {CONTROL(groupCalib), Group, "tabStatus", {696, 5, 270, 154}, 52, kGroupFont},
      {CONTROL(groupDelay), Group, "tabStatus", {170, 5, 95, 108}, 97, kGroupFont},

      {CONTROL(ledZero), Led, "groupStatus", {8, 12, 60, 17}, 31},
      {CONTROL(ledPower), Led, "groupStatus", {77, 34, 50, 17}, 37},
      {CONTROL(ledCalgas), Led, "groupStatus", {8, 34, 60, 17}, 32},
      {CONTROL(ledCalcell), Led, "groupStatus", {8, 56, 60, 17}, 33},
      {CONTROL(ledSample1), Led, "groupStatus", {136, 12, 60, 17}, 34},
      {CONTROL(ledSample2), Led, "groupStatus", {136, 34, 60, 17}, 35},
      {CONTROL(ledSample3), Led, "groupStatus", {136, 56, 60, 17}, 36},
      {CONTROL(ledLoop), Led, "groupStatus", {77, 57, 50, 17}, 38, {11, false}, nullptr, &F::ledLoopClick,
       nullptr, nullptr, nullptr, kLedYellow},
      {CONTROL(ledSmpOff1), Led, "groupStatus", {203, 12, 30, 17}, 26, {11, false}, nullptr, nullptr,
       nullptr, nullptr, nullptr, kLedRed},
      {CONTROL(ledSmpOff2), Led, "groupStatus", {203, 34, 30, 17}, 26, {11, false}, nullptr, nullptr,
       nullptr, nullptr, nullptr, kLedRed},
      {CONTROL(ledSmpOff3), Led, "groupStatus", {203, 56, 30, 17}, 26, {11, false}, nullptr, nullptr,
       nullptr, nullptr, nullptr, kLedRed},
      {CONTROL(statusbarRun), StatusBar, "groupStatus", {2, 89, 239, 19}},

      {CONTROL(lblFIDCalInfo), Label, "groupCalib", {3, 18, 74, 15}, 7},
      {CONTROL(lblFPDCALInfo), Label, "groupCalib", {143, 19, 80, 15}, 8, {11, false}, nullptr, nullptr,
       nullptr, nullptr, "editSulfur"},  // its lowest pixel row
      {CONTROL(lblFIDCalFactor), Label, "groupCalib", {56, 37, 75, 15}},
      {CONTROL(lblFPDCalFactor), Label, "groupCalib", {195, 37, 77, 15}},
      {CONTROL(lblFIDMenge), Label, "groupCalib", {3, 130, 72, 15}, 45},
      {CONTROL(lblFPDMenge), Label, "groupCalib", {143, 130, 74, 15}, 45},
      {CONTROL(lblFIDInfo), Label, "groupCalib", {3, 107, 49, 15}, 119},
      {CONTROL(lblFPDInfo), Label, "groupCalib", {143, 107, 51, 15}, 119},
      {CONTROL(LMDTechnicalLine1), Line, "groupCalib", {3, 75, 264, 25}},
      {CONTROL(chkboxIsobutanCalib), Check, "groupCalib", {3, 57, 86, 17}, 44},  // 78 clips "Kalibrierung"
      {CONTROL(editIsobutan), Edit, "groupCalib", {3, 33, 50, 21}, 0, {11, false}, nullptr, nullptr,
       &F::UpdateMengeIsobuthan},
      {CONTROL(editSulfur), Edit, "groupCalib", {143, 33, 50, 21}, 0, {11, false}, nullptr, nullptr,
       &F::UpdateMengeSulfur},
      {CONTROL(chkboxSulfurCalib), Check, "groupCalib", {143, 58, 105, 17}, 44},

      {CONTROL(lblDelay), Label, "groupDelay", {18, 77, 61, 25}},
      {CONTROL(btnDelay), Button, "groupDelay", {11, 46, 75, 25}, 87, {11, false}, nullptr, &F::btnDelayClick},
      {CONTROL(editStartdelay), Edit, "groupDelay", {11, 18, 75, 25}, 0, {11, false}, nullptr, nullptr,
       &F::editStartdelayExit},

      // ------------------------------------------------------------ page tabSettings
      {CONTROL(lblFlowValTab1), Label, "tabSettings", {585, 149, 81, 21}, 0, kBig, nullptr, nullptr, nullptr,
       nullptr, "lblFlowDimTab1"},
      {CONTROL(lblFlowDimTab1), Label, "tabSettings", {629, 149, 61, 21}, 0, kBig, "ml/min"},
      {CONTROL(LMDMemo1), Memo, "tabSettings", {696, 3, 121, 138}, 0, {11, false}, nullptr, &F::LMDMemo1Change},
      {CONTROL(LMDEdit1), Edit, "tabSettings", {866, 138, 100, 21}},
      {CONTROL(ServiceButton), Button, "tabSettings", {866, 107, 100, 25}, 0, {11, false}, "Service",
       &F::ServiceButtonClick},
      {CONTROL(groupboxVentilblock), Group, "tabSettings", {3, 3, 170, 40}, 13, kGroupFont},
      {CONTROL(groupboxMesskammer), Group, "tabSettings", {3, 43, 170, 40}, 14, kGroupFont},
      {CONTROL(groupFPD), Group, "tabSettings", {178, 98, 170, 39}, 15, kGroupFont, nullptr, nullptr,
       nullptr, nullptr, "groupTransferline"},  // one frame line shared
      {CONTROL(groupTransferline), Group, "tabSettings", {178, 136, 170, 36}, 16, kGroupFont},
      {CONTROL(groupGas), Group, "tabSettings", {178, 3, 170, 57}, 19, kGroupFont},
      {CONTROL(groupHVoltage), Group, "tabSettings", {178, 60, 170, 37}, 17, kGroupFont},
      {CONTROL(LMDGroupBox2), Group, "tabSettings", {638, 1, 50, 140}, 41, kGroupFont},
      {CONTROL(LMDGroupBox3), Group, "tabSettings", {580, 1, 50, 140}, 42, kGroupFont},
      {CONTROL(rgStandard), Radio, "tabSettings", {3, 93, 149, 61}, 11, {11, false}, nullptr, &F::rgStandardClick},
      {CONTROL(clBoxConnection), Ports, "tabSettings", {428, 139, 146, 34}, 0, {11, false}, "COM Ports"},
      {CONTROL(groupView), Group, "tabSettings", {357, 3, 217, 108}, 56, kGroupFont},
      {CONTROL(groupGases), Group, "tabSettings", {823, 5, 141, 96}, 125, kGroupFont},
      {CONTROL(btnIgnition), Button, "tabSettings", {357, 148, 65, 25}, 127, {11, false}, nullptr,
       &F::btnIgnitionClick, nullptr, nullptr, nullptr, kDisabled},
      {CONTROL(LedLoopTab1), Led, "tabSettings", {725, 153, 50, 17}, 38, {11, false}, nullptr,
       &F::ledLoopClick, nullptr, nullptr, nullptr, kLedYellow},

      // Set points: actual value, on/off toggle, set point, Set button. The actual value's
      // design width reaches under the set point's field until its first value sizes it.
      {CONTROL(lblVentilblock), Label, "groupboxVentilblock", {0, 16, 77, 15}, 0, {11, false}, nullptr,
       nullptr, nullptr, nullptr, "editVentilblock"},
      {CONTROL(btnVentilblockAn), Toggle, "groupboxVentilblock", {149, 14, 20, 20}, 23, {11, false}, nullptr,
       &F::btnVentilblockAnClick, nullptr, nullptr, nullptr, kDisabled},
      {CONTROL(editVentilblock), Edit, "groupboxVentilblock", {71, 14, 50, 20}},
      {CONTROL(btnVentilblockSet), Button, "groupboxVentilblock", {125, 14, 20, 20}, 22, {11, false},
       nullptr, &F::btnVentilBlockSetClick},
      {CONTROL(lblMesskammer), Label, "groupboxMesskammer", {3, 19, 92, 15}, 0, {11, false}, nullptr,
       nullptr, nullptr, nullptr, "editMesskammer"},
      {CONTROL(btnMesskammerAn), Toggle, "groupboxMesskammer", {149, 14, 20, 20}, 23, {11, false}, nullptr,
       &F::btnMesskammerAnClick, nullptr, nullptr, nullptr, kDisabled},
      {CONTROL(editMesskammer), Edit, "groupboxMesskammer", {71, 14, 50, 20}},
      {CONTROL(btnMesskammerSet), Button, "groupboxMesskammer", {125, 14, 20, 20}, 22, {11, false}, nullptr,
       &F::btnMesskammerSetClick},
      {CONTROL(lblEmmision), Label, "groupFPD", {9, 16, 69, 15}, 0, {11, false}, nullptr, nullptr, nullptr,
       nullptr, "editEmmision"},
      {CONTROL(btnEmissionAn), Toggle, "groupFPD", {149, 13, 20, 20}, 23, {11, false}, nullptr,
       &F::btnEmissionAnClick},
      {CONTROL(editEmmision), Edit, "groupFPD", {71, 12, 50, 20}},
      {CONTROL(btnEmissionSet), Button, "groupFPD", {125, 13, 20, 20}, 22, {11, false}, nullptr,
       &F::btnEmissionSetClick},
      {CONTROL(lblTransfer), Label, "groupTransferline", {9, 18, 63, 15}, 0, {11, false}, nullptr, nullptr,
       nullptr, nullptr, "editTransfer"},
      {CONTROL(btnTransferAn), Toggle, "groupTransferline", {149, 14, 20, 20}, 23, {11, false}, nullptr,
       &F::btnTransferAnClick},
      {CONTROL(editTransfer), Edit, "groupTransferline", {71, 14, 50, 20}},
      {CONTROL(btnTransferSet), Button, "groupTransferline", {125, 14, 20, 20}, 22, {11, false}, nullptr,
       &F::btnTransferSetClick},

      // A smaller face: value and unit before the field.
      {CONTROL(lblFPDH2), Label, "groupGas", {7, 17, 51, 15}, 122, kSmall},
      {CONTROL(lblFPDAir), Label, "groupGas", {8, 38, 52, 15}, 123, kSmall},
      {CONTROL(btnFPDH2An), Toggle, "groupGas", {146, 11, 23, 20}, 23, {11, false}, nullptr, &F::btnFPDH2AnClick},
      {CONTROL(btnFPDAirAN), Toggle, "groupGas", {146, 32, 23, 20}, 23, {11, false}, nullptr, &F::btnFPDAirANClick},
      {CONTROL(editFPDH2), Edit, "groupGas", {69, 11, 50, 20}},
      {CONTROL(editFPDAir), Edit, "groupGas", {69, 32, 50, 20}},
      {CONTROL(btnFPDH2Set), Button, "groupGas", {123, 11, 20, 20}, 22, {11, false}, nullptr, &F::btnFPDH2SetClick},
      {CONTROL(btnFPDAirSet), Button, "groupGas", {123, 32, 20, 20}, 22, {11, false}, nullptr, &F::btnFPDAirSetClick},

      {CONTROL(lblHVoltage), Label, "groupHVoltage", {9, 20, 66, 15}, 0, {11, false}, nullptr, nullptr,
       nullptr, nullptr, "editHvoltage"},
      {CONTROL(btnHVoltageAn), Toggle, "groupHVoltage", {149, 16, 20, 20}, 23, {11, false}, nullptr,
       &F::btnHVoltageAnClick},
      {CONTROL(editHvoltage), Edit, "groupHVoltage", {71, 16, 50, 20}},
      {CONTROL(btnHVoltageSet), Button, "groupHVoltage", {125, 16, 20, 20}, 22, {11, false}, nullptr,
       &F::btnHVoltageSetClick},

      // Valve lamps: bank 1 ("V11".."V16") and bank 2 ("V17", "V2".."V6").
      {CONTROL(ledV1_0), Led, "LMDGroupBox2", {13, 15, 25, 17}, 0, {11, false}, "V11", &F::ledV1_0Click},
      {CONTROL(ledV1_1), Led, "LMDGroupBox2", {13, 34, 25, 17}, 0, {11, false}, "V12", &F::ledV1_1Click},
      {CONTROL(ledV1_2), Led, "LMDGroupBox2", {13, 54, 25, 17}, 0, {11, false}, "V13", &F::ledV1_2Click},
      {CONTROL(ledV1_3), Led, "LMDGroupBox2", {13, 75, 25, 17}, 0, {11, false}, "V14", &F::ledV1_3Click},
      {CONTROL(ledV1_4), Led, "LMDGroupBox2", {13, 95, 25, 17}, 0, {11, false}, "V15", &F::ledV1_4Click},
      {CONTROL(ledV1_5), Led, "LMDGroupBox2", {13, 116, 25, 17}, 0, {11, false}, "V16", &F::ledV1_5Click},
      {CONTROL(ledV2_0), Led, "LMDGroupBox3", {16, 15, 25, 17}, 0, {11, false}, "V17", &F::ledV2_0Click},
      {CONTROL(ledV2_1), Led, "LMDGroupBox3", {16, 34, 25, 17}, 0, {11, false}, "V2", &F::ledV2_1Click},
      {CONTROL(ledV2_2), Led, "LMDGroupBox3", {16, 54, 25, 17}, 0, {11, false}, "V3", &F::ledV2_2Click},
      {CONTROL(ledV2_3), Led, "LMDGroupBox3", {16, 75, 25, 17}, 0, {11, false}, "V4", &F::ledV2_3Click},
      {CONTROL(ledV2_4), Led, "LMDGroupBox3", {16, 95, 25, 17}, 0, {11, false}, "V5", &F::ledV2_4Click},
      {CONTROL(ledV2_5), Led, "LMDGroupBox3", {16, 116, 25, 17}, 0, {11, false}, "V6", &F::ledV2_5Click},

      // The four fields start at 103 (not 99) and are 41 wide (not 45), so that
      // "Skalierung Min µV" and "FPD channel (µV)" are not covered; their right edge stays.
      {CONTROL(lblScale), Label, "groupView", {12, 60, 45, 15}, 43},
      {CONTROL(lblFPDLevel), Label, "groupView", {12, 39, 66, 15}, 54},
      {CONTROL(lblFIDLevel), Label, "groupView", {12, 16, 64, 15}, 53},
      {CONTROL(lblScaleMin), Label, "groupView", {12, 81, 65, 15}, 93},
      {CONTROL(editScale), Edit, "groupView", {103, 58, 41, 17}, 0, {11, false}, nullptr, nullptr, &F::editScaleExit},
      // "Monitoring Off" breaks after "Monitoring".
      {CONTROL(btnMonitor), WrapButton, "groupView", {146, 58, 68, 40}, 55, {11, false}, nullptr,
       &F::btnMonitorClick},
      {CONTROL(editFPDLevel), Edit, "groupView", {103, 35, 41, 17}, 0, {11, false}, nullptr, nullptr,
       nullptr, nullptr, nullptr, kReadOnly},
      {CONTROL(editFIDLevel), Edit, "groupView", {103, 12, 41, 17}, 0, {11, false}, nullptr, nullptr,
       nullptr, nullptr, nullptr, kReadOnly},
      {CONTROL(editScaleMin), Edit, "groupView", {103, 81, 41, 17}, 0, {11, false}, nullptr, nullptr,
       &F::editScaleMinExit},

      // The pressure fields start at 70 (not 61) and are 40 wide (not 45), so that
      // "Proben mbar" / "Carrier mbar" are not covered; their right edge stays.
      {CONTROL(lblH2), Label, "groupGases", {5, 21, 30, 15}, 122},
      {CONTROL(lblAir), Label, "groupGases", {5, 48, 31, 15}, 123},
      {CONTROL(lblCarrier), Label, "groupGases", {5, 73, 54, 15}, 124},
      {CONTROL(edH2), Edit, "groupGases", {70, 13, 40, 20}, 0, {11, false}, nullptr, nullptr, &F::edH2Exit,
       &F::edH2Enter},
      {CONTROL(edAir), Edit, "groupGases", {70, 41, 40, 20}, 0, {11, false}, nullptr, nullptr, &F::edAirExit,
       &F::edAirEnter},
      {CONTROL(edCarrier), Edit, "groupGases", {70, 70, 40, 20}, 0, {11, false}, nullptr, nullptr,
       &F::edCarrierExit, &F::edCarrierEnter},
      {CONTROL(btnSetH2), Button, "groupGases", {112, 12, 20, 20}, 22, {11, false}, nullptr, &F::btnH2SetClick},
      {CONTROL(btnSetAir), Button, "groupGases", {112, 42, 20, 20}, 22, {11, false}, nullptr, &F::btnAirSetClick},
      {CONTROL(btnSetCarrier), Button, "groupGases", {112, 73, 20, 20}, 22, {11, false}, nullptr,
       &F::btnCarrierSetClick},

      // ------------------------------------------------------------ page tabFaktoren
      {CONTROL(ValueListEditor1), List, "tabFaktoren", {0, 3, 240, 167}, 115},
      {CONTROL(ValueListEditor2), List, "tabFaktoren", {727, 3, 240, 167}, 117},
      {CONTROL(groupboxFactors), Group, "tabFaktoren", {246, 3, 475, 156}, 95, kGroupFont},

      {CONTROL(LMDLabel1), Label, "groupboxFactors", {8, 19, 58, 18}, 109, kHeading},
      {CONTROL(LMDLabel2), Label, "groupboxFactors", {412, 19, 61, 18}, 110, kHeading, nullptr, nullptr,
       nullptr, nullptr, nullptr, kAlignRight},
      {CONTROL(LMDTechnicalLine2), Line, "groupboxFactors", {8, 64, 460, 5}},
      {CONTROL(lmdlblFLOW), Label, "groupboxFactors", {213, 19, 73, 18}, 111, kHeading},
      // The factor fields (they take factor drags) with their labels beside them.
      {CONTROL(lbleditFIDCalFact), LabeledEdit, "groupboxFactors", {8, 38, 40, 21}, 0, {11, false}, nullptr,
       nullptr, nullptr, nullptr, nullptr, kLabelRight},
      {CONTROL(lblEditFact1), LabeledEdit, "groupboxFactors", {8, 73, 40, 21}, 0, {11, false}, nullptr,
       nullptr, nullptr, nullptr, nullptr, kLabelRight},
      {CONTROL(lbleditFPDCalFact), LabeledEdit, "groupboxFactors", {428, 38, 40, 21}, 0, {11, false},
       nullptr, nullptr, nullptr, nullptr, nullptr, kLabelLeft},
      {CONTROL(lbleditFPDFact1), LabeledEdit, "groupboxFactors", {428, 73, 40, 21}, 0, {11, false}, nullptr,
       nullptr, nullptr, nullptr, nullptr, kLabelLeft},
      {CONTROL(lblEditFact2), LabeledEdit, "groupboxFactors", {8, 100, 40, 21}, 0, {11, false}, nullptr,
       nullptr, nullptr, nullptr, nullptr, kLabelRight},
      {CONTROL(lblEditFact3), LabeledEdit, "groupboxFactors", {8, 127, 40, 21}, 0, {11, false}, nullptr,
       nullptr, nullptr, nullptr, nullptr, kLabelRight},
      {CONTROL(lblEditFPDFact2), LabeledEdit, "groupboxFactors", {428, 100, 40, 21}, 0, {11, false}, nullptr,
       nullptr, nullptr, nullptr, nullptr, kLabelLeft},
      {CONTROL(lblEditFPDFact3), LabeledEdit, "groupboxFactors", {428, 127, 40, 21}, 0, {11, false}, nullptr,
       nullptr, nullptr, nullptr, nullptr, kLabelLeft},
      {CONTROL(editCalFlow), Edit, "groupboxFactors", {220, 37, 40, 21}},
      {CONTROL(editSampleFlow1), Edit, "groupboxFactors", {220, 71, 40, 21}},
      {CONTROL(editSampleFlow2), Edit, "groupboxFactors", {220, 98, 40, 21}},
      {CONTROL(editSampleFlow3), Edit, "groupboxFactors", {220, 125, 40, 21}},
      // 70 wide instead of 65: "Autoflow" needs it beside the box.
      {CONTROL(cbAutoflow1), Check, "groupboxFactors", {266, 71, 70, 17}, 0, {11, false}, "Autoflow"},
      {CONTROL(cbAutoflow2), Check, "groupboxFactors", {266, 98, 70, 17}, 0, {11, false}, "Autoflow"},
      {CONTROL(cbAutoflow3), Check, "groupboxFactors", {266, 125, 70, 17}, 0, {11, false}, "Autoflow"},

      // ------------------------------------------------------------ page tabSampleInfo
      {CONTROL(lblDateiname), Label, "tabSampleInfo", {94, 109, 5, 15}},
      {CONTROL(lblRawDataName), Label, "tabSampleInfo", {94, 136, 3, 13}},
      {CONTROL(lblLocalChar), Label, "tabSampleInfo", {752, 16, 57, 13}},
      {CONTROL(btnSpeichern), Button, "tabSampleInfo", {5, 104, 80, 25}, 48, {11, false}, nullptr,
       &F::btnSpeichernClick},  // 75 clips "Datei speichern"
      {CONTROL(editInfo1), Edit, "tabSampleInfo", {5, 13, 200, 21}, 0, {11, false}, nullptr, nullptr,
       &F::editInfo1Exit},
      {CONTROL(editInfo2), Edit, "tabSampleInfo", {5, 44, 200, 21}, 0, {11, false}, nullptr, nullptr,
       &F::editInfo2Exit},
      {CONTROL(editInfo3), Edit, "tabSampleInfo", {5, 76, 200, 21}, 0, {11, false}, nullptr, nullptr,
       &F::editInfo3Exit},
      {CONTROL(memoDescription), LabeledMemo, "tabSampleInfo", {229, 15, 492, 85}, 51},
      {CONTROL(btnLaden), Button, "tabSampleInfo", {5, 135, 75, 25}, 0, {11, false}, "btnLaden", &F::btnLadenClick},
      // Beyond the window description: the report button and the name of the last report.
      {CONTROL(btnReport), Button, "tabSampleInfo", {752, 104, 110, 25}, report_text::kButton, {11, false},
       nullptr, &F::btnReportClick},
      {CONTROL(lblReportName), Label, "tabSampleInfo", {752, 136, 3, 13}},
  };
  // clang-format on
  return kRows;
}

#undef CONTROL
