#pragma once
// The key filter of the experiment description: at most 60 typed characters a line (a
// character typed at column 60 or later becomes a line break and is lost), and never text
// on a line the result file does not keep.
//
// The description holds at most six lines; the result file keeps the first five, and the
// sixth is only the empty line after the fifth line's break. So a line break is refused
// when the text would then hold more than six lines or put text onto the sixth, and
// characters typed on the sixth line (or below) are refused.
#include <QChar>
#include <QStringList>

namespace zelvo {

constexpr int kDescriptionLineLength = 60;
constexpr int kDescriptionMaxLines = 6;

enum class TKeyAction {
  Pass,       // not a typed character (Backspace, Delete, shortcuts): the editor handles it
  Insert,     // insert the typed character at (Row, Col)
  LineBreak,  // insert a line break at (Row, Col) instead (the character is lost)
  Swallow,    // insert nothing; the caret is put on (Row, Col)
};

struct TKeyResult {
  TKeyAction Action = TKeyAction::Pass;
  int Row = 0, Col = 0;            // where the caret stands when the key takes effect
  int AfterRow = 0, AfterCol = 0;  // where it stands afterwards
};

// `lines` are the description's lines (a final line break ends in an empty last line), the
// caret is the selection start at zero-based (row, col), `key` the typed character (CR or LF
// for Enter). A caret below the sixth line is first put on the sixth, keeping its column as
// far as that line reaches.
TKeyResult DescriptionKey(const QStringList &lines, int row, int col, QChar key);

}  // namespace zelvo
