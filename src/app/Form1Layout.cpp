// The window's controls: created from the control table (ControlTable.cpp), one row each,
// then what a row cannot say (the chart's axes and series, list contents, the timer).
#include <qcustomplot.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <functional>

#include "app/ControlTable.h"
#include "app/Zelvo730_Main.h"
#include "ui/PermeationChart.h"
#include "ui/TZeLed.h"
#include "ui/Tag.h"
#include "ui/Widgets.h"

using namespace zelvo;

namespace {

// Group boxes: bold 9-pixel caption on the system's 3-D light grey.
const QColor kGroupColor(227, 227, 227);

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
constexpr int kSwitchLeft = 785;  // the chart switch's left edge at the designed size

// A new control of the row's kind in `parent` (a page goes into its tab area).
QWidget *NewControl(const TControlRow &row, QWidget *parent) {
  using enum TControlKind;
  switch (row.Kind) {
    case Chart:
      return new QCustomPlot(parent);
    case Banner:
      return new QLabel(parent);
    case Tabs:
      return new QTabWidget(parent);
    case Page:
      return new TTabSheet;
    case Label:
      return new TLabel(parent);
    case Edit:
      return new QLineEdit(parent);
    case Group:
      return new TGroupBox(parent);
    case Button:
      return new QPushButton(parent);
    case WrapButton:
      return new TButton(parent);
    case Toggle:
      return new TSpeedButton(parent);
    case Led:
      return new TZLed(parent);
    case StatusBar:
      return new TStatusBar(parent);
    case Line:
      return new TTechnicalLine(parent);
    case Check:
      return new QCheckBox(parent);
    case Radio:
      return new TRadioGroup(parent);
    case Ports:
      return new TCheckListBox(parent);
    case List:
      return new TValueListEditor(parent);
    case Memo:
      return new QPlainTextEdit(parent);
    case LabeledEdit:
      return new TLabeledEdit(parent, row.Flags & kLabelLeft ? TLabelPosition::Left : TLabelPosition::Right);
    case LabeledMemo:
      return new TLabeledMemo(parent);
    case ViewSwitch:
      return new TChartSwitch(parent);
    case Permeation:
      return new TPermeationPanel(parent);
  }
  return nullptr;
}

TLedColor LedColorOf(const TControlRow &row) {
  if (row.Flags & kLedYellow) return TLedColor::Yellow;
  if (row.Flags & kLedRed) return TLedColor::Red;
  return TLedColor::Green;
}

// What a control of each kind needs beyond name, font, place and Tag.
void Dress(const TControlRow &row, QWidget *w, QWidget *parent) {
  const QString caption = row.Caption ? QString::fromUtf8(row.Caption) : QString();
  if (row.Font.PixelSize != 11 || row.Font.Bold) w->setFont(UiFont(row.Font.PixelSize, row.Font.Bold));
  if (auto *g = qobject_cast<TGroupBox *>(w); g && row.Kind == TControlKind::Group) g->SetColor(kGroupColor);
  if (auto *l = qobject_cast<TLabel *>(w)) {
    if (row.Flags & kAlignRight) l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (!caption.isEmpty()) l->setText(caption);
  }
  if (auto *led = qobject_cast<TZLed *>(w)) {
    led->SetLedFadeSpeed(20);
    led->SetLedSmoothFlash(true);
    led->SetLedDelayBeforeFade(100);
    led->SetLedColor(LedColorOf(row));
    led->SetLedOn(false);
    if (!caption.isEmpty()) led->SetCaption(caption);
  }
  if (auto *b = qobject_cast<QPushButton *>(w); b && row.Kind != TControlKind::Toggle) {
    if (row.Kind == TControlKind::Button) b->setText(caption);
    b->setAutoDefault(false);
  }
  if (auto *b = qobject_cast<TButton *>(w)) b->SetWordWrap(true);
  if (auto *c = qobject_cast<QCheckBox *>(w); c && !caption.isEmpty()) c->setText(caption);
  if (auto *p = qobject_cast<TCheckListBox *>(w)) p->EditLabel()->setText(caption);
  if (auto *e = qobject_cast<TLabeledEdit *>(w)) {
    e->EditLabel()->setFont(UiFont(11));
    e->PlaceLabel();
  }
  if (auto *m = qobject_cast<TLabeledMemo *>(w)) {
    m->EditLabel()->setFont(UiFont(11));
    m->PlaceLabel();
  }
  if (auto *e = qobject_cast<QLineEdit *>(w); e && (row.Flags & kReadOnly)) e->setReadOnly(true);
  if (row.Flags & kDisabled) w->setEnabled(false);
  if (auto *tabs = qobject_cast<QTabWidget *>(parent); tabs && row.Kind == TControlKind::Page)
    tabs->addTab(w, QString());
  if (row.Flags & kWhite) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, Qt::white);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
  }
}

// The row's handlers: a click (or a console's change) and the focus entering or leaving.
void Wire(TForm1 *form, const TControlRow &row, QWidget *w) {
  if (const THandler h = row.OnClick) {
    auto call = [form, h] { (form->*h)(); };
    if (auto *led = qobject_cast<TZLed *>(w))
      QObject::connect(led, &TZLed::Click, form, call);
    else if (auto *radio = qobject_cast<TRadioGroup *>(w))
      QObject::connect(radio, &TRadioGroup::Click, form, call);
    else if (auto *memo = qobject_cast<QPlainTextEdit *>(w))
      QObject::connect(memo, &QPlainTextEdit::textChanged, form, call);
    else if (auto *b = qobject_cast<QPushButton *>(w))
      QObject::connect(b, &QPushButton::clicked, form, call);
  }
  if (const THandler h = row.OnEnter) OnEnter(w, [form, h] { (form->*h)(); });
  if (const THandler h = row.OnExit) OnExit(w, [form, h] { (form->*h)(); });
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
  // The permeation view fills the chart's place down to the tab area; the switch keeps to
  // the chart's top right corner.
  if (PermeationPanel) {
    PermeationPanel->setGeometry(kChartPlace.left(), kChartPlace.top(), kChartPlace.width() + extraW,
                                 kPagesPlace.top() - kChartPlace.top() + extraH);
    // Laid out while hidden too: its controls have their places before it is first shown.
    if (QLayout *layout = PermeationPanel->layout(); layout && PermeationPanel->isHidden()) {
      layout->invalidate();
      layout->activate();
    }
  }
  if (ChartSwitch) ChartSwitch->move(kSwitchLeft + extraW, ChartSwitch->y());
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

  QHash<QString, QWidget *> byName = {{client->objectName(), client}};
  for (const TControlRow &row : ControlTable()) {
    QWidget *parent = byName.value(QLatin1String(row.Parent));
    Q_ASSERT_X(parent, row.Name, "the parent's row comes first");
    QWidget *w = NewControl(row, parent);
    w->setObjectName(QLatin1String(row.Name));
    w->setFont(UiFont(11));
    if (row.Kind != TControlKind::Page) w->setGeometry(row.Place);
    SetTag(w, row.Tag);
    Dress(row, w, parent);
    Wire(this, row, w);
    row.Store(*this, w);
    byName.insert(w->objectName(), w);
  }
  CreateChart();
  CreatePermeationView();
  FinishControls();
  PageControl->setCurrentWidget(tabSettings);
  resize(984, 650);
}

// The chart's title, fixed axes and the three series.
void TForm1::CreateChart() {
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
}

// What the rows do not say: the lost-link bar's look, the lists'
// and the standard's contents, the console's and the description's behaviour, the timer.
void TForm1::FinishControls() {
  lblLinkLost->setAlignment(Qt::AlignCenter);
  lblLinkLost->setStyleSheet(
      QStringLiteral("QLabel { background: #c00000; color: white; font-weight: bold; }"));
  lblLinkLost->setWordWrap(false);
  lblLinkLost->hide();

  LMDMemo1->setTabChangesFocus(true);
  // The console takes a reply every tick for days: no undo history of every one of them.
  LMDMemo1->setUndoRedoEnabled(false);
  LMDMemo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  rgStandard->SetItems({QStringLiteral("ASTM"), QStringLiteral("EN374")});

  ValueListEditor1->setColumnWidth(0, 138);
  ValueListEditor1->setColumnWidth(1, 96);
  ValueListEditor1->SetStrings({QStringLiteral("Aceton=2,05")});
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
  // The factor fields take factor drags.
  for (TLabeledEdit *e : groupboxFactors->findChildren<TLabeledEdit *>(Qt::FindDirectChildrenOnly))
    e->OnDragOver = [this, e](QObject *source, bool &accept) { FactDragOver(e, source, accept); };

  memoDescription->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  memoDescription->setPlainText(QStringLiteral("Zeile 1\nZeile 2\nZeile 3\nZeile 4\nZeile 5\n"));
  memoDescription->OnKeyPress = [this](QChar &key) { memoDescriptionKeyPress(key); };

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  SetTag(Timer1, 0);
  Timer1->setInterval(kTickIntervalMs);
  Timer1->setSingleShot(false);
  connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
}
