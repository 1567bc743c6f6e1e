// The window's controls, their places, captions' text numbers (Tag) and wiring.
// Places are left, top, width, height relative to the containing page or group; controls
// are created in the order of the window description, which is also the order of the
// captioning walk.
#include <qcustomplot.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <functional>

#include "app/Zelvo730_Main.h"
#include "results/ReportTexts.h"
#include "ui/TZeLed.h"
#include "ui/Tag.h"
#include "ui/Widgets.h"

using namespace zelvo;

namespace {

// Group boxes: bold 9-pixel caption on the system's 3-D light grey.
const QColor kGroupColor(227, 227, 227);

template <class T, class... A>
T *Make(QWidget *parent, const char *name, int l, int t, int w, int h, int tag = 0, A &&...args) {
  auto *c = new T(parent, std::forward<A>(args)...);
  c->setObjectName(QLatin1String(name));
  c->setFont(UiFont(11));
  c->setGeometry(l, t, w, h);
  SetTag(c, tag);
  return c;
}

TLabel *Label(QWidget *p, const char *name, int l, int t, int w, int h, int tag = 0, int px = 11,
              bool bold = false) {
  auto *c = Make<TLabel>(p, name, l, t, w, h, tag);
  if (px != 11 || bold) c->setFont(UiFont(px, bold));
  return c;
}

QGroupBox *Group(QWidget *p, const char *name, int l, int t, int w, int h, int tag) {
  auto *g = Make<TGroupBox>(p, name, l, t, w, h, tag);
  g->setFont(UiFont(9, true));  // the caption only: every child sets its own font
  g->SetColor(kGroupColor);
  return g;
}

TZLed *Led(QWidget *p, const char *name, int l, int t, int w, int h, int tag, TLedColor color,
           const QString &caption = QString()) {
  auto *led = Make<TZLed>(p, name, l, t, w, h, tag);
  led->SetLedFadeSpeed(20);
  led->SetLedSmoothFlash(true);
  led->SetLedDelayBeforeFade(100);
  led->SetLedColor(color);
  led->SetLedOn(false);
  if (!caption.isEmpty()) led->SetCaption(caption);
  return led;
}

QPushButton *Button(QWidget *p, const char *name, int l, int t, int w, int h, int tag,
                    const QString &caption = {}) {
  auto *b = Make<QPushButton>(p, name, l, t, w, h, tag);
  b->setText(caption);
  b->setAutoDefault(false);
  return b;
}

TSpeedButton *Toggle(QWidget *p, const char *name, int l, int t, int w, int h, int tag) {
  return Make<TSpeedButton>(p, name, l, t, w, h, tag);
}

QLineEdit *Edit(QWidget *p, const char *name, int l, int t, int w, int h) {
  return Make<QLineEdit>(p, name, l, t, w, h);
}

// Calls back whenever the watched widget has been resized.
class TResizeFollower final : public QObject {
 public:
  TResizeFollower(QObject *parent, std::function<void()> onResize)
      : QObject(parent), FOnResize(std::move(onResize)) {}
  bool eventFilter(QObject *, QEvent *event) override {
    if (event->type() == QEvent::Resize) FOnResize();
    return false;
  }

 private:
  std::function<void()> FOnResize;
};

// The client area as designed, and the places of the chart and the tab area in it.
constexpr QSize kClientSize(984, 650);
constexpr QRect kChartPlace(8, 8, 977, 457);
constexpr QRect kPagesPlace(0, 445, 977, 204);

TTabSheet *Page(QTabWidget *tabs, const char *name, int tag) {
  auto *page = new TTabSheet;
  page->setObjectName(QLatin1String(name));
  page->setFont(UiFont(11));
  SetTag(page, tag);
  tabs->addTab(page, QString());
  return page;
}

}  // namespace

// The chart takes every pixel the client area has beyond its designed size; the tab area
// keeps its own size below it, overlapping the chart's lowest pixels as designed.
void TForm1::FollowClientSize(const QSize &size) {
  if (!Chart1 || !PageControl) return;
  const int extraW = std::max(0, size.width() - kClientSize.width());
  const int extraH = std::max(0, size.height() - kClientSize.height());
  Chart1->setGeometry(kChartPlace.adjusted(0, 0, extraW, extraH));
  if (lblLinkLost) lblLinkLost->resize(kChartPlace.width() + extraW, lblLinkLost->height());
  PageControl->setGeometry(kPagesPlace.translated(0, extraH));
}

void TForm1::CreateControls() {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Zelvo730_Flow_Epc"));
  setFont(UiFont(11));
  auto *client = new QWidget(this);
  client->setObjectName(QStringLiteral("ClientArea"));
  setCentralWidget(client);
  // The designed size is the least; a larger window gives its extra room to the chart.
  client->setMinimumSize(kClientSize);
  client->installEventFilter(
      new TResizeFollower(client, [this, client] { FollowClientSize(client->size()); }));
  move(0, 0);

  // ---------------------------------------------------------------- chart
  Chart1 = Make<QCustomPlot>(client, "Chart1", kChartPlace.x(), kChartPlace.y(), kChartPlace.width(),
                             kChartPlace.height());
  Chart1->plotLayout()->insertRow(0);
  Chart1Title = new QCPTextElement(Chart1, QStringLiteral("Messkurve"), UiFont(13, true));
  Chart1->plotLayout()->addElement(0, 0, Chart1Title);
  Chart1->setInteractions(QCP::iRangeDrag);
  Chart1->axisRect()->setRangeDrag(Qt::Horizontal);
  Chart1->xAxis->setRange(0, 600);
  Chart1->yAxis->setRange(-500, 1033.075);
  Chart1->xAxis2->setVisible(false);
  Chart1->yAxis2->setVisible(false);
  Chart1->xAxis->setTickLabelFont(UiFont(11));
  Chart1->yAxis->setTickLabelFont(UiFont(11));
  Chart1->xAxis->setLabelFont(UiFont(11));
  Chart1->yAxis->setLabelFont(UiFont(11));
  Chart1->legend->setVisible(true);
  Chart1->legend->setFont(UiFont(11));
  auto series = [this](const char *name, const QColor &color, bool visible) {
    QCPGraph *g = Chart1->addGraph();
    g->setObjectName(QLatin1String(name));
    g->setName(QLatin1String(name));  // legend text until the start-up names the signals
    g->setPen(QPen(color));
    g->setLineStyle(QCPGraph::lsLine);
    g->setScatterStyle(QCPScatterStyle::ssNone);
    g->setVisible(visible);
    return g;
  };
  Series1 = series("Series1", Qt::red, true);
  Series2 = series("Series2", Qt::green, true);
  Serie3 = series("Serie3", Qt::blue, false);
  Serie3->removeFromLegend();
  SetupChartView();
  // The lost link, across the top of the chart: seen whichever page is open.
  lblLinkLost = Make<QLabel>(client, "lblLinkLost", kChartPlace.x(), kChartPlace.y(), kChartPlace.width(), 26);
  lblLinkLost->setAlignment(Qt::AlignCenter);
  lblLinkLost->setStyleSheet(QStringLiteral("QLabel { background: #c00000; color: white; font-weight: bold; }"));
  lblLinkLost->setWordWrap(false);
  lblLinkLost->hide();

  // ---------------------------------------------------------------- tab area
  PageControl = Make<QTabWidget>(client, "PageControl", kPagesPlace.x(), kPagesPlace.y(), kPagesPlace.width(),
                                 kPagesPlace.height());
  tabStatus = Page(PageControl, "tabStatus", 6);
  tabSettings = Page(PageControl, "tabSettings", 12);
  tabFaktoren = Page(PageControl, "tabFaktoren", 95);
  tabSampleInfo = Page(PageControl, "tabSampleInfo", 96);
  {
    QPalette pal = tabSettings->palette();
    pal.setColor(QPalette::Window, Qt::white);
    tabSettings->setPalette(pal);
    tabSettings->setAutoFillBackground(true);
  }
  OnExit(PageControl, [this] { PageControlExit(); });
  OnExit(tabFaktoren, [this] { tabFaktorenExit(); });

  // ---------------------------------------------------------------- page tabStatus
  QWidget *p = tabStatus;
  lblStart = Label(p, "lblStart", 3, 5, 36, 15, 1);
  lblAnzahl = Label(p, "lblAnzahl", 3, 30, 44, 15, 2);
  lblMesszeit = Label(p, "lblMesszeit", 3, 132, 53, 15, 3);
  lblZyklen = Label(p, "lblZyklen", 3, 55, 43, 15, 4);
  lblLimitFID = Label(p, "lblLimitFID", 3, 81, 50, 15, 5);
  lblStartrun = Label(p, "lblStartrun", 521, 97, 52, 15);
  lblRunToBreak1 = Label(p, "lblRunToBreak1", 521, 18, 76, 15, 39);
  lblRunToBreak2 = Label(p, "lblRunToBreak2", 521, 40, 76, 15, 39);
  lblRunToBreak3 = Label(p, "lblRunToBreak3", 521, 62, 76, 15, 39);
  lblLimitFPD = Label(p, "lblLimitFPD", 3, 106, 52, 15, 47);
  lblRuntime = Label(p, "lblRuntime", 361, 127, 107, 25, 98, 19, true);
  lblInfoSample1 = Label(p, "lblInfoSample1", 595, 18, 72, 15);
  lblInfoSample3 = Label(p, "lblInfoSample3", 595, 61, 72, 15);
  lblInfoSample2 = Label(p, "lblInfoSample2", 595, 40, 72, 15);
  lblFlowVal = Label(p, "lblFlowVal", 545, 127, 96, 25, 0, 19, true);
  lblFlowDim = Label(p, "lblFlowDim", 594, 127, 73, 25, 0, 19, true);
  lblFlowDim->setText(QStringLiteral("ml/min"));
  editStart = Edit(p, "editStart", 112, 3, 50, 21);
  editAnzahl = Edit(p, "editAnzahl", 112, 28, 50, 21);
  editMesszeit = Edit(p, "editMesszeit", 112, 129, 50, 21);
  editZyklen = Edit(p, "editZyklen", 112, 53, 50, 21);
  editLimitFID = Edit(p, "editLimitFID", 112, 78, 50, 21);
  groupStatus = Group(p, "groupStatus", 272, 5, 243, 110, 40);
  btnStart = Button(p, "btnStart", 181, 128, 75, 24, 29);
  btnStop = Button(p, "btnStop", 272, 127, 75, 24, 30);
  editLimitFPD = Edit(p, "editLimitFPD", 112, 103, 50, 21);
  groupCalib = Group(p, "groupCalib", 696, 5, 270, 154, 52);
  groupDelay = Group(p, "groupDelay", 170, 5, 95, 108, 97);
  OnExit(editStart, [this] { UpdateStartzelle(); });
  OnExit(editAnzahl, [this] { UpdateAnzahlZellen(); });
  OnExit(editMesszeit, [this] { UpdateMesszeit(); });
  OnExit(editZyklen, [this] { UpdateAnzahlMessreihen(); });
  OnExit(editLimitFID, [this] { UpdateDurchbruchschwelle(); });
  OnExit(editLimitFPD, [this] { editLimitFPDExit(); });
  connect(btnStart, &QPushButton::clicked, this, [this] { btnStartClick(); });
  connect(btnStop, &QPushButton::clicked, this, [this] { btnStopClick(); });

  QWidget *g = groupStatus;
  ledZero = Led(g, "ledZero", 8, 12, 60, 17, 31, TLedColor::Green);
  ledPower = Led(g, "ledPower", 77, 34, 50, 17, 37, TLedColor::Green);
  ledCalgas = Led(g, "ledCalgas", 8, 34, 60, 17, 32, TLedColor::Green);
  ledCalcell = Led(g, "ledCalcell", 8, 56, 60, 17, 33, TLedColor::Green);
  ledSample1 = Led(g, "ledSample1", 136, 12, 60, 17, 34, TLedColor::Green);
  ledSample2 = Led(g, "ledSample2", 136, 34, 60, 17, 35, TLedColor::Green);
  ledSample3 = Led(g, "ledSample3", 136, 56, 60, 17, 36, TLedColor::Green);
  ledLoop = Led(g, "ledLoop", 77, 57, 50, 17, 38, TLedColor::Yellow);
  ledSmpOff1 = Led(g, "ledSmpOff1", 203, 12, 30, 17, 26, TLedColor::Red);
  ledSmpOff2 = Led(g, "ledSmpOff2", 203, 34, 30, 17, 26, TLedColor::Red);
  ledSmpOff3 = Led(g, "ledSmpOff3", 203, 56, 30, 17, 26, TLedColor::Red);
  statusbarRun = Make<TStatusBar>(g, "statusbarRun", 2, 89, 239, 19);
  connect(ledLoop, &TZLed::Click, this, [this] { ledLoopClick(); });

  g = groupCalib;
  lblFIDCalInfo = Label(g, "lblFIDCalInfo", 3, 18, 74, 15, 7);
  lblFPDCALInfo = Label(g, "lblFPDCALInfo", 143, 19, 80, 15, 8);
  lblFIDCalFactor = Label(g, "lblFIDCalFactor", 56, 37, 75, 15);
  lblFPDCalFactor = Label(g, "lblFPDCalFactor", 195, 37, 77, 15);
  lblFIDMenge = Label(g, "lblFIDMenge", 3, 130, 72, 15, 45);
  lblFPDMenge = Label(g, "lblFPDMenge", 143, 130, 74, 15, 45);
  lblFIDInfo = Label(g, "lblFIDInfo", 3, 107, 49, 15, 119);
  lblFPDInfo = Label(g, "lblFPDInfo", 143, 107, 51, 15, 119);
  LMDTechnicalLine1 = Make<TTechnicalLine>(g, "LMDTechnicalLine1", 3, 75, 264, 25);
  chkboxIsobutanCalib =
      Make<QCheckBox>(g, "chkboxIsobutanCalib", 3, 57, 86, 17, 44);  // 78 clips "Kalibrierung"
  editIsobutan = Edit(g, "editIsobutan", 3, 33, 50, 21);
  editSulfur = Edit(g, "editSulfur", 143, 33, 50, 21);
  chkboxSulfurCalib = Make<QCheckBox>(g, "chkboxSulfurCalib", 143, 58, 105, 17, 44);
  OnExit(editIsobutan, [this] { UpdateMengeIsobuthan(); });
  OnExit(editSulfur, [this] { UpdateMengeSulfur(); });

  g = groupDelay;
  lblDelay = Label(g, "lblDelay", 18, 77, 61, 25);
  btnDelay = Button(g, "btnDelay", 11, 46, 75, 25, 87);
  editStartdelay = Edit(g, "editStartdelay", 11, 18, 75, 25);
  connect(btnDelay, &QPushButton::clicked, this, [this] { btnDelayClick(); });
  OnExit(editStartdelay, [this] { editStartdelayExit(); });

  // ---------------------------------------------------------------- page tabSettings
  p = tabSettings;
  lblFlowValTab1 = Label(p, "lblFlowValTab1", 585, 149, 81, 21, 0, 16, true);
  lblFlowDimTab1 = Label(p, "lblFlowDimTab1", 629, 149, 61, 21, 0, 16, true);
  lblFlowDimTab1->setText(QStringLiteral("ml/min"));
  LMDMemo1 = Make<QPlainTextEdit>(p, "LMDMemo1", 696, 3, 121, 138);
  LMDMemo1->setTabChangesFocus(true);
  // The console takes a reply every tick for days: no undo history of every one of them.
  LMDMemo1->setUndoRedoEnabled(false);
  LMDMemo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  LMDEdit1 = Edit(p, "LMDEdit1", 866, 138, 100, 21);
  ServiceButton = Button(p, "ServiceButton", 866, 107, 100, 25, 0, QStringLiteral("Service"));
  connect(LMDMemo1, &QPlainTextEdit::textChanged, this, [this] { LMDMemo1Change(); });
  connect(ServiceButton, &QPushButton::clicked, this, [this] { ServiceButtonClick(); });
  groupboxVentilblock = Group(p, "groupboxVentilblock", 3, 3, 170, 40, 13);
  groupboxMesskammer = Group(p, "groupboxMesskammer", 3, 43, 170, 40, 14);
  groupFPD = Group(p, "groupFPD", 178, 98, 170, 39, 15);
  groupTransferline = Group(p, "groupTransferline", 178, 136, 170, 36, 16);
  groupGas = Group(p, "groupGas", 178, 3, 170, 57, 19);
  groupHVoltage = Group(p, "groupHVoltage", 178, 60, 170, 37, 17);
  LMDGroupBox2 = Group(p, "LMDGroupBox2", 638, 1, 50, 140, 41);
  LMDGroupBox3 = Group(p, "LMDGroupBox3", 580, 1, 50, 140, 42);
  rgStandard = Make<TRadioGroup>(p, "rgStandard", 3, 93, 149, 61, 11);
  rgStandard->SetItems({QStringLiteral("ASTM"), QStringLiteral("EN374")});
  connect(rgStandard, &TRadioGroup::Click, this, [this] { rgStandardClick(); });
  clBoxConnection = Make<TCheckListBox>(p, "clBoxConnection", 428, 139, 146, 34);
  clBoxConnection->EditLabel()->setText(QStringLiteral("COM Ports"));
  groupView = Group(p, "groupView", 357, 3, 217, 108, 56);
  groupGases = Group(p, "groupGases", 823, 5, 141, 96, 125);
  btnIgnition = Button(p, "btnIgnition", 357, 148, 65, 25, 127);
  btnIgnition->setEnabled(false);
  connect(btnIgnition, &QPushButton::clicked, this, [this] { btnIgnitionClick(); });
  LedLoopTab1 = Led(p, "LedLoopTab1", 725, 153, 50, 17, 38, TLedColor::Yellow);
  connect(LedLoopTab1, &TZLed::Click, this, [this] { ledLoopClick(); });

  // One set point: actual value, on/off toggle, set point, Set button.
  struct SetPoint {
    TLabel *&label;
    TSpeedButton *&toggle;
    QLineEdit *&edit;
    QPushButton *&set;
  };
  auto setPoint = [this](QWidget *grp, SetPoint sp, const char *names[4], const int geo[4][4],
                         void (TForm1::*onToggle)(), void (TForm1::*onSet)()) {
    sp.label = Label(grp, names[0], geo[0][0], geo[0][1], geo[0][2], geo[0][3]);
    sp.toggle = Toggle(grp, names[1], geo[1][0], geo[1][1], geo[1][2], geo[1][3], 23);
    sp.edit = Edit(grp, names[2], geo[2][0], geo[2][1], geo[2][2], geo[2][3]);
    sp.set = Button(grp, names[3], geo[3][0], geo[3][1], geo[3][2], geo[3][3], 22);
    connect(sp.toggle, &QPushButton::clicked, this, [this, onToggle] { (this->*onToggle)(); });
    connect(sp.set, &QPushButton::clicked, this, [this, onSet] { (this->*onSet)(); });
  };
  {
    const char *n[4] = {"lblVentilblock", "btnVentilblockAn", "editVentilblock", "btnVentilblockSet"};
    const int geo[4][4] = {{0, 16, 77, 15}, {149, 14, 20, 20}, {71, 14, 50, 20}, {125, 14, 20, 20}};
    setPoint(groupboxVentilblock, {lblVentilblock, btnVentilblockAn, editVentilblock, btnVentilblockSet}, n,
             geo, &TForm1::btnVentilblockAnClick, &TForm1::btnVentilBlockSetClick);
  }
  {
    const char *n[4] = {"lblMesskammer", "btnMesskammerAn", "editMesskammer", "btnMesskammerSet"};
    const int geo[4][4] = {{3, 19, 92, 15}, {149, 14, 20, 20}, {71, 14, 50, 20}, {125, 14, 20, 20}};
    setPoint(groupboxMesskammer, {lblMesskammer, btnMesskammerAn, editMesskammer, btnMesskammerSet}, n, geo,
             &TForm1::btnMesskammerAnClick, &TForm1::btnMesskammerSetClick);
  }
  btnVentilblockAn->setEnabled(false);
  btnMesskammerAn->setEnabled(false);
  {
    const char *n[4] = {"lblEmmision", "btnEmissionAn", "editEmmision", "btnEmissionSet"};
    const int geo[4][4] = {{9, 16, 69, 15}, {149, 13, 20, 20}, {71, 12, 50, 20}, {125, 13, 20, 20}};
    setPoint(groupFPD, {lblEmmision, btnEmissionAn, editEmmision, btnEmissionSet}, n, geo,
             &TForm1::btnEmissionAnClick, &TForm1::btnEmissionSetClick);
  }
  {
    const char *n[4] = {"lblTransfer", "btnTransferAn", "editTransfer", "btnTransferSet"};
    const int geo[4][4] = {{9, 18, 63, 15}, {149, 14, 20, 20}, {71, 14, 50, 20}, {125, 14, 20, 20}};
    setPoint(groupTransferline, {lblTransfer, btnTransferAn, editTransfer, btnTransferSet}, n, geo,
             &TForm1::btnTransferAnClick, &TForm1::btnTransferSetClick);
  }

  g = groupGas;
  lblFPDH2 = Label(g, "lblFPDH2", 7, 17, 51, 15, 122, 10);  // a smaller face: value and unit before the field
  lblFPDAir = Label(g, "lblFPDAir", 8, 38, 52, 15, 123, 10);
  btnFPDH2An = Toggle(g, "btnFPDH2An", 146, 11, 23, 20, 23);
  btnFPDAirAN = Toggle(g, "btnFPDAirAN", 146, 32, 23, 20, 23);
  editFPDH2 = Edit(g, "editFPDH2", 69, 11, 50, 20);
  editFPDAir = Edit(g, "editFPDAir", 69, 32, 50, 20);
  btnFPDH2Set = Button(g, "btnFPDH2Set", 123, 11, 20, 20, 22);
  btnFPDAirSet = Button(g, "btnFPDAirSet", 123, 32, 20, 20, 22);
  connect(btnFPDH2An, &QPushButton::clicked, this, [this] { btnFPDH2AnClick(); });
  connect(btnFPDAirAN, &QPushButton::clicked, this, [this] { btnFPDAirANClick(); });
  connect(btnFPDH2Set, &QPushButton::clicked, this, [this] { btnFPDH2SetClick(); });
  connect(btnFPDAirSet, &QPushButton::clicked, this, [this] { btnFPDAirSetClick(); });

  {
    const char *n[4] = {"lblHVoltage", "btnHVoltageAn", "editHvoltage", "btnHVoltageSet"};
    const int geo[4][4] = {{9, 20, 66, 15}, {149, 16, 20, 20}, {71, 16, 50, 20}, {125, 16, 20, 20}};
    setPoint(groupHVoltage, {lblHVoltage, btnHVoltageAn, editHvoltage, btnHVoltageSet}, n, geo,
             &TForm1::btnHVoltageAnClick, &TForm1::btnHVoltageSetClick);
  }

  // Valve lamps: bank 1 in LMDGroupBox2 ("V11".."V16"), bank 2 in LMDGroupBox3 ("V17", "V2".."V6").
  const int valveTop[6] = {15, 34, 54, 75, 95, 116};
  TZLed **bank1[6] = {&ledV1_0, &ledV1_1, &ledV1_2, &ledV1_3, &ledV1_4, &ledV1_5};
  TZLed **bank2[6] = {&ledV2_0, &ledV2_1, &ledV2_2, &ledV2_3, &ledV2_4, &ledV2_5};
  void (TForm1::*click1[6])() = {&TForm1::ledV1_0Click, &TForm1::ledV1_1Click, &TForm1::ledV1_2Click,
                                 &TForm1::ledV1_3Click, &TForm1::ledV1_4Click, &TForm1::ledV1_5Click};
  void (TForm1::*click2[6])() = {&TForm1::ledV2_0Click, &TForm1::ledV2_1Click, &TForm1::ledV2_2Click,
                                 &TForm1::ledV2_3Click, &TForm1::ledV2_4Click, &TForm1::ledV2_5Click};
  const char *caption2[6] = {"V17", "V2", "V3", "V4", "V5", "V6"};
  for (int i = 0; i < 6; ++i) {
    const QByteArray name = "ledV1_" + QByteArray::number(i);
    *bank1[i] = Led(LMDGroupBox2, name.constData(), 13, valveTop[i], 25, 17, 0, TLedColor::Green,
                    QStringLiteral("V1%1").arg(i + 1));
    auto onClick = click1[i];
    connect(*bank1[i], &TZLed::Click, this, [this, onClick] { (this->*onClick)(); });
  }
  for (int i = 0; i < 6; ++i) {
    const QByteArray name = "ledV2_" + QByteArray::number(i);
    *bank2[i] = Led(LMDGroupBox3, name.constData(), 16, valveTop[i], 25, 17, 0, TLedColor::Green,
                    QLatin1String(caption2[i]));
    auto onClick = click2[i];
    connect(*bank2[i], &TZLed::Click, this, [this, onClick] { (this->*onClick)(); });
  }

  g = groupView;
  lblScale = Label(g, "lblScale", 12, 60, 45, 15, 43);
  lblFPDLevel = Label(g, "lblFPDLevel", 12, 39, 66, 15, 54);
  lblFIDLevel = Label(g, "lblFIDLevel", 12, 16, 64, 15, 53);
  lblScaleMin = Label(g, "lblScaleMin", 12, 81, 65, 15, 93);
  // The four fields start at 103 (not 99) and are 41 wide (not 45), so that
  // "Skalierung Min µV" and "FPD channel (µV)" are not covered; their right edge stays.
  editScale = Edit(g, "editScale", 103, 58, 41, 17);
  auto *monitor = Make<TButton>(g, "btnMonitor", 146, 58, 68, 40, 55);
  monitor->setAutoDefault(false);
  monitor->SetWordWrap(true);  // "Monitoring Off" breaks after "Monitoring"
  btnMonitor = monitor;
  editFPDLevel = Edit(g, "editFPDLevel", 103, 35, 41, 17);
  editFIDLevel = Edit(g, "editFIDLevel", 103, 12, 41, 17);
  editScaleMin = Edit(g, "editScaleMin", 103, 81, 41, 17);
  editFPDLevel->setReadOnly(true);
  editFIDLevel->setReadOnly(true);
  OnExit(editScale, [this] { editScaleExit(); });
  OnExit(editScaleMin, [this] { editScaleMinExit(); });
  connect(btnMonitor, &QPushButton::clicked, this, [this] { btnMonitorClick(); });

  g = groupGases;
  lblH2 = Label(g, "lblH2", 5, 21, 30, 15, 122);
  lblAir = Label(g, "lblAir", 5, 48, 31, 15, 123);
  lblCarrier = Label(g, "lblCarrier", 5, 73, 54, 15, 124);
  // The pressure fields start at 70 (not 61) and are 40 wide (not 45), so that
  // "Proben mbar" / "Carrier mbar" are not covered; their right edge stays.
  edH2 = Edit(g, "edH2", 70, 13, 40, 20);
  edAir = Edit(g, "edAir", 70, 41, 40, 20);
  edCarrier = Edit(g, "edCarrier", 70, 70, 40, 20);
  btnSetH2 = Button(g, "btnSetH2", 112, 12, 20, 20, 22);
  btnSetAir = Button(g, "btnSetAir", 112, 42, 20, 20, 22);
  btnSetCarrier = Button(g, "btnSetCarrier", 112, 73, 20, 20, 22);
  OnEnter(edH2, [this] { edH2Enter(); });
  OnExit(edH2, [this] { edH2Exit(); });
  OnEnter(edAir, [this] { edAirEnter(); });
  OnExit(edAir, [this] { edAirExit(); });
  OnEnter(edCarrier, [this] { edCarrierEnter(); });
  OnExit(edCarrier, [this] { edCarrierExit(); });
  connect(btnSetH2, &QPushButton::clicked, this, [this] { btnH2SetClick(); });
  connect(btnSetAir, &QPushButton::clicked, this, [this] { btnAirSetClick(); });
  connect(btnSetCarrier, &QPushButton::clicked, this, [this] { btnCarrierSetClick(); });

  // ---------------------------------------------------------------- page tabFaktoren
  p = tabFaktoren;
  ValueListEditor1 = Make<TValueListEditor>(p, "ValueListEditor1", 0, 3, 240, 167, 115);
  ValueListEditor1->setColumnWidth(0, 138);
  ValueListEditor1->setColumnWidth(1, 96);
  ValueListEditor1->SetStrings({QStringLiteral("Aceton=2,05")});
  ValueListEditor2 = Make<TValueListEditor>(p, "ValueListEditor2", 727, 3, 240, 167, 117);
  ValueListEditor2->setColumnWidth(0, 150);
  ValueListEditor2->setColumnWidth(1, 84);
  ValueListEditor2->SetStrings({QStringLiteral("THT=1,00")});
  connect(ValueListEditor1, &TValueListEditor::MouseDown, this,
          [this](Qt::MouseButton b, int x, int y) { ValueListEditor1MouseDown(b, x, y); });
  connect(ValueListEditor2, &TValueListEditor::MouseDown, this,
          [this](Qt::MouseButton b, int x, int y) { ValueListEditor2MouseDown(b, x, y); });
  connect(ValueListEditor1, &TValueListEditor::EndDrag, this,
          [this](QObject *t) { ValueListEditor1EndDrag(t); });
  connect(ValueListEditor2, &TValueListEditor::EndDrag, this,
          [this](QObject *t) { ValueListEditor2EndDrag(t); });
  groupboxFactors = Group(p, "groupboxFactors", 246, 3, 475, 156, 95);

  g = groupboxFactors;
  LMDLabel1 = Label(g, "LMDLabel1", 8, 19, 58, 18, 109, 13, true);
  LMDLabel2 = Label(g, "LMDLabel2", 412, 19, 61, 18, 110, 13, true);
  LMDLabel2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  LMDTechnicalLine2 = Make<TTechnicalLine>(g, "LMDTechnicalLine2", 8, 64, 460, 5);
  lmdlblFLOW = Label(g, "lmdlblFLOW", 213, 19, 73, 18, 111, 13, true);
  auto factor = [this, g](const char *name, int l, int t, TLabelPosition pos) {
    auto *e = Make<TLabeledEdit>(g, name, l, t, 40, 21, 0, pos);
    e->EditLabel()->setFont(UiFont(11));
    e->PlaceLabel();
    e->OnDragOver = [this, e](QObject *source, bool &accept) { FactDragOver(e, source, accept); };
    return e;
  };
  lbleditFIDCalFact = factor("lbleditFIDCalFact", 8, 38, TLabelPosition::Right);
  lblEditFact1 = factor("lblEditFact1", 8, 73, TLabelPosition::Right);
  lbleditFPDCalFact = factor("lbleditFPDCalFact", 428, 38, TLabelPosition::Left);
  lbleditFPDFact1 = factor("lbleditFPDFact1", 428, 73, TLabelPosition::Left);
  lblEditFact2 = factor("lblEditFact2", 8, 100, TLabelPosition::Right);
  lblEditFact3 = factor("lblEditFact3", 8, 127, TLabelPosition::Right);
  lblEditFPDFact2 = factor("lblEditFPDFact2", 428, 100, TLabelPosition::Left);
  lblEditFPDFact3 = factor("lblEditFPDFact3", 428, 127, TLabelPosition::Left);
  editCalFlow = Edit(g, "editCalFlow", 220, 37, 40, 21);
  editSampleFlow1 = Edit(g, "editSampleFlow1", 220, 71, 40, 21);
  editSampleFlow2 = Edit(g, "editSampleFlow2", 220, 98, 40, 21);
  editSampleFlow3 = Edit(g, "editSampleFlow3", 220, 125, 40, 21);
  // 70 wide instead of 65: "Autoflow" needs it beside the box.
  cbAutoflow1 = Make<QCheckBox>(g, "cbAutoflow1", 266, 71, 70, 17);
  cbAutoflow2 = Make<QCheckBox>(g, "cbAutoflow2", 266, 98, 70, 17);
  cbAutoflow3 = Make<QCheckBox>(g, "cbAutoflow3", 266, 125, 70, 17);
  for (QCheckBox *cb : {cbAutoflow1, cbAutoflow2, cbAutoflow3}) cb->setText(QStringLiteral("Autoflow"));

  // ---------------------------------------------------------------- page tabSampleInfo
  p = tabSampleInfo;
  lblDateiname = Label(p, "lblDateiname", 94, 109, 5, 15);
  lblRawDataName = Label(p, "lblRawDataName", 94, 136, 3, 13);
  lblLocalChar = Label(p, "lblLocalChar", 752, 16, 57, 13);
  btnSpeichern = Button(p, "btnSpeichern", 5, 104, 80, 25, 48);  // 75 clips "Datei speichern"
  editInfo1 = Edit(p, "editInfo1", 5, 13, 200, 21);
  editInfo2 = Edit(p, "editInfo2", 5, 44, 200, 21);
  editInfo3 = Edit(p, "editInfo3", 5, 76, 200, 21);
  memoDescription = Make<TLabeledMemo>(p, "memoDescription", 229, 15, 492, 85, 51);
  memoDescription->EditLabel()->setFont(UiFont(11));
  memoDescription->PlaceLabel();
  memoDescription->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  memoDescription->setPlainText(QStringLiteral("Zeile 1\nZeile 2\nZeile 3\nZeile 4\nZeile 5\n"));
  memoDescription->OnKeyPress = [this](QChar &key) { memoDescriptionKeyPress(key); };
  btnLaden = Button(p, "btnLaden", 5, 135, 75, 25, 0, QStringLiteral("btnLaden"));
  btnReport = Button(p, "btnReport", 752, 104, 110, 25, report_text::kButton);
  lblReportName = Label(p, "lblReportName", 752, 136, 3, 13);
  connect(btnSpeichern, &QPushButton::clicked, this, [this] { btnSpeichernClick(); });
  connect(btnReport, &QPushButton::clicked, this, [this] { btnReportClick(); });
  connect(btnLaden, &QPushButton::clicked, this, [this] { btnLadenClick(); });
  OnExit(editInfo1, [this] { editInfo1Exit(); });
  OnExit(editInfo2, [this] { editInfo2Exit(); });
  OnExit(editInfo3, [this] { editInfo3Exit(); });

  // ---------------------------------------------------------------- timer
  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  SetTag(Timer1, 0);
  Timer1->setInterval(kTickIntervalMs);
  Timer1->setSingleShot(false);
  connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });

  PageControl->setCurrentWidget(tabSettings);
  resize(984, 650);
}
