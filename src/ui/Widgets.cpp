#include "ui/Widgets.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTabWidget>

namespace zelvo {

QFont UiFont(int pixelSize, bool bold) {
  QFont f;
  // Liberation Sans is close to Tahoma's width; DejaVu Sans is on every Debian desktop.
  f.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
  f.setPixelSize(pixelSize);
  f.setBold(bold);
  return f;
}

// ------------------------------------------------------------------ focus enter / exit
namespace {

class FocusWatcher : public QObject {
 public:
  FocusWatcher(QWidget *w, std::function<void()> enter, std::function<void()> exit)
      : QObject(w), fWidget(w), fEnter(std::move(enter)), fExit(std::move(exit)) {
    QWidget *f = QApplication::focusWidget();
    fInside = f && Contains(f);
    connect(qApp, &QApplication::focusChanged, this, &FocusWatcher::Changed);
  }

 private:
  bool Contains(QWidget *x) const { return x == fWidget || fWidget->isAncestorOf(x); }
  void Changed(QWidget *, QWidget *now) {
    // Focus leaving the program or the window (or a widget being destroyed) is no exit:
    // the window keeps its focus control and gets it back.
    if (!now || !fWidget || now->window() != fWidget->window()) return;
    const bool inside = Contains(now);
    if (inside == fInside) return;
    fInside = inside;
    if (inside && fEnter) fEnter();
    if (!inside && fExit) fExit();
  }
  QPointer<QWidget> fWidget;
  std::function<void()> fEnter, fExit;
  bool fInside = false;
};

}  // namespace

void OnEnter(QWidget *w, std::function<void()> f) { new FocusWatcher(w, std::move(f), nullptr); }
void OnExit(QWidget *w, std::function<void()> f) { new FocusWatcher(w, nullptr, std::move(f)); }

// ------------------------------------------------------------------ TLabel
TLabel::TLabel(QWidget *parent) : QLabel(parent) { setTextFormat(Qt::PlainText); }

// A label whose text is cut (by its own width, the edge of its parent or a sibling drawn over
// it) shows the text in full as its tool tip; a tip set by anyone else is left alone.
static void ShowInFullAsTip(QLabel *label) {
  const char *const kOwn = "zelvoTipIsText";
  const bool ownTip = label->property(kOwn).toBool() || label->toolTip().isEmpty();
  if (!ownTip) return;
  bool cut = label->sizeHint().width() > label->width();
  if (QWidget *parent = label->parentWidget()) {
    cut = cut || !parent->rect().contains(label->geometry());
    bool above = false;
    for (QObject *o : parent->children()) {
      auto *w = qobject_cast<QWidget *>(o);
      if (w == label) {
        above = true;  // later siblings are drawn over the label
        continue;
      }
      if (above && w && !w->isHidden() && w->geometry().intersects(label->geometry())) cut = true;
    }
  }
  label->setToolTip(cut ? label->text() : QString());
  label->setProperty(kOwn, cut);
}

void TLabel::setText(const QString &text) {
  QLabel::setText(text);
  if (fAutoSize) AdjustWidth();
  ShowInFullAsTip(this);
}

void TLabel::AdjustWidth() {
  const QSize hint = sizeHint();
  resize(hint.width(), qMax(height(), hint.height()));
  if (OnSized) OnSized();
}

// ------------------------------------------------------------------ group boxes
TGroupBox::TGroupBox(QWidget *parent) : QGroupBox(parent) {}

void TGroupBox::SetColor(const QColor &c) {
  QPalette pal = palette();
  pal.setColor(QPalette::Window, c);
  setPalette(pal);
  setAutoFillBackground(true);
}

void TGroupBox::paintEvent(QPaintEvent *) {
  QPainter p(this);
  const QFontMetrics fm(font());
  const QRect frame = rect().adjusted(0, fm.height() / 2, -1, -1);
  p.setPen(palette().color(QPalette::Mid));
  p.drawRect(frame.adjusted(0, 0, -1, -1));
  p.setPen(palette().color(QPalette::Light));
  p.drawRect(frame.adjusted(1, 1, 0, 0));
  if (title().isEmpty()) return;
  const QRect caption(6, 0, fm.horizontalAdvance(title()) + 4, fm.height());
  p.fillRect(caption, palette().color(QPalette::Window));
  p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
  p.setFont(font());
  p.drawText(caption, Qt::AlignCenter, title());
}

// ------------------------------------------------------------------ TButton
TButton::TButton(QWidget *parent) : QPushButton(parent) {}

void TButton::SetWordWrap(bool on) {
  fWordWrap = on;
  update();
}

QString TButton::DrawnText(const QString &caption) { return QString(caption).remove(QLatin1Char('\r')); }

QRect TButton::CaptionRect() const {
  QStyleOptionButton opt;
  initStyleOption(&opt);
  return style()->subElementRect(QStyle::SE_PushButtonContents, &opt, this);
}

void TButton::paintEvent(QPaintEvent *e) {
  if (!fWordWrap) {
    QPushButton::paintEvent(e);
    return;
  }
  QStylePainter p(this);
  QStyleOptionButton opt;
  initStyleOption(&opt);
  const QString caption = DrawnText(opt.text);
  opt.text.clear();
  p.drawControl(QStyle::CE_PushButton, opt);  // the button without its caption
  p.drawItemText(CaptionRect(), Qt::AlignCenter | Qt::TextWordWrap, opt.palette, isEnabled(), caption,
                 QPalette::ButtonText);
}

// ------------------------------------------------------------------ TSpeedButton
TSpeedButton::TSpeedButton(QWidget *parent) : QPushButton(parent) { setCheckable(true); }

// ------------------------------------------------------------------ TTabSheet
TTabSheet::TTabSheet(QWidget *parent) : QWidget(parent) {}

namespace {
QTabWidget *TabAreaOf(const QWidget *page) {
  for (QWidget *p = page->parentWidget(); p; p = p->parentWidget())
    if (auto *t = qobject_cast<QTabWidget *>(p)) return t;
  return nullptr;
}
}  // namespace

QString TTabSheet::Caption() const {
  QTabWidget *t = TabAreaOf(this);
  return t ? t->tabText(t->indexOf(const_cast<TTabSheet *>(this))) : QString();
}

void TTabSheet::SetCaption(const QString &text) {
  if (QTabWidget *t = TabAreaOf(this)) t->setTabText(t->indexOf(this), text);
}

// ------------------------------------------------------------------ TRadioGroup
TRadioGroup::TRadioGroup(QWidget *parent) : TGroupBox(parent), fGroup(new QButtonGroup(this)) {
  fGroup->setExclusive(true);
  connect(fGroup, &QButtonGroup::idClicked, this, [this](int id) {
    if (id == fLastIndex) return;
    fLastIndex = id;
    emit Click();
  });
}

void TRadioGroup::SetItems(const QStringList &items) {
  for (QRadioButton *b : fButtons) delete b;
  fButtons.clear();
  for (int i = 0; i < items.size(); ++i) {
    auto *b = new QRadioButton(items[i], this);
    b->setFont(font());
    fGroup->addButton(b, i);
    fButtons.append(b);
    b->show();
  }
  fLastIndex = -1;
  ArrangeButtons();
}

QStringList TRadioGroup::Items() const {
  QStringList l;
  for (QRadioButton *b : fButtons) l << b->text();
  return l;
}

void TRadioGroup::SetItemText(int index, const QString &text) {
  if (index >= 0 && index < fButtons.size()) fButtons[index]->setText(text);
}

int TRadioGroup::ItemIndex() const { return fGroup->checkedId(); }

void TRadioGroup::SetItemIndex(int index) {
  if (index < 0 || index >= fButtons.size()) {
    fGroup->setExclusive(false);
    for (QRadioButton *b : fButtons) b->setChecked(false);
    fGroup->setExclusive(true);
    index = -1;
  } else {
    fButtons[index]->setChecked(true);
  }
  fLastIndex = index;
}

QRadioButton *TRadioGroup::Button(int index) const {
  return index >= 0 && index < fButtons.size() ? fButtons[index] : nullptr;
}

void TRadioGroup::resizeEvent(QResizeEvent *e) {
  TGroupBox::resizeEvent(e);
  ArrangeButtons();
}

void TRadioGroup::ArrangeButtons() {
  if (fButtons.isEmpty()) return;
  // The items share the area below the caption evenly, one per row.
  const int top = QFontMetrics(font()).height();
  const int rowHeight = qMax(1, (height() - top - 4) / int(fButtons.size()));
  for (int i = 0; i < fButtons.size(); ++i)
    fButtons[i]->setGeometry(8, top + i * rowHeight, width() - 12, rowHeight);
}

// ------------------------------------------------------------------ attached labels
namespace {
constexpr int kLabelSpacing = 3;

// Keeps a control's caption label beside it: `place` runs on every move, resize and show of
// the control; the label shows and hides with it (not when the whole window is minimised).
class LabelFollower : public QObject {
 public:
  LabelFollower(QWidget *control, TLabel *label, std::function<void()> place)
      : QObject(control), fLabel(label), fPlace(std::move(place)) {
    control->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject *, QEvent *e) override {
    if (!fLabel) return false;
    switch (e->type()) {
      case QEvent::Move:
      case QEvent::Resize:
        fPlace();
        break;
      case QEvent::Show:
        fPlace();
        fLabel->show();
        break;
      case QEvent::Hide:
        if (!e->spontaneous()) fLabel->hide();
        break;
      default:
        break;
    }
    return false;
  }

 private:
  QPointer<TLabel> fLabel;
  std::function<void()> fPlace;
};

// The caption label of `control`, a sibling that follows it (placed by `place`).
TLabel *MakeAttachedLabel(QWidget *control, std::function<void()> place) {
  auto *l = new TLabel(control->parentWidget());
  l->setFont(control->font());
  l->resize(0, QFontMetrics(l->font()).height());
  l->OnSized = place;
  new LabelFollower(control, l, std::move(place));
  return l;
}

void PlaceAttached(TLabel *l, const QWidget *c, TLabelPosition pos) {
  const QRect g = c->geometry();
  switch (pos) {
    case TLabelPosition::Above:
      l->move(g.left(), g.top() - l->height() - kLabelSpacing);
      break;
    case TLabelPosition::Left:
      l->move(g.left() - l->width() - kLabelSpacing, g.top() + (g.height() - l->height()) / 2);
      break;
    case TLabelPosition::Right:
      l->move(g.right() + 1 + kLabelSpacing, g.top() + (g.height() - l->height()) / 2);
      break;
  }
}
}  // namespace

TLabeledEdit::TLabeledEdit(QWidget *parent, TLabelPosition pos) : QLineEdit(parent), fPos(pos) {
  fLabel = MakeAttachedLabel(this, [this] { PlaceLabel(); });
  SetLabelPosition(pos);
  setAcceptDrops(true);
}

void TLabeledEdit::SetLabelPosition(TLabelPosition pos) {
  fPos = pos;
  fLabel->setAlignment((pos == TLabelPosition::Left ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
  PlaceLabel();
}

void TLabeledEdit::PlaceLabel() { PlaceAttached(fLabel, this, fPos); }

QMimeData *NewFactorMimeData(const QString &factor) {
  auto *mime = new QMimeData;
  mime->setData(QString::fromLatin1(kFactorMimeType), factor.toUtf8());
  return mime;
}

QString FactorOfMimeData(const QMimeData *mime) {
  if (!mime || !mime->hasFormat(QString::fromLatin1(kFactorMimeType))) return {};
  return QString::fromUtf8(mime->data(QString::fromLatin1(kFactorMimeType)));
}

bool TLabeledEdit::AcceptsDrag(const QDropEvent *e) const {
  if (!e->mimeData() || !e->mimeData()->hasFormat(QString::fromLatin1(kFactorMimeType))) return false;
  bool accept = false;
  if (OnDragOver) OnDragOver(e->source(), accept);
  return accept;
}

void TLabeledEdit::dragEnterEvent(QDragEnterEvent *e) {
  if (AcceptsDrag(e))
    e->acceptProposedAction();
  else
    e->ignore();
}

void TLabeledEdit::dragMoveEvent(QDragMoveEvent *e) {
  if (AcceptsDrag(e))
    e->acceptProposedAction();
  else
    e->ignore();
}

void TLabeledEdit::dropEvent(QDropEvent *e) {
  if (AcceptsDrag(e))
    e->acceptProposedAction();  // no text is inserted here
  else
    e->ignore();
}

TLabeledMemo::TLabeledMemo(QWidget *parent) : QPlainTextEdit(parent) {
  fLabel = MakeAttachedLabel(this, [this] { PlaceLabel(); });
  setTabChangesFocus(true);
  PlaceLabel();
}

void TLabeledMemo::PlaceLabel() { PlaceAttached(fLabel, this, TLabelPosition::Above); }

void TLabeledMemo::keyPressEvent(QKeyEvent *e) {
  QChar key;
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
    key = QLatin1Char('\r');
  else if (e->key() == Qt::Key_Backspace)
    key = QLatin1Char('\b');
  else if (!e->text().isEmpty() && e->text()[0].isPrint() && !(e->modifiers() & Qt::ControlModifier))
    key = e->text()[0];
  if (!OnKeyPress || key.isNull()) {
    QPlainTextEdit::keyPressEvent(e);
    return;
  }
  const QChar typed = key;
  OnKeyPress(key);
  if (key.isNull()) {
    e->accept();
  } else if (key == QLatin1Char('\r')) {
    // Shift+Enter too: the editor's soft line break would be a line break in the text while
    // the filter counted it as part of a line.
    insertPlainText(QStringLiteral("\n"));
  } else if (key == typed) {
    QPlainTextEdit::keyPressEvent(e);
  } else if (key == QLatin1Char('\b')) {
    QKeyEvent bs(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
    QPlainTextEdit::keyPressEvent(&bs);
  } else {
    insertPlainText(QString(key));
  }
}

// ------------------------------------------------------------------ TValueListEditor
TValueListEditor::TValueListEditor(QWidget *parent) : QTableWidget(parent) {
  setColumnCount(2);
  setHorizontalHeaderItem(0, new QTableWidgetItem);
  setHorizontalHeaderItem(1, new QTableWidgetItem);
  verticalHeader()->hide();
  verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 4);
  horizontalHeader()->setHighlightSections(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::AnyKeyPressed);
  viewport()->installEventFilter(this);
  connect(this, &QTableWidget::itemChanged, this, &TValueListEditor::OnItemChanged);
}

QString TValueListEditor::ColTitle(int col) const {
  QTableWidgetItem *h = horizontalHeaderItem(col);
  return h ? h->text() : QString();
}

void TValueListEditor::SetColTitle(int col, const QString &text) {
  if (QTableWidgetItem *h = horizontalHeaderItem(col)) h->setText(text);
}

QStringList TValueListEditor::Strings() const {
  QStringList l;
  for (int r = 0; r < rowCount(); ++r) l << Key(r) + QLatin1Char('=') + Value(r);
  return l;
}

void TValueListEditor::SetStrings(const QStringList &lines) {
  setRowCount(0);
  fKeys.clear();
  for (const QString &line : lines) {
    const int eq = line.indexOf(QLatin1Char('='));
    InsertRow(eq < 0 ? line : line.left(eq), eq < 0 ? QString() : line.mid(eq + 1));
  }
}

QString TValueListEditor::Key(int row) const {
  QTableWidgetItem *i = item(row, 0);
  return i ? i->text() : QString();
}

QString TValueListEditor::Value(int row) const {
  QTableWidgetItem *i = item(row, 1);
  return i ? i->text() : QString();
}

int TValueListEditor::FindKey(const QString &key) const { return int(fKeys.indexOf(key)); }

bool TValueListEditor::InsertRow(const QString &key, const QString &value, int beforeRow) {
  if (FindKey(key) >= 0) return false;
  const int row = beforeRow < 0 || beforeRow > rowCount() ? rowCount() : beforeRow;
  fFilling = true;
  insertRow(row);
  setItem(row, 0, new QTableWidgetItem(key));
  setItem(row, 1, new QTableWidgetItem(value));
  fKeys.insert(row, key);
  fFilling = false;
  return true;
}

void TValueListEditor::DeleteRow(int row) {
  if (row < 0 || row >= rowCount()) return;
  removeRow(row);
  fKeys.removeAt(row);
}

void TValueListEditor::OnItemChanged(QTableWidgetItem *it) {
  if (fFilling || it->column() != 0) return;
  const int row = it->row();
  const QString key = it->text();
  const int other = FindKey(key);
  if (other >= 0 && other != row) {
    fFilling = true;
    it->setText(fKeys[row]);  // a second row with an existing name is refused
    fFilling = false;
    return;
  }
  fKeys[row] = key;
}

bool TValueListEditor::eventFilter(QObject *o, QEvent *e) {
  if (o == viewport() && e->type() == QEvent::MouseButtonPress) {
    auto *me = static_cast<QMouseEvent *>(e);
    const QPoint p = viewport()->mapTo(this, me->position().toPoint());
    emit MouseDown(me->button(), p.x(), p.y());
  }
  return QTableWidget::eventFilter(o, e);
}

void TValueListEditor::keyPressEvent(QKeyEvent *e) {
  const int row = currentRow();
  if (e->key() == Qt::Key_Insert && e->modifiers() == Qt::NoModifier) {
    if (InsertRow(QString(), QString(), row < 0 ? 0 : row)) setCurrentCell(row < 0 ? 0 : row, 0);
    return;
  }
  if (e->key() == Qt::Key_Delete && (e->modifiers() & Qt::ControlModifier)) {
    DeleteRow(row);
    return;
  }
  if (e->key() == Qt::Key_Down && row == rowCount() - 1 && !Key(row).isEmpty()) {
    if (InsertRow(QString(), QString())) setCurrentCell(rowCount() - 1, 0);
    return;
  }
  QTableWidget::keyPressEvent(e);
}

// ------------------------------------------------------------------ TStatusBar
TStatusBar::TStatusBar(QWidget *parent) : QFrame(parent) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(1);
}

void TStatusBar::SetText(const QString &text) {
  fText = text;
  // The bar is narrow: the whole message is always in its tool tip.
  setToolTip(text);
  update();
}

void TStatusBar::paintEvent(QPaintEvent *e) {
  QFrame::paintEvent(e);
  QPainter p(this);
  p.setFont(font());
  p.drawText(contentsRect().adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter, fText);
}

// ------------------------------------------------------------------ TCheckListBox
TCheckListBox::TCheckListBox(QWidget *parent) : QListWidget(parent) {
  fLabel = MakeAttachedLabel(this, [this] { PlaceLabel(); });
  setSelectionMode(QAbstractItemView::NoSelection);
  setFocusPolicy(Qt::NoFocus);
  PlaceLabel();
}

void TCheckListBox::AddItem(const QString &text, bool checked) {
  auto *it = new QListWidgetItem(text, this);
  it->setFlags(Qt::ItemIsEnabled);  // shown, never changed by the operator
  it->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

QString TCheckListBox::ItemText(int index) const {
  QListWidgetItem *it = item(index);
  return it ? it->text() : QString();
}

void TCheckListBox::SetItemText(int index, const QString &text) {
  if (QListWidgetItem *it = item(index)) it->setText(text);
}

bool TCheckListBox::Checked(int index) const {
  QListWidgetItem *it = item(index);
  return it && it->checkState() == Qt::Checked;
}

void TCheckListBox::SetChecked(int index, bool checked) {
  if (QListWidgetItem *it = item(index)) it->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void TCheckListBox::PlaceLabel() { PlaceAttached(fLabel, this, TLabelPosition::Above); }

// ------------------------------------------------------------------ TTechnicalLine
TTechnicalLine::TTechnicalLine(QWidget *parent) : QFrame(parent) {}

void TTechnicalLine::paintEvent(QPaintEvent *) {
  QPainter p(this);
  const int y = height() / 2;
  p.setPen(palette().color(QPalette::Dark));
  p.drawLine(0, y, width() - 1, y);
  p.setPen(palette().color(QPalette::Light));
  p.drawLine(0, y + 1, width() - 1, y + 1);
}

}  // namespace zelvo
