// The main window's controls against the control table they are built from, and what the
// table cannot show by itself: every row is the control of its name, kind, parent, Tag and
// font; every Tag's text exists in both languages; every caption fits its control in both
// languages; no two controls of one parent overlap unless the table says so; the chart's
// time axis keeps its labels above the tab area. Plus what the rows do not hold (the chart,
// LED colours, design captions, the timer).
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

#include "WindowTestSupport.h"
#include "app/ControlTable.h"
#include "app/Zelvo730_Main.h"
#include "core/Language.h"
#include "ui/PermeationChart.h"
#include "ui/TZeLed.h"
#include "ui/Tag.h"
#include "ui/Widgets.h"

using namespace zelvo;

namespace {

using enum TControlKind;

QString S(int offset, int id) { return GetLangString(offset, id); }
QString NameOf(const TControlRow &row) { return QLatin1String(row.Name); }

bool IsKind(QWidget *w, TControlKind k) {
  switch (k) {
    case Chart:
      return qobject_cast<QCustomPlot *>(w);
    case Banner:
      return qobject_cast<QLabel *>(w) && !qobject_cast<TLabel *>(w);
    case Tabs:
      return qobject_cast<QTabWidget *>(w);
    case Page:
      return qobject_cast<TTabSheet *>(w);
    case Label:
      return qobject_cast<TLabel *>(w);
    case Edit:
      return qobject_cast<QLineEdit *>(w) && !qobject_cast<TLabeledEdit *>(w);
    case Group:
      return qobject_cast<TGroupBox *>(w) && !qobject_cast<TRadioGroup *>(w);
    case Button:
      return qobject_cast<QPushButton *>(w) && !qobject_cast<TSpeedButton *>(w) &&
             !qobject_cast<TButton *>(w);
    case WrapButton:
      return qobject_cast<TButton *>(w) && static_cast<TButton *>(w)->WordWrap();
    case Toggle:
      return qobject_cast<TSpeedButton *>(w) && static_cast<QPushButton *>(w)->isCheckable();
    case Led:
      return qobject_cast<TZLed *>(w);
    case StatusBar:
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
    case Memo:
      return qobject_cast<QPlainTextEdit *>(w) && !qobject_cast<TLabeledMemo *>(w);
    case LabeledEdit:
      return qobject_cast<TLabeledEdit *>(w);
    case LabeledMemo:
      return qobject_cast<TLabeledMemo *>(w);
    case ViewSwitch:
      return qobject_cast<TChartSwitch *>(w);
    case Permeation:
      return qobject_cast<TPermeationPanel *>(w);
  }
  return false;
}

// The texts a row's Tag selects, by the captioning walk's rules.
QList<int> TagTextIds(const TControlRow &row) {
  if (row.Tag == 0) return {};
  if (row.Kind == List) return {row.Tag, row.Tag + 1};
  if (row.Kind == Radio) return {row.Tag, 9, 10};
  return {row.Tag};
}

// Width a caption needs in a font (the longest line of a multi-line caption).
int TextWidth(const QFont &font, const QString &text) {
  const QFontMetrics fm(font);
  int width = 0;
  for (const QString &line : QString(text).remove(QLatin1Char('\r')).split(QLatin1Char('\n')))
    width = qMax(width, fm.horizontalAdvance(line));
  return width;
}

// The caption label a row's control carries beside it (a sibling of the control), if any.
TLabel *AttachedLabel(QWidget *w) {
  if (auto *e = qobject_cast<TLabeledEdit *>(w)) return e->EditLabel();
  if (auto *m = qobject_cast<TLabeledMemo *>(w)) return m->EditLabel();
  if (auto *p = qobject_cast<TCheckListBox *>(w)) return p->EditLabel();
  return nullptr;
}

// Where a label's text is inked (a label's box may reach beyond its parent by its blank margin).
QRect TextBox(const QLabel *l) {
  const QFontMetrics fm(l->font());
  const int w = TextWidth(l->font(), l->text());
  const int left = l->alignment() & Qt::AlignRight ? l->width() - w : 0;
  const int baseline = l->y() + (l->height() - fm.height()) / 2 + fm.ascent();
  const QRect ink = fm.tightBoundingRect(l->text());
  return QRect(l->x() + left, baseline + ink.top(), w, ink.height());
}

// What of a control's caption does not fit it or its parent's area `room` (empty when all
// of it does).
QString CaptionMisfit(const TControlRow &row, QWidget *w, const QRect &room) {
  auto fits = [](int need, int width) { return need <= width; };
  switch (row.Kind) {
    case Label:
    case Banner: {
      auto *l = static_cast<QLabel *>(w);
      if (l->text().isEmpty()) return {};
      if (!fits(TextWidth(l->font(), l->text()), l->width())) return "too narrow for " + l->text();
      if (!room.contains(TextBox(l))) return "beyond its parent with " + l->text();
      return {};
    }
    case Button: {
      auto *b = static_cast<QPushButton *>(w);
      QStyleOptionButton opt;
      opt.initFrom(b);
      const QRect contents = b->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, b);
      return fits(TextWidth(b->font(), b->text()), contents.width()) ? QString() : b->text();
    }
    case WrapButton: {
      auto *b = static_cast<TButton *>(w);
      const QRect r = b->CaptionRect();
      const QRect need = QFontMetrics(b->font()).boundingRect(r, Qt::AlignCenter | Qt::TextWordWrap,
                                                              TButton::DrawnText(b->text()));
      return need.width() <= r.width() && need.height() <= r.height() ? QString() : b->text();
    }
    case Check:
      return fits(w->sizeHint().width(), w->width()) ? QString() : static_cast<QCheckBox *>(w)->text();
    case Led: {
      auto *led = static_cast<TZLed *>(w);
      return fits(TextWidth(led->font(), led->Caption()), led->contentsRect().width()) ? QString()
                                                                                       : led->Caption();
    }
    case Group: {
      auto *g = static_cast<QGroupBox *>(w);
      return fits(TextWidth(g->font(), g->title()) + 12, g->width()) ? QString() : g->title();
    }
    case Radio: {
      auto *r = static_cast<TRadioGroup *>(w);
      if (!fits(TextWidth(r->font(), r->title()) + 12, r->width())) return r->title();
      for (int i = 0; i < r->Items().size(); ++i) {
        QRadioButton *b = r->Button(i);
        if (!fits(b->sizeHint().width(), b->width()) || !r->rect().contains(b->geometry())) return b->text();
      }
      return {};
    }
    case ViewSwitch: {
      // Both buttons in full, side by side inside the switch.
      auto *s = static_cast<TChartSwitch *>(w);
      if (s->layout()) s->layout()->activate();
      for (QPushButton *b : {s->SignalButton(), s->PermeationButton()})
        if (!fits(b->sizeHint().width(), b->width()) || !s->rect().contains(b->geometry())) return b->text();
      return {};
    }
    case Permeation: {
      // The panel is shown in the chart's place only on demand: its own layout places the toggle.
      auto *p = static_cast<TPermeationPanel *>(w);
      if (p->layout()) p->layout()->activate();
      QCheckBox *log = p->LogToggle();
      return fits(log->sizeHint().width(), log->width()) ? QString() : log->text();
    }
    case List: {
      auto *v = static_cast<TValueListEditor *>(w);
      for (int c = 0; c < 2; ++c)
        if (!fits(v->horizontalHeader()->sectionSizeHint(c), v->columnWidth(c))) return v->ColTitle(c);
      return {};
    }
    case LabeledEdit:
    case LabeledMemo:
    case Ports: {
      const TLabel *l = AttachedLabel(w);
      if (l->text().isEmpty()) return {};
      return room.contains(TextBox(l)) ? QString() : "label beyond its parent: " + l->text();
    }
    default:
      return {};
  }
}

// The places a row occupies in its parent: the control's and its attached label's.
QList<QPair<QString, QRect>> Occupied(const TControlRow &row, QWidget *w) {
  QList<QPair<QString, QRect>> places = {{NameOf(row), w->geometry()}};
  if (const TLabel *l = AttachedLabel(w); l && !l->text().isEmpty())
    places.append({NameOf(row) + "'s label", l->geometry()});
  return places;
}

QStringList OverlapNames(const TControlRow &row) {
  return row.MayOverlap ? QString::fromLatin1(row.MayOverlap).split(u' ', Qt::SkipEmptyParts) : QStringList();
}

bool MayOverlap(const TControlRow &a, const TControlRow &b) {
  return OverlapNames(a).contains(NameOf(b)) || OverlapNames(b).contains(NameOf(a));
}

}  // namespace

TEST(Layout, EveryRowIsTheControlOfItsNameKindParentTagAndFont) {
  TForm1 form;
  QSet<QString> names;
  QHash<QString, QString> parents;
  int page = 0;
  for (const TControlRow &row : TForm1::ControlTable()) {
    const QString name = NameOf(row);
    EXPECT_FALSE(names.contains(name)) << row.Name << " has two rows";
    names.insert(name);
    parents.insert(name, QLatin1String(row.Parent));
    const QList<QWidget *> found = form.findChildren<QWidget *>(name);
    ASSERT_EQ(found.size(), 1) << row.Name;
    QWidget *w = found[0];
    EXPECT_EQ(row.Stored(form), w) << row.Name << ": its member holds no control or another one";
    EXPECT_TRUE(IsKind(w, row.Kind)) << row.Name << " is a " << w->metaObject()->className();
    EXPECT_EQ(TagOf(w), row.Tag) << row.Name;
    EXPECT_TRUE(w->property("Tag").isValid()) << row.Name << " carries no Tag";
    if (row.Kind == Page) {
      EXPECT_EQ(QLatin1String(row.Parent), QLatin1String("PageControl")) << row.Name;
      EXPECT_EQ(Child<QTabWidget>(form, "PageControl")->indexOf(w), page++)
          << row.Name << ": tabs in the order of the rows";
    } else {
      EXPECT_EQ(w->parentWidget()->objectName(), QLatin1String(row.Parent)) << row.Name;
    }
    EXPECT_EQ(w->font().pixelSize(), row.Font.PixelSize) << row.Name;
    EXPECT_EQ(w->font().bold(), row.Font.Bold) << row.Name;
  }
  EXPECT_EQ(page, Child<QTabWidget>(form, "PageControl")->count());
  // An overlap the table allows names a sibling.
  for (const TControlRow &row : TForm1::ControlTable())
    for (const QString &other : OverlapNames(row)) {
      EXPECT_EQ(parents.value(other), QLatin1String(row.Parent))
          << row.Name << " may overlap " << qPrintable(other) << ", which is no sibling";
    }
  // The captioning walk reaches every control that carries a Tag: each of them has its row.
  for (const QWidget *w : form.findChildren<QWidget *>())
    if (w->property("Tag").isValid()) {
      EXPECT_TRUE(names.contains(w->objectName())) << qPrintable(w->objectName()) << " has no row";
    }
}

TEST(Layout, EveryTagsTextExistsInBothLanguages) {
  for (const TControlRow &row : TForm1::ControlTable())
    for (const int id : TagTextIds(row))
      for (const int offset : {0, 1000})
        EXPECT_FALSE(S(offset, id).isEmpty()) << row.Name << ": text " << offset + id;
}

// The window started in the language of the parameter (no instrument: the start-up ends after
// the captions) and shown.
class LayoutIn : public WithRecordedMessages, public ::testing::WithParamInterface<int> {
 protected:
  void SetUp() override {
    WithRecordedMessages::SetUp();
    StartWithoutInstrument(form, dir.path(), GetParam());
    form.show();
    QCoreApplication::processEvents();
  }
  QTemporaryDir dir;
  TForm1 form;
};

TEST_P(LayoutIn, EveryCaptionFitsItsControl) {
  for (const TControlRow &row : TForm1::ControlTable()) {
    QWidget *w = row.Stored(form);
    ASSERT_TRUE(w) << row.Name;
    // A page that is not open has no size of its own yet: every page has the open one's.
    QWidget *parent = qobject_cast<TTabSheet *>(w->parentWidget())
                          ? Child<QTabWidget>(form, "PageControl")->currentWidget()
                          : w->parentWidget();
    const QString misfit = CaptionMisfit(row, w, parent->rect());
    EXPECT_TRUE(misfit.isEmpty()) << row.Name << ": " << qPrintable(misfit);
  }
  const QTabBar *bar = Child<QTabWidget>(form, "PageControl")->tabBar();  // tab captions are never elided
  for (int i = 0; i < bar->count(); ++i)
    EXPECT_LE(TextWidth(bar->font(), bar->tabText(i)), bar->tabRect(i).width())
        << qPrintable(bar->tabText(i));
}

TEST_P(LayoutIn, NoTwoControlsOfOneParentOverlapUnlessTheTableSaysSo) {
  const std::span<const TControlRow> rows = TForm1::ControlTable();
  for (std::size_t i = 0; i < rows.size(); ++i)
    for (std::size_t j = i + 1; j < rows.size(); ++j) {
      const TControlRow &a = rows[i], &b = rows[j];
      if (a.Kind == Page || qstrcmp(a.Parent, b.Parent) != 0 || MayOverlap(a, b)) continue;
      for (const auto &[nameA, placeA] : Occupied(a, a.Stored(form)))
        for (const auto &[nameB, placeB] : Occupied(b, b.Stored(form)))
          EXPECT_FALSE(placeA.intersects(placeB)) << qPrintable(nameA) << " overlaps " << qPrintable(nameB);
    }
}

// The tab area is drawn over the chart's lowest pixels; the time axis's tick labels and
// title stay above it.
TEST_P(LayoutIn, TheTimeAxisLabelsStayAboveTheTabs) {
  const QObjectList order = form.centralWidget()->children();
  EXPECT_GT(order.indexOf(Child<QTabWidget>(form, "PageControl")),
            order.indexOf(Child<QCustomPlot>(form, "Chart1")))
      << "the tab area is drawn first";
  Child<QCustomPlot>(form, "Chart1")->replot();
  QCPAxis *axis = Child<QCustomPlot>(form, "Chart1")->xAxis;
  const int x = axis->axisRect()->center().x();
  int lowestTick = -1, lowestTitle = -1;
  for (int y = 0; y < Child<QCustomPlot>(form, "Chart1")->height(); ++y) {
    const QCPAxis::SelectablePart part = axis->getPartAt(QPointF(x, y));
    if (part == QCPAxis::spTickLabels) lowestTick = y;
    if (part == QCPAxis::spAxisLabel) lowestTitle = y;
  }
  ASSERT_GE(lowestTick, 0);
  ASSERT_GT(lowestTitle, lowestTick) << "the axis has a title below its tick labels";
  const int tabTop = Child<QTabWidget>(form, "PageControl")->geometry().top();
  EXPECT_LT(Child<QCustomPlot>(form, "Chart1")->mapTo(form.centralWidget(), QPoint(x, lowestTitle)).y(),
            tabTop);
  EXPECT_GE(Child<QCustomPlot>(form, "Chart1")->geometry().bottom(), tabTop)
      << "the tab area overlaps the chart";
}

INSTANTIATE_TEST_SUITE_P(Languages, LayoutIn, ::testing::Values(0, 1000),
                         [](const ::testing::TestParamInfo<int> &param) {
                           return std::string(param.param == 0 ? "German" : "English");
                         });

TEST(Layout, WindowChartAndTabArea) {
  TForm1 form;
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Zelvo730_Flow_Epc"));
  EXPECT_EQ(form.centralWidget()->size(), QSize(984, 650));
  EXPECT_EQ(Child<QTabWidget>(form, "PageControl")->currentWidget(),
            Child<TTabSheet>(form, "tabSettings"));  // opens on the settings page
  const QList<QWidget *> pages = {Child<TTabSheet>(form, "tabStatus"), Child<TTabSheet>(form, "tabSettings"),
                                  Child<TTabSheet>(form, "tabFaktoren"),
                                  Child<TTabSheet>(form, "tabSampleInfo")};
  const int tags[] = {6, 12, 95, 96};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(Child<QTabWidget>(form, "PageControl")->indexOf(pages[i]), i);
    EXPECT_EQ(TagOf(pages[i]), tags[i]);
  }
  EXPECT_EQ(Child<TTabSheet>(form, "tabSettings")->palette().color(QPalette::Window), QColor(Qt::white));
  EXPECT_TRUE(Child<TTabSheet>(form, "tabSettings")->autoFillBackground());

  // Three graphs in series order; Serie3 hidden; fixed axes; right and top hidden.
  ASSERT_EQ(Child<QCustomPlot>(form, "Chart1")->graphCount(), 3);
  EXPECT_EQ(Child<QCustomPlot>(form, "Chart1")->graph(0), Child<QCPGraph>(form, "Series1"));
  EXPECT_EQ(Child<QCustomPlot>(form, "Chart1")->graph(1), Child<QCPGraph>(form, "Series2"));
  EXPECT_EQ(Child<QCustomPlot>(form, "Chart1")->graph(2), Child<QCPGraph>(form, "Serie3"));
  EXPECT_EQ(Child<QCPGraph>(form, "Series1")->pen().color(), QColor(Qt::red));
  EXPECT_EQ(Child<QCPGraph>(form, "Series2")->pen().color(), QColor(Qt::green));
  EXPECT_TRUE(Child<QCPGraph>(form, "Series1")->visible());
  EXPECT_TRUE(Child<QCPGraph>(form, "Series2")->visible());
  EXPECT_FALSE(Child<QCPGraph>(form, "Serie3")->visible());
  EXPECT_EQ(Child<QCPGraph>(form, "Series1")->scatterStyle().shape(), QCPScatterStyle::ssNone);
  EXPECT_FALSE(Child<QCustomPlot>(form, "Chart1")->xAxis2->visible());
  EXPECT_FALSE(Child<QCustomPlot>(form, "Chart1")->yAxis2->visible());
  EXPECT_EQ(Child<QCustomPlot>(form, "Chart1")->xAxis->range(), QCPRange(0, 600));
  EXPECT_EQ(Child<QCustomPlot>(form, "Chart1")->yAxis->range(), QCPRange(-500, 1033.075));
  const auto *title =
      qobject_cast<QCPTextElement *>(Child<QCustomPlot>(form, "Chart1")->plotLayout()->element(0, 0));
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->text(), QStringLiteral("Messkurve"));
  // Adding points does not move the fixed axes.
  Child<QCPGraph>(form, "Series1")->addData(1000, 50000);
  Child<QCustomPlot>(form, "Chart1")->replot();
  EXPECT_EQ(Child<QCustomPlot>(form, "Chart1")->xAxis->range(), QCPRange(0, 600));
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
  const QList<TZLed *> lamps = {
      Child<TZLed>(form, "ledV1_0"), Child<TZLed>(form, "ledV1_1"), Child<TZLed>(form, "ledV1_2"),
      Child<TZLed>(form, "ledV1_3"), Child<TZLed>(form, "ledV1_4"), Child<TZLed>(form, "ledV1_5"),
      Child<TZLed>(form, "ledV2_0"), Child<TZLed>(form, "ledV2_1"), Child<TZLed>(form, "ledV2_2"),
      Child<TZLed>(form, "ledV2_3"), Child<TZLed>(form, "ledV2_4"), Child<TZLed>(form, "ledV2_5")};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(lamps[i]->Caption(), QLatin1String(valves[i]));

  EXPECT_EQ(Child<QPushButton>(form, "ServiceButton")->text(), QStringLiteral("Service"));
  EXPECT_EQ(Child<TLabel>(form, "lblFlowDim")->text(), QStringLiteral("ml/min"));
  EXPECT_EQ(Child<TLabel>(form, "lblFlowDimTab1")->text(), QStringLiteral("ml/min"));
  EXPECT_EQ(Child<QPushButton>(form, "btnLaden")->text(), QStringLiteral("btnLaden"));
  EXPECT_EQ(Child<TCheckListBox>(form, "clBoxConnection")->EditLabel()->text(), QStringLiteral("COM Ports"));
  for (QCheckBox *cb : {Child<QCheckBox>(form, "cbAutoflow1"), Child<QCheckBox>(form, "cbAutoflow2"),
                        Child<QCheckBox>(form, "cbAutoflow3")})
    EXPECT_EQ(cb->text(), QStringLiteral("Autoflow"));
  EXPECT_EQ(Child<TLabeledMemo>(form, "memoDescription")->toPlainText(),
            QStringLiteral("Zeile 1\nZeile 2\nZeile 3\nZeile 4\nZeile 5\n"));
  EXPECT_EQ(Child<TValueListEditor>(form, "ValueListEditor1")->Strings(), QStringList({"Aceton=2,05"}));
  EXPECT_EQ(Child<TValueListEditor>(form, "ValueListEditor2")->Strings(), QStringList({"THT=1,00"}));
  EXPECT_EQ(Child<TValueListEditor>(form, "ValueListEditor1")->columnWidth(0), 138);
  EXPECT_EQ(Child<TValueListEditor>(form, "ValueListEditor1")->columnWidth(1), 96);
  EXPECT_EQ(Child<TValueListEditor>(form, "ValueListEditor2")->columnWidth(0), 150);
  EXPECT_EQ(Child<TValueListEditor>(form, "ValueListEditor2")->columnWidth(1), 84);

  // The level displays refuse typing; the operator cannot switch the two heaters.
  EXPECT_TRUE(Child<QLineEdit>(form, "editFIDLevel")->isReadOnly());
  EXPECT_TRUE(Child<QLineEdit>(form, "editFPDLevel")->isReadOnly());
  EXPECT_FALSE(Child<TSpeedButton>(form, "btnVentilblockAn")->isEnabled());
  EXPECT_FALSE(Child<TSpeedButton>(form, "btnMesskammerAn")->isEnabled());
  EXPECT_FALSE(Child<QPushButton>(form, "btnIgnition")->isEnabled());
  for (TSpeedButton *t : form.findChildren<TSpeedButton *>()) EXPECT_TRUE(t->isCheckable());
  EXPECT_EQ(form.findChildren<TSpeedButton *>().size(), 7);

  EXPECT_EQ(Child<QTimer>(form, "Timer1")->interval(), 95);
  EXPECT_FALSE(Child<QTimer>(form, "Timer1")->isActive());
  EXPECT_FALSE(Child<QTimer>(form, "Timer1")->isSingleShot());
}

TEST(Layout, GroupBoxesAreLightGrey) {
  TForm1 form;
  for (const TControlRow &row : TForm1::ControlTable())
    if (row.Kind == Group) {
      EXPECT_EQ(row.Stored(form)->palette().color(QPalette::Window), QColor(227, 227, 227)) << row.Name;
    }
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
        {Child<TLabel>(form, "lblFPDAir"), Child<QLineEdit>(form, "editFPDAir"),
         "2000 " + zelvo::GetLangString(id, zelvo::kTextAirMbar)},
        {Child<TLabel>(form, "lblFPDH2"), Child<QLineEdit>(form, "editFPDH2"),
         "2000 " + zelvo::GetLangString(id, zelvo::kTextH2Mbar)},
        {Child<TLabel>(form, "lblFPDAir"), Child<QLineEdit>(form, "editFPDAir"), "0"},
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
  Child<TStatusBar>(form, "statusbarRun")->SetText(longText);
  EXPECT_EQ(Child<TStatusBar>(form, "statusbarRun")->toolTip(), longText);
}
