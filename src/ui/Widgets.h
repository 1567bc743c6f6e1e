#pragma once
// Small controls the main window needs and Qt lacks, in the shape the rest of the program
// expects: labels that size themselves to their caption, toggle ("speed") buttons, tab
// pages, a radio group, edits and memos with an attached caption label, the two-column
// name/value list, a one-panel status bar, a read-only check list with a label, and a
// separator line. Plus the window's fonts and focus enter/exit notifications.
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QTableWidget>
#include <QWidget>
#include <functional>

class QDropEvent;
class QMimeData;

class QButtonGroup;
class QRadioButton;

namespace zelvo {

// The window's font: a sans face of Tahoma-like metrics at a pixel height.
QFont UiFont(int pixelSize = 11, bool bold = false);

// Group box drawn as on the instrument's PCs: an etched frame through the middle of the
// caption line, the caption at the top left; with SetColor the whole box is filled.
class TGroupBox : public QGroupBox {
  Q_OBJECT
 public:
  explicit TGroupBox(QWidget *parent = nullptr);
  void SetColor(const QColor &c);

 protected:
  void paintEvent(QPaintEvent *e) override;
};

// Calls `f` when the input focus moves from outside `w` (and its children) into it, or
// from inside to a control outside it, within the same window. Focus going to another
// window (a message box, another program) and coming back is neither.
void OnEnter(QWidget *w, std::function<void()> f);
void OnExit(QWidget *w, std::function<void()> f);

// A label that, like the labels of the window description, sizes its width to its caption
// whenever the caption is set through this class (left and top stay).
class TLabel : public QLabel {
  Q_OBJECT
 public:
  explicit TLabel(QWidget *parent = nullptr);
  void setText(const QString &text);  // sets and, with AutoSize, fits the width
  bool AutoSize() const { return fAutoSize; }
  void SetAutoSize(bool on) { fAutoSize = on; }
  void AdjustWidth();
  // Called after the label sized itself (the control it is attached to re-places it).
  std::function<void()> OnSized;

 private:
  bool fAutoSize = true;
};

// Push button whose caption may break into lines: at "\r\n" always, and between words
// where it does not fit when WordWrap is on.
class TButton : public QPushButton {
  Q_OBJECT
 public:
  explicit TButton(QWidget *parent = nullptr);
  bool WordWrap() const { return fWordWrap; }
  void SetWordWrap(bool on);
  // Where the caption is drawn, and the text as drawn (without carriage returns).
  QRect CaptionRect() const;
  static QString DrawnText(const QString &caption);

 protected:
  void paintEvent(QPaintEvent *e) override;

 private:
  bool fWordWrap = false;
};

// Two-state button that stays down or up; each click flips it.
class TSpeedButton : public QPushButton {
  Q_OBJECT
 public:
  explicit TSpeedButton(QWidget *parent = nullptr);
};

// One page of the tab area; its caption is the tab text of its page.
class TTabSheet : public QWidget {
  Q_OBJECT
 public:
  explicit TTabSheet(QWidget *parent = nullptr);
  QString Caption() const;
  void SetCaption(const QString &text);
};

// A group of radio buttons (one per item) under a caption. Click is emitted only when the
// operator changes the selection; setting ItemIndex from the program emits nothing.
class TRadioGroup : public TGroupBox {
  Q_OBJECT
 public:
  explicit TRadioGroup(QWidget *parent = nullptr);
  void SetItems(const QStringList &items);
  QStringList Items() const;
  void SetItemText(int index, const QString &text);
  int ItemIndex() const;  // -1 when nothing is selected
  void SetItemIndex(int index);
  QRadioButton *Button(int index) const;

 signals:
  void Click();

 protected:
  void resizeEvent(QResizeEvent *e) override;

 private:
  void ArrangeButtons();
  QButtonGroup *fGroup;
  QList<QRadioButton *> fButtons;
  int fLastIndex = -1;
};

// Where an attached caption label sits beside its control.
enum class TLabelPosition { Above, Left, Right };

// A dragged factor carries its text under a type of its own and no plain text, so that only
// the factor fields take it and no other edit field or the description inserts it.
inline constexpr char kFactorMimeType[] = "application/x-zelvo730-factor";
QMimeData *NewFactorMimeData(const QString &factor);
QString FactorOfMimeData(const QMimeData *mime);  // empty when it is no factor drag

// An edit field with an attached caption label (a sibling of the field, kept beside it).
class TLabeledEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit TLabeledEdit(QWidget *parent, TLabelPosition pos = TLabelPosition::Left);
  TLabel *EditLabel() const { return fLabel; }
  void SetLabelPosition(TLabelPosition pos);
  TLabelPosition LabelPosition() const { return fPos; }
  void PlaceLabel();  // also on every move, resize and show of the field (AttachLabel)
  // Drag-over hook for factor drags (kFactorMimeType; any other drag is refused without
  // asking): called with the object being dragged; set `accept` to take the drop.
  // An accepted drop changes nothing here: the dragged control's end-drag handler fills
  // the field (the drop target is QDrag::target()).
  std::function<void(QObject *source, bool &accept)> OnDragOver;

 protected:
  void dragEnterEvent(QDragEnterEvent *e) override;
  void dragMoveEvent(QDragMoveEvent *e) override;
  void dropEvent(QDropEvent *e) override;

 private:
  bool AcceptsDrag(const QDropEvent *e) const;
  TLabel *fLabel;
  TLabelPosition fPos;
};

// A multi-line edit with an attached caption label above it, and a key filter that may
// change or swallow each typed character (Enter arrives as '\r', Backspace as '\b').
class TLabeledMemo : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit TLabeledMemo(QWidget *parent);
  TLabel *EditLabel() const { return fLabel; }
  void PlaceLabel();
  // Set `key` to a null QChar to swallow the character.
  std::function<void(QChar &key)> OnKeyPress;

 protected:
  void keyPressEvent(QKeyEvent *e) override;

 private:
  TLabel *fLabel;
};

// Two-column list of name=value rows under a title row. Names are unique: a row whose name
// already exists is refused, and renaming a row to an existing name is undone.
class TValueListEditor : public QTableWidget {
  Q_OBJECT
 public:
  explicit TValueListEditor(QWidget *parent = nullptr);
  QString ColTitle(int col) const;
  void SetColTitle(int col, const QString &text);
  // Rows as "name=value" (the name is everything before the first '=').
  QStringList Strings() const;
  void SetStrings(const QStringList &lines);
  int RowCount() const { return rowCount(); }
  QString Key(int row) const;
  QString Value(int row) const;
  bool InsertRow(const QString &key, const QString &value, int beforeRow = -1);
  void DeleteRow(int row);
  int FindKey(const QString &key) const;  // row of `key`, or -1

 signals:
  void MouseDown(Qt::MouseButton button, int x, int y);
  // Emitted by the drag-and-drop code when a drag of this list ends; target may be null.
  void EndDrag(QObject *target);

 protected:
  bool eventFilter(QObject *o, QEvent *e) override;
  void keyPressEvent(QKeyEvent *e) override;

 private:
  void OnItemChanged(QTableWidgetItem *item);
  QStringList fKeys;  // the accepted name of every row, to undo a duplicate rename
  bool fFilling = false;
};

// One-panel status bar.
class TStatusBar : public QFrame {
  Q_OBJECT
 public:
  explicit TStatusBar(QWidget *parent = nullptr);
  QString Text() const { return fText; }
  void SetText(const QString &text);

 protected:
  void paintEvent(QPaintEvent *e) override;

 private:
  QString fText;
};

// Read-only list of checkable items with an attached caption label above it.
class TCheckListBox : public QListWidget {
  Q_OBJECT
 public:
  explicit TCheckListBox(QWidget *parent);
  TLabel *EditLabel() const { return fLabel; }
  void AddItem(const QString &text, bool checked = false);
  QString ItemText(int index) const;
  void SetItemText(int index, const QString &text);
  bool Checked(int index) const;
  void SetChecked(int index, bool checked);
  void PlaceLabel();

 private:
  TLabel *fLabel;
};

// A sunken horizontal line across the middle of its area.
class TTechnicalLine : public QFrame {
  Q_OBJECT
 public:
  explicit TTechnicalLine(QWidget *parent = nullptr);

 protected:
  void paintEvent(QPaintEvent *e) override;
};

}  // namespace zelvo
