#pragma once
// Shared by the window tests: the stopped test clock, recorded message boxes, and the
// commands the window queued.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QStringList>
#include <QTemporaryDir>
#include <vector>

#include "app/Zelvo730_Main.h"
#include "core/Clock.h"
#include "ui/Dialogs.h"

// A test on the real clock whose message boxes are recorded. The sink goes in the tear-down,
// which runs also when an assertion ended the test early, so no later test reports into
// this test's dead vector.
class WithRecordedMessages : public ::testing::Test {
 protected:
  void SetUp() override {
    zelvo::Clock::SetReal();
    zelvo::Dialogs::SetSink([this](const zelvo::DialogMessage &m) { messages.push_back(m); });
  }
  void TearDown() override {
    zelvo::Dialogs::ClearSink();
    zelvo::Clock::SetReal();
  }
  std::vector<zelvo::DialogMessage> messages;
};

// The same on the stopped clock (8:00 on a fixed day).
class OnTestClock : public WithRecordedMessages {
 protected:
  void SetUp() override {
    WithRecordedMessages::SetUp();
    zelvo::Clock::SetManual(zelvo::ToDateTime(QDateTime(QDate(2026, 12, 10), QTime(8, 0))));
  }
};

// A window of its own on the stopped clock: settings in a temporary folder, English texts,
// no log on stderr.
class WindowOnTestClock : public OnTestClock {
 protected:
  void SetUp() override {
    OnTestClock::SetUp();
    form.Session.ProgramDirOverride = dir.path();
    form.Session.DiagLog.SetEchoToStderr(false);
    form.Session.ID = 1000;
  }
  QTemporaryDir dir;
  TForm1 form;
};

// Takes the commands the window queued for the tick.
inline QStringList TakeQueued(TForm1 &form) {
  QStringList q(form.Session.CommandQueue.begin(), form.Session.CommandQueue.end());
  form.Session.CommandQueue.clear();
  return q;
}
