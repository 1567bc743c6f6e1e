#pragma once
// A simulator process in a folder of its own, and a client on one of its links that plays
// the program's side of the wire (raw mode, lines cut at CR, LF dropped).
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <optional>
#include <vector>

namespace simtest {

// Seconds since an arbitrary start, for deadlines.
double Seconds();

class SimProcess {
 public:
  // Starts zelvo730-sim with --port1 (and --port2 when `twoPorts`), --log and --truth in a
  // temporary folder, plus `extraArgs`; waits until the links exist.
  explicit SimProcess(const QStringList &extraArgs = {}, bool twoPorts = false,
                      const QByteArray &scenario = {});
  ~SimProcess();

  QString Link(int port) const;
  QString LogPath() const { return dir_.filePath(QStringLiteral("sim.log")); }
  QString TruthPath() const { return dir_.filePath(QStringLiteral("truth.jsonl")); }
  QStringList LogLines() const;
  QStringList TruthLines() const;
  // Waits until a log line contains `text`.
  bool WaitForLog(const QString &text, double seconds = 3.0) const;
  void Stdin(const QByteArray &command);
  qint64 Pid() const { return proc_.processId(); }
  // SIGTERM and wait; the exit code, or -1 if it did not end normally. A second call gives
  // the first call's result.
  int Terminate();
  bool started() const { return started_; }

 private:
  QTemporaryDir dir_;
  QProcess proc_;
  bool started_ = false;
  std::optional<int> exitCode_;
};

class Client {
 public:
  explicit Client(const QString &path);
  ~Client();
  bool ok() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  void Send(const QByteArray &bytes);
  void Send(const QString &command) { Send(command.toLatin1()); }
  // The next line, or nothing within the timeout.
  std::optional<QString> Line(double timeoutSeconds = 2.0);
  // Lines until one satisfies `last` (included), or the timeout.
  std::vector<QString> LinesUntil(const std::function<bool(const QString &)> &last, double timeoutSeconds);
  // Raw bytes for `seconds`.
  QByteArray Bytes(double seconds);
  // Send a command and take the next line.
  std::optional<QString> Ask(const QString &command, double timeoutSeconds = 2.0);

 private:
  bool Fill(double timeoutSeconds);
  int fd_ = -1;
  QByteArray buf_;
};

}  // namespace simtest
