// The small controls: attached labels, the name/value list, the radio group's operator
// click, the memo's key filter, the read-only port list, and focus enter/exit.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QRadioButton>
#include <memory>

#include "ui/Widgets.h"

using namespace zelvo;

namespace {

void Key(QWidget *w, int key, const QString &text, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QKeyEvent press(QEvent::KeyPress, key, mods, text);
  QCoreApplication::sendEvent(w, &press);
}

}  // namespace

TEST(LabeledEdit, LabelStaysBesideTheFieldOnItsSide) {
  QWidget parent;
  parent.resize(400, 200);
  parent.show();
  auto *right = new TLabeledEdit(&parent, TLabelPosition::Right);
  right->setGeometry(8, 38, 40, 21);
  right->EditLabel()->setText(QStringLiteral("Isobutan"));
  const QRect rl = right->EditLabel()->geometry();
  EXPECT_EQ(rl.left(), 8 + 40 + 3);
  EXPECT_LE(std::abs(rl.center().y() - right->geometry().center().y()), 1);
  EXPECT_GE(rl.width(), right->EditLabel()->sizeHint().width());

  auto *left = new TLabeledEdit(&parent, TLabelPosition::Left);
  left->setGeometry(300, 73, 40, 21);
  left->EditLabel()->setText(QStringLiteral("THT"));
  const int shortRight = left->EditLabel()->geometry().right();
  // A longer name grows to the left; its right end stays next to the field.
  left->EditLabel()->setText(QStringLiteral("Methylmercaptan"));
  EXPECT_EQ(left->EditLabel()->geometry().right(), shortRight);
  EXPECT_EQ(left->EditLabel()->geometry().right() + 1 + 3, 300);
  left->show();
  EXPECT_TRUE(left->EditLabel()->isVisible());
  left->move(320, 73);  // the label follows the field
  EXPECT_EQ(left->EditLabel()->geometry().right() + 1 + 3, 320);
  EXPECT_EQ(left->EditLabel()->parentWidget(), &parent);
  left->hide();
  EXPECT_FALSE(left->EditLabel()->isVisible());
}

TEST(ValueListEditor, RowsTitlesAndUniqueNames) {
  TValueListEditor list;
  list.SetColTitle(0, QStringLiteral("CH - Chemikalie"));
  list.SetColTitle(1, QStringLiteral("CH - Faktor"));
  EXPECT_EQ(list.ColTitle(0), QStringLiteral("CH - Chemikalie"));
  EXPECT_EQ(list.ColTitle(1), QStringLiteral("CH - Faktor"));

  // The name is everything before the first '='; no '=' gives an empty factor.
  list.SetStrings({QStringLiteral("Aceton=2,05"), QStringLiteral("a=b=c"), QStringLiteral("Toluol")});
  EXPECT_EQ(list.RowCount(), 3);
  EXPECT_EQ(list.Key(1), QStringLiteral("a"));
  EXPECT_EQ(list.Value(1), QStringLiteral("b=c"));
  EXPECT_EQ(list.Value(2), QString());
  EXPECT_EQ(list.Strings(), QStringList({"Aceton=2,05", "a=b=c", "Toluol="}));

  EXPECT_FALSE(list.InsertRow(QStringLiteral("Aceton"), QStringLiteral("9")));  // name exists
  EXPECT_EQ(list.RowCount(), 3);
  EXPECT_TRUE(list.InsertRow(QStringLiteral("Hexan"), QStringLiteral("1,1"), 0));
  EXPECT_EQ(list.Key(0), QStringLiteral("Hexan"));

  // Renaming a row to an existing name is undone; to a new name is kept.
  list.item(2, 0)->setText(QStringLiteral("Hexan"));
  EXPECT_EQ(list.Key(2), QStringLiteral("a"));
  list.item(2, 0)->setText(QStringLiteral("Benzol"));
  EXPECT_EQ(list.Key(2), QStringLiteral("Benzol"));
  EXPECT_EQ(list.FindKey(QStringLiteral("Benzol")), 2);
  list.DeleteRow(0);
  EXPECT_EQ(list.FindKey(QStringLiteral("Benzol")), 1);
  EXPECT_TRUE(list.InsertRow(QStringLiteral("Hexan"), QString()));  // free again
  // A duplicate line of a list file is dropped when the list is filled.
  list.SetStrings({QStringLiteral("THT=1,00"), QStringLiteral("THT=2")});
  EXPECT_EQ(list.Strings(), QStringList({"THT=1,00"}));
}

TEST(ValueListEditor, MouseDownReportsButtonAndControlCoordinates) {
  TValueListEditor list;
  list.resize(240, 167);
  list.SetStrings({QStringLiteral("Aceton=2,05")});
  list.show();
  Qt::MouseButton button = Qt::NoButton;
  QPoint at;
  QObject::connect(&list, &TValueListEditor::MouseDown, [&](Qt::MouseButton b, int x, int y) {
    button = b;
    at = QPoint(x, y);
  });
  const QPoint inViewport(30, 5);
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(inViewport),
                    list.viewport()->mapToGlobal(QPointF(inViewport)), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(list.viewport(), &press);
  EXPECT_EQ(button, Qt::LeftButton);
  EXPECT_EQ(at, list.viewport()->mapTo(&list, inViewport));  // below the title row
  EXPECT_GT(at.y(), inViewport.y());
}

TEST(RadioGroup, ClickOnlyWhenTheOperatorChangesTheSelection) {
  TRadioGroup rg;
  rg.resize(149, 61);
  rg.SetItems({QStringLiteral("ASTM"), QStringLiteral("EN374")});
  int clicks = 0;
  QObject::connect(&rg, &TRadioGroup::Click, [&] { ++clicks; });
  rg.SetItemIndex(1);  // from the program: no click
  EXPECT_EQ(rg.ItemIndex(), 1);
  EXPECT_EQ(clicks, 0);
  rg.Button(1)->click();  // the selected item again: no change
  EXPECT_EQ(clicks, 0);
  rg.Button(0)->click();
  EXPECT_EQ(rg.ItemIndex(), 0);
  EXPECT_EQ(clicks, 1);
  rg.SetItemIndex(-1);
  EXPECT_EQ(rg.ItemIndex(), -1);
  rg.SetItemText(1, QStringLiteral("EN16523-1 (23°C)"));
  EXPECT_EQ(rg.Items(), QStringList({"ASTM", "EN16523-1 (23°C)"}));
}

TEST(LabeledMemo, KeyFilterMayReplaceOrSwallowTheCharacter) {
  QWidget parent;
  auto *memo = new TLabeledMemo(&parent);
  memo->setGeometry(229, 15, 492, 85);
  memo->EditLabel()->setText(QStringLiteral("Versuchsbeschreibung"));
  EXPECT_EQ(memo->EditLabel()->geometry().bottom() + 1 + 3, 15);
  parent.show();
  memo->setFocus();
  QList<QChar> seen;
  memo->OnKeyPress = [&](QChar &key) {
    seen << key;
    if (key == QLatin1Char('x')) key = QChar();            // swallowed
    if (key == QLatin1Char('y')) key = QLatin1Char('\r');  // becomes a line break
  };
  Key(memo, Qt::Key_A, QStringLiteral("a"));
  Key(memo, Qt::Key_X, QStringLiteral("x"));
  Key(memo, Qt::Key_Y, QStringLiteral("y"));
  Key(memo, Qt::Key_B, QStringLiteral("b"));
  Key(memo, Qt::Key_Return, QStringLiteral("\r"));
  Key(memo, Qt::Key_Backspace, QStringLiteral("\b"));
  EXPECT_EQ(memo->toPlainText(), QStringLiteral("a\nb"));
  EXPECT_EQ(seen, QList<QChar>({'a', 'x', 'y', 'b', '\r', '\b'}));
}

TEST(CheckListBox, ShowsTicksTheOperatorCannotChange) {
  QWidget parent;
  auto *box = new TCheckListBox(&parent);
  box->setGeometry(428, 139, 146, 34);
  box->EditLabel()->setText(QStringLiteral("COM Ports"));
  parent.show();
  box->AddItem(QStringLiteral("COM2 12345"), true);
  box->AddItem(QStringLiteral("COM3 --------"));
  EXPECT_TRUE(box->Checked(0));
  EXPECT_FALSE(box->Checked(1));
  EXPECT_FALSE(box->item(1)->flags() & Qt::ItemIsUserCheckable);
  box->SetChecked(1, true);
  box->SetItemText(1, QStringLiteral("COM3 67890"));
  EXPECT_TRUE(box->Checked(1));
  EXPECT_EQ(box->ItemText(1), QStringLiteral("COM3 67890"));
  EXPECT_EQ(box->EditLabel()->geometry().bottom() + 1 + 3, 139);
}

TEST(Focus, EnterAndExitOfAFieldAndOfAContainer) {
  QWidget window;
  auto *page = new QWidget(&window);
  auto *inside1 = new QLineEdit(page);
  auto *inside2 = new QLineEdit(page);
  auto *outside = new QLineEdit(&window);
  QStringList log;
  OnEnter(inside1, [&] { log << "enter1"; });
  OnExit(inside1, [&] { log << "exit1"; });
  OnExit(page, [&] { log << "exitPage"; });
  window.show();
  QApplication::setActiveWindow(&window);
  inside1->setFocus();
  inside2->setFocus();  // leaves the field, stays on the page
  outside->setFocus();  // leaves the page
  inside1->setFocus();
  EXPECT_EQ(log, QStringList({"enter1", "exit1", "exitPage", "enter1"}));

  // Focus going to another window (a message box) and back is no exit.
  log.clear();
  QWidget other;
  auto *otherEdit = new QLineEdit(&other);
  other.show();
  QApplication::setActiveWindow(&other);
  otherEdit->setFocus();
  QApplication::setActiveWindow(&window);
  EXPECT_EQ(QApplication::focusWidget(), inside1);
  EXPECT_TRUE(log.isEmpty()) << log.join(",").toStdString();
}

TEST(Focus, DestroyingTheWindowIsNoExit) {
  // A window going away with the focus inside must not run exit handlers on controls (and
  // a window object) that are half destroyed.
  QStringList log;
  {
    auto *window = new QWidget;
    auto *page = new QWidget(window);
    auto *a = new QLineEdit(page);
    new QLineEdit(page);
    new QLineEdit(window);
    OnExit(a, [&] { log << "exitA"; });
    OnExit(page, [&] { log << "exitPage"; });
    window->show();
    QApplication::setActiveWindow(window);
    a->setFocus();
    delete window;
  }
  QCoreApplication::processEvents();
  EXPECT_TRUE(log.isEmpty()) << log.join(",").toStdString();
}

// A factor drag carries its own type and no plain text; the field asks its hook about a
// factor drag only and refuses every other drag, plain text included.
TEST(LabeledEdit, OnlyAFactorDragIsAskedOfTheHookAndNothingIsInserted) {
  // Qt delivers drops only inside a real drag; call the handler directly.
  struct Field : TLabeledEdit {
    using TLabeledEdit::dropEvent;
    using TLabeledEdit::TLabeledEdit;
  };
  QWidget parent;
  auto *field = new Field(&parent, TLabelPosition::Right);
  field->setText(QStringLiteral("1,00"));
  const std::unique_ptr<QMimeData> factor(NewFactorMimeData(QStringLiteral("2,05")));
  EXPECT_FALSE(factor->hasText());
  EXPECT_EQ(FactorOfMimeData(factor.get()), QStringLiteral("2,05"));
  QMimeData text;
  text.setText(QStringLiteral("2,05"));
  EXPECT_EQ(FactorOfMimeData(&text), QString());
  auto drop = [&](QMimeData *mime) {
    QDropEvent e(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
    e.setAccepted(false);
    field->dropEvent(&e);
    return e.isAccepted();
  };
  EXPECT_FALSE(drop(factor.get()));  // no hook: refused
  int asked = 0;
  field->OnDragOver = [&](QObject *, bool &accept) {
    ++asked;
    accept = true;
  };
  EXPECT_FALSE(drop(&text));
  EXPECT_EQ(asked, 0);
  EXPECT_TRUE(drop(factor.get()));
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(field->text(), QStringLiteral("1,00"));  // the end-drag handler fills the field
}
