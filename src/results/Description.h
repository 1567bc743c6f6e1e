#pragma once
// The key filter of the experiment description: at most 60 typed characters a line (a
// character typed at column 60 or later becomes a line break and is lost), and Enter opens
// no line after the sixth. The result file keeps the first five lines.
//
// Backspace and Delete stay the editor's at any column: turning them into a line break would
// make a long line impossible to shorten from its end.
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
// for Enter). Enter with the caret on the sixth line or below is swallowed; any other typed
// character at column 60 or later becomes a line break, wherever the caret stands. A caret
// below the sixth line is then put on the sixth, keeping its column as far as that line
// reaches, and the key takes effect there.
TKeyResult DescriptionKey(const QStringList &lines, int row, int col, QChar key);

}  // namespace zelvo
