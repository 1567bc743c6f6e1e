// The captioning walk on a small window with one control of each kind, with a text table
// in which text n reads "T<n>" (and a few real ones where the content matters).
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include "ui/CaptionWalk.h"
#include "ui/TZeLed.h"
#include "ui/Tag.h"
#include "ui/Widgets.h"

using namespace zelvo;

namespace {

template <class T, class... A>
T *Tagged(QWidget *parent, int tag, const QString &caption, A &&...args) {
  auto *c = new T(parent, std::forward<A>(args)...);
  SetTag(c, tag);
  if constexpr (std::is_base_of_v<QAbstractButton, T>) c->setText(caption);
  return c;
}

QString Text(int id) { return QStringLiteral("T%1").arg(id); }

}  // namespace

TEST(CaptionWalk, EachKindGetsItsCaptionFromItsTag) {
  QWidget window;
  auto *tabs = new QTabWidget(&window);
  auto *page = new TTabSheet;
  SetTag(page, 6);
  tabs->addTab(page, QStringLiteral("design"));
  auto *list = Tagged<TValueListEditor>(page, 115, {});
  auto *label = Tagged<TLabel>(page, 1, {});
  auto *rg = Tagged<TRadioGroup>(page, 11, {});
  rg->SetItems({QStringLiteral("a"), QStringLiteral("b")});
  auto *group = Tagged<QGroupBox>(page, 40, {});
  auto *check = Tagged<QCheckBox>(group, 44, QStringLiteral("design"));
  auto *button = Tagged<QPushButton>(group, 29, QStringLiteral("design"));
  auto *toggle = Tagged<TSpeedButton>(group, 23, QStringLiteral("design"));
  auto *memo = Tagged<TLabeledMemo>(page, 51, {});
  auto *led = Tagged<TZLed>(group, 31, {});
  // Kinds the walk leaves alone even with a Tag, and controls without one.
  auto *edit = Tagged<QLineEdit>(page, 3, {});
  edit->setText(QStringLiteral("typed"));
  auto *labeled = Tagged<TLabeledEdit>(page, 5, {}, TLabelPosition::Right);
  labeled->setText(QStringLiteral("2,05"));
  labeled->EditLabel()->setText(QStringLiteral("Aceton"));
  auto *ports = Tagged<TCheckListBox>(page, 7, {});
  ports->EditLabel()->setText(QStringLiteral("COM Ports"));
  auto *service = Tagged<QPushButton>(page, 0, QStringLiteral("Service"));
  auto *valve = Tagged<TZLed>(group, 0, {});
  valve->SetCaption(QStringLiteral("V11"));

  CaptionWalk(&window, Text);

  EXPECT_EQ(tabs->tabText(0), "T6");
  EXPECT_EQ(page->Caption(), "T6");
  EXPECT_EQ(list->ColTitle(0), "T115");
  EXPECT_EQ(list->ColTitle(1), "T116");
  EXPECT_EQ(label->text(), "T1");
  EXPECT_EQ(label->width(), label->sizeHint().width());  // sized to its caption
  EXPECT_EQ(rg->title(), "T11");
  EXPECT_EQ(rg->Items(), QStringList({"T9", "T10"}));  // fixed numbers, not Tag-relative
  EXPECT_EQ(group->title(), "T40");
  EXPECT_EQ(check->text(), "T44");
  EXPECT_EQ(button->text(), "T29");
  EXPECT_EQ(toggle->text(), "T23");
  EXPECT_EQ(memo->EditLabel()->text(), "T51");
  EXPECT_EQ(led->Caption(), "T31");
  EXPECT_EQ(edit->text(), "typed");
  EXPECT_EQ(labeled->text(), "2,05");
  EXPECT_EQ(labeled->EditLabel()->text(), "Aceton");
  EXPECT_EQ(ports->EditLabel()->text(), "COM Ports");
  EXPECT_EQ(service->text(), "Service");
  EXPECT_EQ(valve->Caption(), "V11");
}

TEST(CaptionWalk, SecondListTakesItsTitlesFromItsOwnTagAndMissingTextsEmpty) {
  QWidget window;
  auto *ch = Tagged<TValueListEditor>(&window, 115, {});
  auto *s = Tagged<TValueListEditor>(&window, 117, {});
  auto *label = Tagged<TLabel>(&window, 500, {});
  label->setText(QStringLiteral("design"));
  CaptionWalk(&window, [](int id) { return id == 500 ? QString() : Text(id); });
  EXPECT_EQ(ch->ColTitle(0), "T115");
  EXPECT_EQ(ch->ColTitle(1), "T116");
  EXPECT_EQ(s->ColTitle(0), "T117");
  EXPECT_EQ(s->ColTitle(1), "T118");
  EXPECT_EQ(label->text(), QString());  // a missing text empties the caption, no error
}

TEST(CaptionWalk, VisitsControlsInCreationOrderDepthFirst) {
  QWidget window;
  auto *a = Tagged<TLabel>(&window, 1, {});
  auto *group = Tagged<QGroupBox>(&window, 2, {});
  auto *b = Tagged<TLabel>(group, 3, {});
  auto *c = Tagged<TLabel>(&window, 4, {});
  QList<int> order;
  CaptionWalk(&window, [&](int id) {
    order << id;
    return Text(id);
  });
  EXPECT_EQ(order, QList<int>({1, 2, 3, 4}));
  EXPECT_EQ(a->text() + b->text() + c->text(), "T1T3T4");
}
