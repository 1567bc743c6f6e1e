// The program's executable as a user starts it: installed (in <prefix>/bin beside
// <prefix>/share/zelvo730) it keeps its files in $XDG_CONFIG_HOME/zelvo730 and writes nothing
// beside itself; copied into a folder of its own it keeps them there; --settings names another
// folder. No instrument answers, so each start ends after the settings are in place.
#if defined(ZELVO_APP_PATH)
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "core/IniFile.h"
#include "core/Version.h"
#include "support/Processes.h"

using namespace zelvo;
using namespace testsupport;

namespace {

class ProgramFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    root = QDir(dir.path()).absolutePath();
    QDir().mkpath(root + "/home");
  }

  // A copy of the executable at `path` (relative to the scratch folder), with the default
  // substance lists in `listsFolder`.
  QString Place(const QString &path, const QString &listsFolder) {
    const QString exe = root + '/' + path;
    QDir().mkpath(QFileInfo(exe).path());
    QDir().mkpath(root + '/' + listsFolder);
    EXPECT_TRUE(CopyExecutable(QStringLiteral(ZELVO_APP_PATH), exe));
    for (const char *list : {"CH-Substanzen.txt", "S-Substanzen.txt"}) {
      QFile f(root + '/' + listsFolder + '/' + list);
      EXPECT_TRUE(f.open(QIODevice::WriteOnly));
      f.write("Aceton=2,05\r\n");
    }
    return exe;
  }

  Ran Start(const QString &exe, const QStringList &args = {}) {
    RunOptions options{WindowEnvironment(), root + "/home", 30000};
    options.Env.insert("HOME", root + "/home");
    options.Env.insert("XDG_CONFIG_HOME", root + "/cfg");
    return RunToEnd(exe, args, options);
  }

  static QStringList Files(const QString &folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
  }

  // The settings file exists with the creation values, its data folders at `data`; then a
  // port named in it is what the next start tries to open (the file is read back).
  void ExpectCreatedAndReadBack(const QString &exe, const QString &folder, const QString &data,
                                const QStringList &args = {}) {
    const QString ini = folder + "/Zelvo730.ini";
    ASSERT_TRUE(QFileInfo::exists(ini)) << ini.toStdString();
    TIniFile file(ini);
    EXPECT_EQ(file.ReadString("Language", "Code", ""), "DE");
    EXPECT_EQ(file.ReadString("DeviceTyp", "Typ", ""), "FID");
    EXPECT_EQ(file.ReadString("Measurement", "DataDir", ""), data + '/');
    EXPECT_EQ(file.ReadString("Measurement", "InitialDir", ""), data + '/');
    for (const char *list : {"CH-Substanzen.txt", "S-Substanzen.txt"})
      EXPECT_TRUE(QFileInfo::exists(folder + '/' + list)) << list;

    const QString port = root + "/no-such-adapter";
    file.WriteString("Communication", "ComPortA", port);
    const Ran again = Start(exe, args);
    EXPECT_EQ(again.exit, 1);
    EXPECT_TRUE(again.err.contains(port)) << again.err.toStdString();
  }

  QTemporaryDir dir;
  QString root;
};

TEST_F(ProgramFiles, InstalledKeepsItsFilesPerUserAndWritesNothingBesideItself) {
  const QString exe = Place("usr/bin/zelvo730", "usr/share/zelvo730");
  const Ran first = Start(exe);
  EXPECT_EQ(first.exit, 1) << "no instrument answers";
  ExpectCreatedAndReadBack(exe, root + "/cfg/zelvo730", root + "/home");
  EXPECT_EQ(Files(root + "/usr/bin"), QStringList{"zelvo730"});
  EXPECT_EQ(Files(root + "/usr/share/zelvo730"), (QStringList{"CH-Substanzen.txt", "S-Substanzen.txt"}));
  EXPECT_EQ(Files(root + "/home"), QStringList{}) << "the data folder is not written at start-up";
}

TEST_F(ProgramFiles, CopiedKeepsItsFilesBesideItself) {
  const QString exe = Place("lab/Zelvo730", "lab");
  Start(exe);
  ExpectCreatedAndReadBack(exe, root + "/lab", root + "/lab");
  EXPECT_FALSE(QFileInfo::exists(root + "/cfg")) << "a copied program leaves the user's folders alone";
}

TEST_F(ProgramFiles, SettingsOptionNamesAnotherFolder) {
  // Installed: the second folder gets the default lists from the installation.
  const QString exe = Place("usr/bin/zelvo730", "usr/share/zelvo730");
  Start(exe, {"--settings", root + "/second"});
  ExpectCreatedAndReadBack(exe, root + "/second", root + "/home", {"--settings=" + root + "/second"});
  EXPECT_FALSE(QFileInfo::exists(root + "/cfg/zelvo730/Zelvo730.ini"));

  // Copied: the lists beside the program; Qt's own options still pass.
  const QString copied = Place("lab/Zelvo730", "lab");
  Start(copied, {"-platform", "offscreen", "--settings", "../third"});
  ExpectCreatedAndReadBack(copied, root + "/third", root + "/third", {"--settings", root + "/third"});
  EXPECT_FALSE(QFileInfo::exists(root + "/lab/Zelvo730.ini"));

  // A folder that cannot be made ends the program with a reason, before any start-up.
  QFile file(root + "/plain-file");
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  const Ran blocked = Start(copied, {"--settings", root + "/plain-file/sub"});
  EXPECT_EQ(blocked.exit, 1);
  EXPECT_TRUE(blocked.err.contains(root + "/plain-file/sub")) << blocked.err.toStdString();
}

TEST_F(ProgramFiles, CommandLine) {
  const QString exe = Place("usr/bin/zelvo730", "usr/share/zelvo730");
  const Ran help = Start(exe, {"--help"});
  EXPECT_EQ(help.exit, 0);
  EXPECT_TRUE(help.out.startsWith("usage: zelvo730 ")) << help.out.toStdString();
  EXPECT_TRUE(help.out.contains("--settings DIR"));
  const Ran version = Start(exe, {"--version"});
  EXPECT_EQ(version.exit, 0);
  EXPECT_EQ(version.out, QStringLiteral("zelvo730 " ZELVO_VERSION_TEXT "\n"));

  const struct {
    QStringList args;
    const char *named;
  } wrong[] = {
      {{"--frobnicate"}, "--frobnicate"},
      {{"--settings"}, "--settings"},
      {{"--settings", ""}, "--settings"},
      {{"--settings", "a", "--settings", "b"}, "twice"},
      {{"stray"}, "stray"},
  };
  for (const auto &w : wrong) {
    const Ran r = Start(exe, w.args);
    EXPECT_EQ(r.exit, 2) << w.args.join(' ').toStdString();
    EXPECT_TRUE(r.err.contains(w.named) && r.err.contains("--help")) << r.err.toStdString();
    EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
  }
  EXPECT_FALSE(QFileInfo::exists(root + "/cfg")) << "help, version and wrong arguments create nothing";
}

}  // namespace
#endif
