// Where the program keeps its files: beside itself when copied into a folder of its own, per
// user when installed, elsewhere with --settings.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <optional>

#include "core/ProgramFolders.h"

using namespace zelvo;

namespace {

// Sets an environment variable for the life of the object.
class EnvGuard {
 public:
  EnvGuard(const char *name, std::optional<QByteArray> value) : name_(name) {
    if (qEnvironmentVariableIsSet(name)) old_ = qgetenv(name);
    if (value)
      qputenv(name, *value);
    else
      qunsetenv(name);
  }
  ~EnvGuard() {
    if (old_)
      qputenv(name_, *old_);
    else
      qunsetenv(name_);
  }

 private:
  const char *name_;
  std::optional<QByteArray> old_;
};

void Write(const QString &path, const QByteArray &bytes) {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

QByteArray Read(const QString &path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class ProgramFolders : public ::testing::Test {
 protected:
  void SetUp() override {
    root = QDir(dir.path()).absolutePath();
    QDir().mkpath(root + "/usr/bin");
    QDir().mkpath(root + "/home");
    Write(root + "/usr/share/zelvo730/CH-Substanzen.txt", "Aceton=2,05\r\n");
    Write(root + "/usr/share/zelvo730/S-Substanzen.txt", "THT=1\r\n");
  }
  QTemporaryDir dir;
  QString root;
};

TEST_F(ProgramFolders, InstalledOrCopiedByTheExecutablesPlace) {
  EnvGuard home("HOME", (root + "/home").toLocal8Bit());
  EnvGuard xdg("XDG_CONFIG_HOME", (root + "/cfg").toLocal8Bit());
  QDir().mkpath(root + "/bare/bin");            // a bin/ without the program's share folder
  QDir().mkpath(root + "/lab/share/zelvo730");  // the share folder, but not beside bin/
  struct Case {
    const char *exeDir;
    bool installed;
    const char *settings, *data;
  } const cases[] = {
      {"/usr/bin", true, "/cfg/zelvo730", "/home"},
      {"/usr/bin/", true, "/cfg/zelvo730", "/home"},
      {"/bare/bin", false, "/bare/bin", "/bare/bin"},
      {"/lab", false, "/lab", "/lab"},
  };
  for (const Case &c : cases) {
    const TProgramFolders f = ProgramFoldersFor(root + c.exeDir);
    EXPECT_EQ(f.Installed, c.installed) << c.exeDir;
    EXPECT_EQ(f.Settings, root + c.settings) << c.exeDir;
    EXPECT_EQ(f.Data, root + c.data) << c.exeDir;
    EXPECT_EQ(f.DefaultLists, c.installed ? root + "/usr/share/zelvo730" : QString()) << c.exeDir;
  }
}

TEST_F(ProgramFolders, UserFolderFollowsXdgConfigHome) {
  EnvGuard home("HOME", (root + "/home").toLocal8Bit());
  const struct {
    std::optional<QByteArray> xdg;
    QString expected;
  } cases[] = {
      {(root + "/cfg").toLocal8Bit(), root + "/cfg/zelvo730"},
      {std::nullopt, root + "/home/.config/zelvo730"},
      {QByteArray(""), root + "/home/.config/zelvo730"},
      {QByteArray("relative/cfg"), root + "/home/.config/zelvo730"},  // not absolute: ignored
  };
  for (const auto &c : cases) {
    EnvGuard xdg("XDG_CONFIG_HOME", c.xdg);
    EXPECT_EQ(UserSettingsFolder(), c.expected) << (c.xdg ? c.xdg->constData() : "(unset)");
  }
}

TEST_F(ProgramFolders, SettingsOptionReplacesTheSettingsFolder) {
  EnvGuard home("HOME", (root + "/home").toLocal8Bit());
  const QString other = root + "/second";
  const TProgramFolders installed = ProgramFoldersFor(root + "/usr/bin", other);
  EXPECT_TRUE(installed.Installed);
  EXPECT_EQ(installed.Settings, other);
  EXPECT_EQ(installed.Data, root + "/home");
  EXPECT_EQ(installed.DefaultLists, root + "/usr/share/zelvo730");

  // A copied program's second folder starts with the lists beside the program.
  const TProgramFolders copied = ProgramFoldersFor(root + "/lab", other);
  EXPECT_FALSE(copied.Installed);
  EXPECT_EQ(copied.Settings, other);
  EXPECT_EQ(copied.Data, other);
  EXPECT_EQ(copied.DefaultLists, root + "/lab");
  EXPECT_TRUE(ProgramFoldersFor(root + "/lab", root + "/lab/").DefaultLists.isEmpty());

  // A relative folder is taken from the working folder.
  EXPECT_EQ(ProgramFoldersFor(root + "/lab", "rel").Settings, QDir::current().absoluteFilePath("rel"));
}

TEST_F(ProgramFolders, PrepareCreatesTheFolderAndCopiesOnlyMissingLists) {
  EnvGuard home("HOME", (root + "/home").toLocal8Bit());
  EnvGuard xdg("XDG_CONFIG_HOME", (root + "/cfg").toLocal8Bit());
  const TProgramFolders f = ProgramFoldersFor(root + "/usr/bin");
  Write(f.Settings + "/S-Substanzen.txt", "Lab=3\r\n");  // the lab's own list
  QString error;
  ASSERT_TRUE(PrepareSettingsFolder(f, &error)) << error.toStdString();
  EXPECT_EQ(Read(f.Settings + "/CH-Substanzen.txt"), "Aceton=2,05\r\n");
  EXPECT_EQ(Read(f.Settings + "/S-Substanzen.txt"), "Lab=3\r\n");
  EXPECT_TRUE(QFileInfo(f.Settings + "/CH-Substanzen.txt").isWritable()) << "the copy is the user's to edit";

  // A folder that cannot be made is an error, not a silent success.
  Write(root + "/file", "x");
  TProgramFolders blocked = f;
  blocked.Settings = root + "/file/zelvo730";
  EXPECT_FALSE(PrepareSettingsFolder(blocked, &error));
  EXPECT_TRUE(error.contains(blocked.Settings));
}

}  // namespace
