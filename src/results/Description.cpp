#include "results/Description.h"

#include <algorithm>

namespace zelvo {

namespace {

bool IsEnter(QChar key) { return key == u'\r' || key == u'\n'; }

// A character that puts text into the line: printable ones and Tab.
bool IsTyped(QChar key) { return key == u'\t' || (key.isPrint() && key.category() != QChar::Other_Control); }

// Whether a line break at (row, col) keeps the text within the lines that are kept: six
// lines at most, the sixth empty.
bool BreakFits(const QStringList &lines, int row, int col) {
  const qsizetype count = std::max<qsizetype>(lines.size(), 1) + 1;
  if (count > kDescriptionMaxLines) return false;
  if (count < kDescriptionMaxLines) return true;
  // The new text has exactly six lines; its sixth is what follows the caret on row 4, or the
  // old fifth line when the break is above it.
  const int last = kDescriptionMaxLines - 2;
  const QString fifth = last < lines.size() ? lines[last] : QString();
  return row == last ? fifth.mid(col).isEmpty() : fifth.isEmpty();
}

}  // namespace

TKeyResult DescriptionKey(const QStringList &lines, int row, int col, QChar key) {
  TKeyResult r;
  r.Row = std::max(row, 0);
  r.Col = std::max(col, 0);
  if (!IsEnter(key) && !IsTyped(key)) {
    r.AfterRow = r.Row;
    r.AfterCol = r.Col;
    return r;
  }
  constexpr int kLastRow = kDescriptionMaxLines - 1;
  if (r.Row > kLastRow) {
    r.Row = kLastRow;
    const qsizetype length = kLastRow < lines.size() ? lines[kLastRow].size() : 0;
    r.Col = static_cast<int>(std::min<qsizetype>(r.Col, length));
  }
  r.AfterRow = r.Row;
  r.AfterCol = r.Col;
  if (r.Row >= kLastRow) {
    r.Action = TKeyAction::Swallow;
    return r;
  }
  const bool wantsBreak = IsEnter(key) || r.Col >= kDescriptionLineLength;
  if (!wantsBreak) {
    r.Action = TKeyAction::Insert;
    r.AfterCol = r.Col + 1;
  } else if (BreakFits(lines, r.Row, r.Col)) {
    r.Action = TKeyAction::LineBreak;
    r.AfterRow = r.Row + 1;
    r.AfterCol = 0;
  } else {
    r.Action = TKeyAction::Swallow;
  }
  return r;
}

}  // namespace zelvo
