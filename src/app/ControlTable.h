#pragma once
// The window's controls as data: one row per control, in creation order (which is also the
// order of the captioning walk and the order in which siblings are drawn, later over
// earlier). CreateControls walks the rows; the layout test reads them.
#include <QRect>
#include <span>

class QWidget;
class TForm1;

namespace zelvo {

// What a row creates. The kinds are the window's own controls (src/ui/Widgets.h).
enum class TControlKind {
  Chart,        // QCustomPlot
  Banner,       // QLabel that does not size itself (the lost-link bar)
  Tabs,         // QTabWidget
  Page,         // TTabSheet, added as the next tab of its parent (a Tabs row)
  Label,        // TLabel, sizes its width to its caption
  Edit,         // QLineEdit
  Group,        // TGroupBox
  Button,       // QPushButton
  WrapButton,   // TButton whose caption breaks between words
  Toggle,       // TSpeedButton
  Led,          // TZLed
  StatusBar,    // TStatusBar
  Line,         // TTechnicalLine
  Check,        // QCheckBox
  Radio,        // TRadioGroup
  Ports,        // TCheckListBox
  List,         // TValueListEditor
  Memo,         // QPlainTextEdit
  LabeledEdit,  // TLabeledEdit
  LabeledMemo,  // TLabeledMemo
  ViewSwitch,   // TChartSwitch: "Signal" / "Permeation" above the chart area
  Permeation,   // TPermeationPanel: the permeation chart and its figures in the chart's place
};

// Row flags.
enum TControlFlag : unsigned {
  kReadOnly = 1u << 0,    // an edit that shows, not takes, a value
  kDisabled = 1u << 1,    // disabled until the program enables it
  kAlignRight = 1u << 2,  // caption at the right edge
  kLabelLeft = 1u << 3,   // a labeled edit with its label on the left
  kLabelRight = 1u << 4,  // ... on the right
  kLedYellow = 1u << 5,   // a LED's colour (green otherwise)
  kLedRed = 1u << 6,
  kWhite = 1u << 7,  // a page on white instead of the system's grey
};

struct TFontStyle {
  int PixelSize;
  bool Bold;
};

using THandler = void (TForm1::*)();

struct TControlRow {
  const char *Name;                    // objectName, and the name of the member that holds it
  void (*Store)(TForm1 &, QWidget *);  // puts the created control into that member
  QWidget *(*Stored)(const TForm1 &);  // and reads it back
  TControlKind Kind;
  const char *Parent;  // objectName of the containing control; "ClientArea" for the window
  QRect Place;         // left, top, width, height in the parent (a Page's comes from its tabs)
  int Tag = 0;         // the caption's text number, 0 for none
  TFontStyle Font = {11, false};
  const char *Caption = nullptr;     // the design caption, shown until (or instead of) the Tag's text
  THandler OnClick = nullptr;        // clicked (buttons, toggles, LEDs, radio group); text changed (memo)
  THandler OnExit = nullptr;         // focus left the control
  THandler OnEnter = nullptr;        // focus entered the control
  const char *MayOverlap = nullptr;  // siblings this control overlaps on purpose, names separated by spaces
  unsigned Flags = 0;
};

}  // namespace zelvo
