#include "results/Description.h"

#include <algorithm>

namespace zelvo {

namespace {

bool IsEnter(QChar key) { return key == u'\r' || key == u'\n'; }

// A character that puts text into the line: printable ones and Tab.
bool IsTyped(QChar key) { return key == u'\t' || (key.isPrint() && key.category() != QChar::Other_Control); }

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
  TKeyAction action = TKeyAction::Insert;
  if (IsEnter(key))
    action = r.Row >= kLastRow ? TKeyAction::Swallow : TKeyAction::LineBreak;
  else if (r.Col >= kDescriptionLineLength)
    action = TKeyAction::LineBreak;
  if (r.Row > kLastRow) {
    r.Row = kLastRow;
    const qsizetype length = kLastRow < lines.size() ? lines[kLastRow].size() : 0;
    r.Col = static_cast<int>(std::min<qsizetype>(r.Col, length));
  }
  r.Action = action;
  r.AfterRow = r.Row;
  r.AfterCol = r.Col;
  if (action == TKeyAction::Insert) {
    r.AfterCol = r.Col + 1;
  } else if (action == TKeyAction::LineBreak) {
    r.AfterRow = r.Row + 1;
    r.AfterCol = 0;
  }
  return r;
}

}  // namespace zelvo
