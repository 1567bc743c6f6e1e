#include <gtest/gtest.h>

#include "results/Description.h"

using namespace zelvo;

namespace {
const QString k60(60, u'a');
const QStringList kFive{"one", "two", "three", "four", "five"};
const QStringList kDesign{"Zeile 1", "Zeile 2", "Zeile 3", "Zeile 4", "Zeile 5", ""};  // ends with a break
}  // namespace

TEST(DescriptionKey, LineLengthAndLineCount) {
  struct Case {
    const char *name;
    QStringList lines;
    int row, col;
    QChar key;
    TKeyAction action;
    int atRow, atCol, afterRow, afterCol;
  } cases[] = {
      {"typed", {"abc"}, 0, 3, u'x', TKeyAction::Insert, 0, 3, 0, 4},
      {"empty text", {}, 0, 0, u'x', TKeyAction::Insert, 0, 0, 0, 1},
      {"tab is typed", {"abc"}, 0, 1, u'\t', TKeyAction::Insert, 0, 1, 0, 2},
      {"61st character breaks the line", {k60}, 0, 60, u'x', TKeyAction::LineBreak, 0, 60, 1, 0},
      {"short line, caret column counts", {k60 + "bb"}, 0, 10, u'x', TKeyAction::Insert, 0, 10, 0, 11},
      {"backspace at column 60", {k60}, 0, 60, QChar(8), TKeyAction::Pass, 0, 60, 0, 60},
      {"delete", {k60}, 0, 60, QChar(0x7F), TKeyAction::Pass, 0, 60, 0, 60},
      {"ctrl+c", {"abc"}, 0, 1, QChar(3), TKeyAction::Pass, 0, 1, 0, 1},
      {"enter on the fifth line opens the sixth", kFive, 4, 4, u'\r', TKeyAction::LineBreak, 4, 4, 5, 0},
      {"enter on the sixth line", {"1", "2", "3", "4", "5", ""}, 5, 0, u'\r', TKeyAction::Swallow, 5, 0, 5, 0},
      {"enter in the middle of four lines", {"1", "2", "3", "4"}, 1, 1, u'\n', TKeyAction::LineBreak, 1, 1, 2, 0},
      // Text pushed onto the sixth line would not be kept.
      {"enter that pushes the fifth line down", kFive, 1, 0, u'\r', TKeyAction::Swallow, 1, 0, 1, 0},
      {"enter inside the fifth line", kFive, 4, 2, u'\r', TKeyAction::Swallow, 4, 2, 4, 2},
      {"enter would make a seventh line", kDesign, 4, 7, u'\r', TKeyAction::Swallow, 4, 7, 4, 7},
      {"overflow on the fifth line", {"1", "2", "3", "4", k60}, 4, 60, u'x', TKeyAction::LineBreak, 4, 60, 5, 0},
      {"overflow that pushes text down", {"1", "2", "3", k60, "5"}, 3, 60, u'x', TKeyAction::Swallow, 3, 60, 3,
       60},
      {"typing on the sixth line", kDesign, 5, 0, u'x', TKeyAction::Swallow, 5, 0, 5, 0},
      {"caret below the sixth line", {"1", "2", "3", "4", "5", "ab", "", "cdef"}, 7, 4, u'x',
       TKeyAction::Swallow, 5, 2, 5, 2},
  };
  for (const Case &c : cases) {
    const TKeyResult r = DescriptionKey(c.lines, c.row, c.col, c.key);
    EXPECT_EQ(r.Action, c.action) << c.name;
    EXPECT_EQ(std::make_pair(r.Row, r.Col), std::make_pair(c.atRow, c.atCol)) << c.name;
    EXPECT_EQ(std::make_pair(r.AfterRow, r.AfterCol), std::make_pair(c.afterRow, c.afterCol)) << c.name;
  }
}
