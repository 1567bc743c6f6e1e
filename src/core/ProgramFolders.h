#pragma once
// Where the program keeps its settings file, substance lists and diagnostic log.
//
// A program copied into a folder of its own keeps them beside itself, as on the instrument's
// PCs. An installed program (its executable in <prefix>/bin beside <prefix>/share/zelvo730)
// keeps them per user in $XDG_CONFIG_HOME/zelvo730 (default ~/.config/zelvo730) and never
// writes below its prefix; the default substance lists come from <prefix>/share/zelvo730.
// The rule is decided at run time, so one build serves both.
#include <QString>

namespace zelvo {

struct TProgramFolders {
  bool Installed = false;
  QString Settings;      // the settings file, the substance lists and the diagnostic log
  QString Data;          // creation value of the data folders in a new settings file
  QString DefaultLists;  // where the default substance lists are, empty when there are none
};

// <prefix>/share/zelvo730 when `exeDir` is <prefix>/bin of an installation, else empty.
QString InstalledShareFolder(const QString &exeDir);

// $XDG_CONFIG_HOME/zelvo730, or ~/.config/zelvo730 when XDG_CONFIG_HOME is unset or not an
// absolute path.
QString UserSettingsFolder();

// The folders of a program whose executable is in `exeDir`; `settingsOverride` (--settings)
// replaces the settings folder when not empty.
TProgramFolders ProgramFoldersFor(const QString &exeDir, const QString &settingsOverride = {});

// Creates the settings folder when missing and copies the default substance lists into it
// where it has none yet (a list already there is the lab's own). Returns false with `error`
// when the folder cannot be created.
bool PrepareSettingsFolder(const TProgramFolders &folders, QString *error = nullptr);

}  // namespace zelvo
