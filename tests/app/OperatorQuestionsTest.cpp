// The questions the window asks the operator before something that cannot be undone: closing
// during a run, and starting a run that would save nothing. Neither stops the tick.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "RunWindowTest.h"
#include "core/Language.h"
#include "ui/Dialogs.h"

using namespace zelvo;

namespace {

class OperatorQuestions : public RunWindow {
 protected:
  // Answers every question with `answer` and keeps its text.
  void Answer(int answer) {
    Dialogs::SetAnswerer([this, answer](const DialogMessage &m) {
      questions << m.text;
      return answer;
    });
  }
  void CloseDuringRun(bool delayed);
  QStringList questions;
};

TEST_F(OperatorQuestions, ClosingWithoutARunIsImmediate) {
  Answer(0);
  EXPECT_TRUE(form.close());
  EXPECT_TRUE(questions.isEmpty());
}

// Closing during a run or an armed delay asks; "Keep measuring" changes nothing, "End the
// run and close" ends the run (the commands reaching the instrument are shown against the
// simulator). Each case in a window of its own: a confirmed close is final.
void OperatorQuestions::CloseDuringRun(bool delayed) {
  const QString ending = QStringLiteral("The run ends: the program is closing (the window was closed)");
  Answer(1);  // no result file: "run without saving"
  if (delayed) {
    Child<QLineEdit>(form, "editStartdelay")->setText("01:00");
    Click(Child<QPushButton>(form, "btnDelay"));
    ASSERT_TRUE(form.Session.Sequencer.DelayArmed());
  } else {
    Click(Child<QPushButton>(form, "btnStart"));
    ASSERT_EQ(form.Session.Sequencer.State().runTag, 1);
  }
  ASSERT_TRUE(TickUntil([&] { return delayed || form.Session.Sequencer.State().runTag > 1; }, 5));
  questions.clear();

  // "Keep measuring": everything goes on.
  Answer(1);
  EXPECT_FALSE(form.close());
  QCoreApplication::processEvents();
  EXPECT_EQ(questions, QStringList{GetLangString(kEnglishOffset, kTextCloseDuringRun)});
  TickUntil([] { return false; }, 1);
  EXPECT_TRUE(form.Session.Sequencer.State().runTag != 0 || form.Session.Sequencer.DelayArmed());
  EXPECT_FALSE(Log().contains(ending));

  // "End the run and close": the run ends.
  Answer(0);
  form.close();
  QCoreApplication::processEvents();
  EXPECT_EQ(questions.size(), 2);
  EXPECT_EQ(form.Session.Sequencer.State().runTag, 0);
  EXPECT_FALSE(form.Session.Sequencer.DelayArmed());
  EXPECT_EQ(Log().count(ending), 1);
}

TEST_F(OperatorQuestions, ClosingDuringARunAsksAndOnlyTheConfirmationEndsTheRun) { CloseDuringRun(false); }

TEST_F(OperatorQuestions, ClosingDuringAnArmedDelayAsksAndOnlyTheConfirmationEndsIt) { CloseDuringRun(true); }

// Start with no result file: choose one (then the run starts and writes into it), run
// without saving (no warning afterwards), or cancel (no run). A Save dialog cancelled in the
// first answer starts nothing.
TEST_F(OperatorQuestions, StartWithoutAResultFileAsksFirst) {
  const QString chosen = dir.filePath("probe.csv");
  struct Case {
    int answer;
    QString dialogGives;
    bool starts;
    QString file;
  } cases[] = {
      {2, {}, false, {}},
      {0, {}, false, {}},
      {1, {}, true, {}},
      {0, chosen, true, chosen},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.answer);
    questions.clear();
    messages.clear();
    form.FileDialogHook = [&](const TForm1::TFileDialogRequest &) { return c.dialogGives; };
    Answer(c.answer);
    Click(Child<QPushButton>(form, "btnStart"));
    EXPECT_EQ(questions, QStringList{GetLangString(kEnglishOffset, kTextNoResultFileAsk)});
    EXPECT_EQ(form.Session.Sequencer.State().runTag != 0, c.starts);
    EXPECT_EQ(form.Session.Records.ResultFile(), c.file);
    for (const DialogMessage &m : messages) EXPECT_FALSE(m.text.contains("saves no results")) << m.text.toStdString();
    if (form.Session.Sequencer.State().runTag != 0) {
      Click(Child<QPushButton>(form, "btnStop"));
      ASSERT_TRUE(RunToEnd());
    }
  }
  // With a result file the Start button asks nothing.
  questions.clear();
  Click(Child<QPushButton>(form, "btnStart"));
  EXPECT_TRUE(questions.isEmpty());
  EXPECT_EQ(form.Session.Sequencer.State().runTag, 1);
}

// Nobody is at the window when the instrument asks for a run: it starts and warns without
// a question.
TEST_F(OperatorQuestions, InstrumentStartWithoutAResultFileWarnsWithoutAsking) {
  Answer(2);
  form.Session.InstrumentStartRequest();
  EXPECT_TRUE(questions.isEmpty());
  EXPECT_EQ(form.Session.Sequencer.State().runTag, 1);
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages[0].kind, DialogMessage::Notice);
  EXPECT_TRUE(messages[0].text.contains("saves no results"));
}

}  // namespace
