// A settings file that cannot be written (made read-only, or its folder): an operator's change
// is still applied and sent, the operator is told once per episode, and the file is left as
// it was.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
#include <QLineEdit>
#include <qcustomplot.h>

#include "support/Permissions.h"
#include "WindowTestSupport.h"
#include "core/IniFile.h"
#include "core/Settings.h"
#include "ui/Widgets.h"

using namespace zelvo;

namespace {

class SettingsWrite : public WindowOnTestClock {
 protected:
  void SetUp() override {
    WindowOnTestClock::SetUp();
    CreateSettingsFileIfMissing(form.Session.SettingsFile(), dir.path());
  }
  QByteArray FileBytes() const {
    QFile f(form.Session.SettingsFile());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
};

TEST_F(SettingsWrite, ReadOnlyFileOrFolderKeepsTheChangeForTheSessionAndTellsOnce) {
  struct Case {
    const char *what;
    bool folder;
  };
  for (const Case &c : {Case{"file read-only", false}, Case{"folder read-only", true}}) {
    SCOPED_TRACE(c.what);
    messages.clear();
    const QByteArray before = FileBytes();
    const QByteArray path = QFile::encodeName(c.folder ? dir.path() : form.Session.SettingsFile());
    {
      PermissionsApply permissions;
      if (!permissions.Active()) GTEST_SKIP() << "cannot give up the right to override file permissions";
      ::chmod(path.constData(), c.folder ? 0555 : 0444);
      // The chart scale: stored in the window and applied to the chart although not saved.
      EnterAndLeave(form, Child<QLineEdit>(form, "editScale"), "5000");
      EXPECT_EQ(form.Session.Measurement.Scale, 5000);
      EXPECT_EQ(Child<QCustomPlot>(form, "Chart1")->yAxis->range().upper, 5000);
      ASSERT_EQ(messages.size(), 1u);
      EXPECT_EQ(messages[0].kind, DialogMessage::Notice);
      EXPECT_TRUE(messages[0].text.contains("Zelvo730.ini")) << messages[0].text.toStdString();
      EXPECT_TRUE(Child<TStatusBar>(form, "statusbarRun")->Text().contains("not saved"));
      // A gas set point: still sent to the instrument; no second box in the same episode.
      Child<QLineEdit>(form, "edH2")->setText("700");
      Click(Child<QPushButton>(form, "btnSetH2"));
      EXPECT_EQ(form.Session.Setpoints.iH2Set, 700);
      EXPECT_TRUE(TakeQueued(form).contains("<WS02BC\r"));
      EXPECT_EQ(messages.size(), 1u);
      EXPECT_EQ(FileBytes(), before);
      ::chmod(path.constData(), c.folder ? 0755 : 0644);
    }
    // Writable again: saved, and a later failure would be told again.
    EnterAndLeave(form, Child<QLineEdit>(form, "editScale"), "6000");
    EXPECT_EQ(TIniFile(form.Session.SettingsFile()).ReadInteger("Measurement", "Scale", 0), 6000);
    EXPECT_FALSE(form.Session.SettingsWriteFailureShown);
    EXPECT_EQ(messages.size(), 1u);
  }
}

}  // namespace
