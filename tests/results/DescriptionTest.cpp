#include <gtest/gtest.h>

#include "results/Description.h"

using namespace zelvo;

namespace {
const QString k60(60, u'a');
const QStringList kFive{"one", "two", "three", "four", "five"};
const QStringList kFour{"1", "2", "3", "4"};
const QStringList kSix{"1", "2", "3", "4", "5", ""};
const QStringList kDesign{"Zeile 1", "Zeile 2", "Zeile 3", "Zeile 4", "Zeile 5", ""};  // ends with a break
const QStringList kFullFifth{"1", "2", "3", "4", k60};
const QStringList kFullFourth{"1", "2", "3", k60, "5"};
const QStringList kEight{"1", "2", "3", "4", "5", "ab", "", "cdef"};

using A = TKeyAction;
struct Caret {
  int row, col;
};
struct Case {
  const char *name;
  QStringList lines;
  Caret caret;
  QChar key;
  A action;
  Caret at, after;  // where the key takes effect, where the caret stands afterwards
};
}  // namespace

TEST(DescriptionKey, LineLengthAndLineCount) {
  const Case cases[] = {
      {"typed", {"abc"}, {0, 3}, u'x', A::Insert, {0, 3}, {0, 4}},
      {"empty text", {}, {0, 0}, u'x', A::Insert, {0, 0}, {0, 1}},
      {"tab is typed", {"abc"}, {0, 1}, u'\t', A::Insert, {0, 1}, {0, 2}},
      {"61st character breaks the line", {k60}, {0, 60}, u'x', A::LineBreak, {0, 60}, {1, 0}},
      {"caret column counts, not length", {k60 + "bb"}, {0, 10}, u'x', A::Insert, {0, 10}, {0, 11}},
      {"backspace at column 60", {k60}, {0, 60}, QChar(8), A::Pass, {0, 60}, {0, 60}},
      {"delete", {k60}, {0, 60}, QChar(0x7F), A::Pass, {0, 60}, {0, 60}},
      {"ctrl+c", {"abc"}, {0, 1}, QChar(3), A::Pass, {0, 1}, {0, 1}},
      {"enter on the fifth line opens the sixth", kFive, {4, 4}, u'\r', A::LineBreak, {4, 4}, {5, 0}},
      {"enter on the sixth line", kSix, {5, 0}, u'\r', A::Swallow, {5, 0}, {5, 0}},
      {"enter in the middle of four lines", kFour, {1, 1}, u'\n', A::LineBreak, {1, 1}, {2, 0}},
      // Enter counts the caret's row only: the text may grow past six lines (the result file
      // keeps the first five).
      {"enter that pushes the fifth line down", kFive, {1, 0}, u'\r', A::LineBreak, {1, 0}, {2, 0}},
      {"enter inside the fifth line", kFive, {4, 2}, u'\r', A::LineBreak, {4, 2}, {5, 0}},
      {"enter at the end of the start text's fifth line", kDesign, {4, 7}, u'\r', A::LineBreak, {4, 7}, {5, 0}},
      {"enter below the sixth line", kEight, {7, 1}, u'\r', A::Swallow, {5, 1}, {5, 1}},
      // A character at column 60 or later is a line break wherever the caret stands.
      {"overflow on the fifth line", kFullFifth, {4, 60}, u'x', A::LineBreak, {4, 60}, {5, 0}},
      {"overflow that pushes text down", kFullFourth, {3, 60}, u'x', A::LineBreak, {3, 60}, {4, 0}},
      {"overflow on the sixth line", kFullFifth + QStringList{k60}, {5, 60}, u'x', A::LineBreak, {5, 60}, {6, 0}},
      {"typing on the sixth line", kDesign, {5, 0}, u'x', A::Insert, {5, 0}, {5, 1}},
      {"caret below the sixth line", kEight, {7, 4}, u'x', A::Insert, {5, 2}, {5, 3}},
  };
  for (const Case &c : cases) {
    const TKeyResult r = DescriptionKey(c.lines, c.caret.row, c.caret.col, c.key);
    EXPECT_EQ(r.Action, c.action) << c.name;
    EXPECT_EQ(std::make_pair(r.Row, r.Col), std::make_pair(c.at.row, c.at.col)) << c.name;
    EXPECT_EQ(std::make_pair(r.AfterRow, r.AfterCol), std::make_pair(c.after.row, c.after.col)) << c.name;
  }
}
