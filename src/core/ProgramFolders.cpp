#include "core/ProgramFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zelvo {

namespace {

const char *const kFolderName = "zelvo730";
const char *const kLists[] = {"CH-Substanzen.txt", "S-Substanzen.txt"};

}  // namespace

QString InstalledShareFolder(const QString &exeDir) {
  const QDir bin(exeDir);
  if (bin.dirName() != QStringLiteral("bin")) return {};
  const QString share = QDir::cleanPath(bin.absoluteFilePath(QStringLiteral("../share/")) + u'/' +
                                        QString::fromLatin1(kFolderName));
  return QFileInfo(share).isDir() ? share : QString();
}

QString UserSettingsFolder() {
  QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (base.isEmpty() || !QDir::isAbsolutePath(base)) base = QDir::homePath() + QStringLiteral("/.config");
  return QDir::cleanPath(base + u'/' + QString::fromLatin1(kFolderName));
}

TProgramFolders ProgramFoldersFor(const QString &exeDir, const QString &settingsOverride) {
  TProgramFolders f;
  f.DefaultLists = InstalledShareFolder(exeDir);
  f.Installed = !f.DefaultLists.isEmpty();
  f.Settings = f.Installed ? UserSettingsFolder() : QDir::cleanPath(exeDir);
  f.Data = f.Installed ? QDir::homePath() : f.Settings;
  if (!settingsOverride.isEmpty()) {
    f.Settings = QDir::cleanPath(QDir::current().absoluteFilePath(settingsOverride));
    // A copied program's second settings folder starts with the lists beside the program.
    if (!f.Installed) {
      f.Data = f.Settings;
      if (f.Settings != QDir::cleanPath(exeDir)) f.DefaultLists = QDir::cleanPath(exeDir);
    }
  }
  return f;
}

bool PrepareSettingsFolder(const TProgramFolders &folders, QString *error) {
  if (!QDir().mkpath(folders.Settings)) {
    if (error) *error = QStringLiteral("cannot create the folder ") + folders.Settings;
    return false;
  }
  if (folders.DefaultLists.isEmpty()) return true;
  const QDir to(folders.Settings), from(folders.DefaultLists);
  for (const char *name : kLists) {
    const QString list = QString::fromLatin1(name);
    const QFileInfo target(to.filePath(list));
    if (target.exists() || target.isSymLink() || !from.exists(list)) continue;
    // A copy that fails is reported by the start-up when it reads the list.
    if (QFile::copy(from.filePath(list), target.filePath()))
      QFile::setPermissions(target.filePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                   QFileDevice::ReadGroup | QFileDevice::ReadOther);
  }
  return true;
}

}  // namespace zelvo
