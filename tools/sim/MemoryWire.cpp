#include "MemoryWire.h"

#include "link/MemoryPort.h"

namespace zelvo::sim {

MemoryWire::~MemoryWire() { Hangup(); }

bool MemoryWire::Open(QString &error) {
  Q_UNUSED(error);
  if (IsOpen()) return true;
  device_ = TMemoryDevices::Plug(name_);
  device_->OnWritten = [this](const QByteArray &bytes) { Received(bytes); };
  in_.clear();
  overlong_ = false;
  return true;
}

void MemoryWire::Hangup() {
  if (!device_) return;
  device_->OnWritten = nullptr;
  // Only the device this wire plugged in: another may have taken the name meanwhile.
  if (TMemoryDevices::Find(name_) == device_) TMemoryDevices::Unplug(name_);
  device_.reset();
}

bool MemoryWire::Send(const QByteArray &bytes, bool droppable) {
  if (!device_) return false;
  if (droppable && Backlog() > kOutputCap) {
    CountDropped(bytes.size());
    return false;
  }
  if (droppedBytes_ > 0 && Backlog() <= kOutputCap / 2) {
    if (onNotice) onNotice(QStringLiteral("overrun ended, %1 bytes dropped").arg(droppedBytes_));
    droppedBytes_ = 0;
  }
  device_->Send(bytes);
  return true;
}

qsizetype MemoryWire::Backlog() const { return device_ ? device_->Pending() : 0; }

void MemoryWire::CountDropped(qint64 bytes) {
  if (droppedBytes_ == 0 && onNotice)
    onNotice(QStringLiteral("overrun: the program is not reading; dropping data lines"));
  droppedBytes_ += bytes;
}

void MemoryWire::Received(const QByteArray &bytes) {
  for (const char c : bytes) {
    if (c == '\n') continue;
    if (c == '\r') {
      const QByteArray line = in_;
      const bool whole = !overlong_;
      in_.clear();
      overlong_ = false;
      if (!line.isEmpty() && whole && onLine) onLine(line);
      if (!IsOpen()) return;  // a handler hung the wire up
      continue;
    }
    if (overlong_) continue;
    if (in_.size() >= kLineCap) {
      if (onNotice) onNotice(QStringLiteral("overlong line dropped (more than %1 bytes without CR)").arg(kLineCap));
      overlong_ = true;
      in_.clear();
      continue;
    }
    in_.append(c);
  }
}

}  // namespace zelvo::sim
