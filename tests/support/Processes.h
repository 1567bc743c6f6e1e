#pragma once
// The package's programs started as processes by the tests: a command run to its end with
// what it printed, and the window's executable copied into a test's folder (where it keeps its
// settings) and started there without a screen and without message boxes.
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace testsupport {

// What a command left: its exit code (-1 when it crashed or did not end in time) and its
// standard output and error.
struct Ran {
  int exit = -1;
  QString out, err;
};

struct RunOptions {
  QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
  QString WorkDir;  // empty: the test's own
  int TimeoutMs = 10000;
};

// Runs `exe` with `args` to its end; one that does not end within the time is killed.
inline Ran RunToEnd(const QString &exe, const QStringList &args, const RunOptions &options = {}) {
  QProcess p;
  p.setProcessEnvironment(options.Env);
  if (!options.WorkDir.isEmpty()) p.setWorkingDirectory(options.WorkDir);
  p.start(exe, args);
  Ran r;
  if (!p.waitForFinished(options.TimeoutMs)) {
    p.kill();
    p.waitForFinished();
    return r;
  }
  r.exit = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
  r.err = QString::fromLocal8Bit(p.readAllStandardError());
  return r;
}

// The environment of the window's executable in a test: no screen, and messages that would
// be boxes go to standard error.
inline QProcessEnvironment WindowEnvironment() {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("ZELVO_NO_DIALOGS"), QStringLiteral("1"));
  return env;
}

// A runnable copy of the executable `from` at `to`; false when it could not be made.
inline bool CopyExecutable(const QString &from, const QString &to) {
  return QFile::copy(from, to) && QFile::setPermissions(to, QFile::permissions(to) | QFileDevice::ExeOwner);
}

// Copies the window's executable `from` to `exe` and starts the copy in the background
// (its standard error passed through); false when the copy or the start failed.
inline bool StartWindowCopy(QProcess &program, const QString &from, const QString &exe) {
  if (!CopyExecutable(from, exe)) return false;
  program.setProcessEnvironment(WindowEnvironment());
  program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  program.start(exe, {});
  return program.waitForStarted(5000);
}

}  // namespace testsupport
