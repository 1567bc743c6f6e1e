#pragma once
// A client on one of the simulator's links (support/SimBench.h starts the simulator) that
// plays the program's side of the wire (raw mode, lines cut at CR, LF dropped).
#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace simtest {

// Seconds since an arbitrary start, for deadlines.
double Seconds();

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
