#pragma once
// One simulated serial port: a pseudo-terminal pair whose slave device is reachable through a
// symbolic link at a path of the caller's choice, as a USB adapter is reachable through its
// /dev/serial/by-id name.
//
// Facts of Linux ptys this class keeps to:
// - It keeps a descriptor of the slave side open for its whole life. Without one, the master
//   polls POLLHUP at once and forever whenever the program has its port closed (a restart, a
//   reconnect), which would turn the event loop into a busy loop.
// - It never changes termios: from the master side they are the slave's settings too, and the
//   program's line settings must stay the program's.
// - It cannot know when the program has put its side into raw mode, so the owner sends nothing
//   unsolicited before the first command has arrived (until then the slave's default line
//   discipline echoes bytes back and turns CR into LF).
// - The master runs in packet mode (a mode of the master, not a line setting), which reports
//   the program's discarding of its input at open; the bytes still queued here for the port
//   are then discarded as well.
#include <QByteArray>
#include <QObject>
#include <QString>

#include "Wire.h"

class QSocketNotifier;

namespace zelvo::sim {

class PtyPort : public QObject, public Wire {
  Q_OBJECT

 public:
  PtyPort(int number, QString linkPath, QObject *parent = nullptr);
  ~PtyPort() override;

  // Creates a new pty pair and points the link at its slave. Refuses to replace anything at
  // the link path that is not a symbolic link.
  bool Open(QString &error) override;
  // The adapter is unplugged: both sides closed (the program reads end of file, the device
  // node disappears), the link removed.
  void Hangup() override;
  bool IsOpen() const override { return master_ >= 0; }

  int Number() const { return number_; }
  const QString &LinkPath() const override { return linkPath_; }
  const QString &DeviceName() const override { return slaveName_; }

  // Queues bytes for the program. Droppable bytes (data lines) are dropped while more than
  // kOutputCap bytes wait; returns false when they were. Nothing happens on a closed port.
  bool Send(const QByteArray &bytes, bool droppable) override;
  // Bytes waiting for the program; above kOutputCap a data line would be dropped.
  qsizetype Backlog() const override { return out_.size() - outPos_; }
  // Counts data bytes lost without being formed (the caller skipped them while over the cap).
  void CountDropped(qint64 bytes) override;

 signals:
  void lineReceived(const QByteArray &line);  // without CR; LF removed; never empty
  void notice(const QString &text);           // something for the log
  // (Both also reach Wire's onLine and onNotice.)

 private:
  void OnReadable();
  void Flush();
  void CloseFds();
  void RemoveLink();

  int number_;
  QString linkPath_;
  QString slaveName_;
  int master_ = -1;
  int slave_ = -1;
  bool packet_ = false;  // the master is in packet mode
  QSocketNotifier *readNotifier_ = nullptr;
  QSocketNotifier *writeNotifier_ = nullptr;
  QByteArray in_;
  bool overlong_ = false;
  QByteArray out_;
  qsizetype outPos_ = 0;  // bytes of out_ already written
  qint64 droppedBytes_ = 0;
};

}  // namespace zelvo::sim
