#pragma once
// The simulated instrument's end of one serial link, whatever carries the bytes: a
// pseudo-terminal (PtyPort, the simulator program) or an in-memory device (MemoryWire, runs
// in one process with the program).
#include <QByteArray>
#include <QString>
#include <functional>

namespace zelvo::sim {

class Wire {
 public:
  // Bytes waiting for the program beyond which data lines are dropped, as a wire loses what
  // a receiver does not take.
  static constexpr qsizetype kOutputCap = 256 * 1024;
  // A line longer than this without CR is dropped.
  static constexpr qsizetype kLineCap = 4096;

  virtual ~Wire() = default;

  // Makes the device appear (again) under its name.
  virtual bool Open(QString &error) = 0;
  // The adapter is unplugged: the program reads end of file, the device name disappears.
  virtual void Hangup() = 0;
  virtual bool IsOpen() const = 0;
  virtual const QString &LinkPath() const = 0;    // the name the program opens
  virtual const QString &DeviceName() const = 0;  // the device behind it

  // Queues bytes for the program. Droppable bytes (data lines) are dropped while more than
  // kOutputCap bytes wait; returns false when they were. Nothing happens on a closed wire.
  virtual bool Send(const QByteArray &bytes, bool droppable) = 0;
  // Bytes waiting for the program; above kOutputCap a data line would be dropped.
  virtual qsizetype Backlog() const = 0;
  // Counts data bytes lost without being formed (the caller skipped them while over the cap).
  virtual void CountDropped(qint64 bytes) = 0;

  // A line from the program: without CR, LF removed, never empty.
  std::function<void(const QByteArray &)> onLine;
  // Something for the log.
  std::function<void(const QString &)> onNotice;
};

}  // namespace zelvo::sim
