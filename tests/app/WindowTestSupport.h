#pragma once
// Shared by the window tests: the stopped test clock, recorded message boxes, the commands
// the window queued, and the window's controls reached by name and worked by real events.
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <QApplication>
#include <QDateTime>
#include <QLineEdit>
#include <QStringList>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/Zelvo730_Main.h"
#include "core/Clock.h"
#include "core/IniFile.h"
#include "core/Language.h"
#include "core/Settings.h"
#include "link/ComPort.h"
#include "ui/Dialogs.h"

// The window's control of that objectName and type; a missing one fails the test (the
// exception ends the test body with the name in its message).
template <class T>
T *Child(const QObject &form, const char *name) {
  T *child = form.findChild<T *>(QLatin1String(name));
  if (!child) throw std::runtime_error(std::string("the window has no control ") + name + " of that type");
  return child;
}

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
    QObject::connect(&form.Session, &zelvo::TSession::ChartChanged, [this] { chartChanged = true; });
  }
  // The tick's last step as the window runs it: the chart drawn once if the session changed
  // it since.
  void DrawChartIfChanged() {
    if (!chartChanged) return;
    chartChanged = false;
    Child<QCustomPlot>(form, "Chart1")->replot();
  }
  QTemporaryDir dir;
  TForm1 form;
  bool chartChanged = false;
};

// Takes the commands the window queued for the tick.
inline QStringList TakeQueued(TForm1 &form) {
  QStringList q(form.Session.CommandQueue.begin(), form.Session.CommandQueue.end());
  form.Session.CommandQueue.clear();
  return q;
}

// What the operator does to reach a control: the window shown and active, the page that
// holds the control brought up if it is hidden, the focus put on it. The window's enter and
// leave handlers follow the application's focus, so they run as for a click or a Tab.
inline void FocusOn(TForm1 &form, QWidget *control) {
  if (!form.isVisible()) form.show();
  QApplication::setActiveWindow(&form);
  auto *pages = Child<QTabWidget>(form, "PageControl");
  for (int i = 0; i < pages->count() && !control->isVisible(); ++i)
    if (pages->widget(i)->isAncestorOf(control)) pages->setCurrentIndex(i);
  control->setFocus(Qt::MouseFocusReason);
  QApplication::processEvents();
}

// The operator enters `text` in the field and leaves it: the focus moves on to the page that
// holds the field (on no other field, whose own leave handler would run next time).
inline void EnterAndLeave(TForm1 &form, QLineEdit *field, const QString &text) {
  FocusOn(form, field);
  field->setText(text);
  Child<QTabWidget>(form, "PageControl")->currentWidget()->setFocus(Qt::MouseFocusReason);
  QApplication::processEvents();
  EXPECT_FALSE(field->hasFocus()) << "the focus stayed in " << field->objectName().toStdString();
}

// A left click in the middle of the control.
inline void Click(QWidget *control) { QTest::mouseClick(control, Qt::LeftButton); }

// The start-up as main() runs it, in `language` (kGermanOffset or kEnglishOffset), with a
// settings file in `dir` that names ports which do not exist: the captions, the stored values
// and the substance lists are shown, then the start-up ends at the missing converter with its
// messages (a test records them).
inline void StartWithoutInstrument(TForm1 &form, const QString &dir, int language) {
  const QString ini = dir + QStringLiteral("/Zelvo730.ini");
  zelvo::CreateSettingsFileIfMissing(ini, dir);
  zelvo::TIniFile settings(ini);
  settings.WriteString("Language", "Code", language == zelvo::kGermanOffset ? "DE" : "US");
  settings.WriteString("Communication", "ComPortA", dir + QStringLiteral("/missing-a"));
  settings.WriteString("Communication", "ComPortB", dir + QStringLiteral("/missing-b"));
  form.Session.ProgramDirOverride = dir;
  form.Session.DiagLog.SetEchoToStderr(false);
  for (TSerialPort *port : {form.Session.ComPort1, form.Session.ComPort2})
    if (port && port->Active()) port->Close();  // a port a test opened before
  form.FormCreate();
  EXPECT_TRUE(form.TerminateRequested);
  EXPECT_EQ(form.Session.ID, language);
}
