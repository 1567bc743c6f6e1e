#pragma once
// The simulated instrument's end of an in-memory device (link/MemoryPort.h): the device is
// plugged in under the wire's name, which the program's TMemoryPort opens.
#include <memory>

#include "Wire.h"

class TMemoryDevice;

namespace zelvo::sim {

class MemoryWire : public Wire {
 public:
  explicit MemoryWire(QString name) : name_(std::move(name)) {}
  ~MemoryWire() override;

  bool Open(QString &error) override;
  void Hangup() override;
  bool IsOpen() const override { return device_ != nullptr; }
  const QString &LinkPath() const override { return name_; }
  const QString &DeviceName() const override { return name_; }
  bool Send(const QByteArray &bytes, bool droppable) override;
  qsizetype Backlog() const override;
  void CountDropped(qint64 bytes) override;

  // The device while plugged in (for a driver's faults: failing writes, split reads).
  TMemoryDevice *Device() const { return device_.get(); }

 private:
  void Received(const QByteArray &bytes);

  QString name_;
  std::shared_ptr<TMemoryDevice> device_;
  QByteArray in_;
  bool overlong_ = false;
  qint64 droppedBytes_ = 0;
};

}  // namespace zelvo::sim
