#include <QFileInfo>
#include <cstdio>
#include <cstring>

#include "app/Application.h"
#include "app/Zelvo730_Main.h"
#include "core/CommandLine.h"
#include "core/ProgramFolders.h"
#include "ui/Dialogs.h"

using namespace zelvo;

namespace {

const char *const kHelp =
    "usage: %1 [--settings DIR] [Qt options]\n"
    "\n"
    "Operator program of the permeation test instrument.\n"
    "\n"
    "  --settings DIR  keep the settings file, the substance lists and the log in DIR\n"
    "                  (a second instrument on the same PC); DIR is created when missing\n"
    "  --help          show this help and exit\n"
    "  --version       show the version and exit\n"
    "\n"
    "Without --settings an installed program keeps its files in $XDG_CONFIG_HOME/zelvo730\n"
    "(~/.config/zelvo730), a program copied into a folder of its own beside itself.\n"
    "Qt's own options are given with one dash (-platform offscreen). See zelvo730(1).\n";

struct TArguments {
  QString SettingsDir;
  std::optional<int> Exit;
};

// --settings DIR, and "--" options that nobody knows. Options with one dash belong to Qt,
// which takes them (and their values) when the application object is created.
TArguments ReadArguments(int argc, char **argv, const QString &program) {
  TArguments r;
  bool afterQtOption = false;
  for (int i = 1; i < argc; ++i) {
    const char *a = argv[i];
    const bool qtOption = a[0] == '-' && a[1] != '-' && a[1] != '\0';
    if (std::strcmp(a, "--settings") == 0 || std::strncmp(a, "--settings=", 11) == 0) {
      const char *value = a[10] == '=' ? a + 11 : (i + 1 < argc ? argv[++i] : "");
      if (*value == '\0') {
        r.Exit = UsageError(program, QStringLiteral("--settings needs a folder"));
        return r;
      }
      if (!r.SettingsDir.isEmpty()) {
        r.Exit = UsageError(program, QStringLiteral("--settings given twice"));
        return r;
      }
      r.SettingsDir = QString::fromLocal8Bit(value);
    } else if (a[0] == '-' && a[1] == '-') {
      r.Exit = UnknownOption(program, QString::fromLocal8Bit(a));
      return r;
    } else if (!qtOption && !afterQtOption) {
      r.Exit = UsageError(program, QStringLiteral("unexpected argument ") + QString::fromLocal8Bit(a));
      return r;
    }
    afterQtOption = qtOption;
  }
  return r;
}

}  // namespace

int main(int argc, char *argv[]) {
  const QString program = argc > 0 ? QFileInfo(QString::fromLocal8Bit(argv[0])).fileName() : QString();
  const QString name = program.isEmpty() ? QStringLiteral("zelvo730") : program;
  if (const auto exit = AnswerHelpOrVersion(argc, argv, name, QString::fromLatin1(kHelp).arg(name)))
    return *exit;
  const TArguments args = ReadArguments(argc, argv, name);
  if (args.Exit) return *args.Exit;

  TApplication app(argc, argv);
  app.setApplicationName(QStringLiteral("Zelvo730"));
  const TProgramFolders folders = ProgramFoldersFor(QCoreApplication::applicationDirPath(), args.SettingsDir);
  QString error;
  if (!PrepareSettingsFolder(folders, &error)) {
    // Started from the menu there is no terminal to read: the box says it too.
    std::fprintf(stderr, "%s: %s\n", name.toLocal8Bit().constData(), error.toLocal8Bit().constData());
    if (!qEnvironmentVariableIsSet("ZELVO_NO_DIALOGS"))
      Dialogs::Error(nullptr, QStringLiteral("Zelvo730"), error);
    return 1;
  }
  TForm1 form;
  form.Session.ProgramDirOverride = folders.Settings;
  form.Session.DataDirDefault = folders.Data;
  form.FormCreate();
  // The start-up ended the program (no converter, a port that cannot be opened): the
  // window is never shown.
  if (form.TerminateRequested) return form.ExitCode != 0 ? form.ExitCode : 1;
  // SIGTERM, SIGINT and the session's quit end a run properly before the program ends.
  form.InstallExitHandling();
  form.show();
  return app.exec();
}
