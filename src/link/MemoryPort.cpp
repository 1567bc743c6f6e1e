#include "link/MemoryPort.h"

#include <errno.h>
#include <string.h>

#include <QHash>
#include <QMetaObject>
#include <QPointer>
#include <QtGlobal>

#include "link/ComPort.h"

namespace {

QString SystemMessage(int errorCode) {
  char buf[256];
  return QString::fromLocal8Bit(strerror_r(errorCode, buf, sizeof buf));
}

QHash<QString, std::shared_ptr<TMemoryDevice>> &Registry() {
  static QHash<QString, std::shared_ptr<TMemoryDevice>> devices;
  return devices;
}

QString Key(const QString &name) { return TComPort::DevicePath(name); }

}  // namespace

// ---------------------------------------------------------------------------------------
// The device

void TMemoryDevice::Send(const QByteArray &bytes) {
  if (FHungUp || bytes.isEmpty()) return;
  FToPort += bytes;
  if (FPort) FPort->Post();
}

QByteArray TMemoryDevice::TakeWritten() {
  QByteArray out;
  out.swap(FWritten);
  return out;
}

void TMemoryDevice::FailWrites(int errorCode, int count) {
  FFailErrno = errorCode;
  FFailCount = qMax(0, count);
}

void TMemoryDevice::SetSplitSeed(quint64 seed) {
  FSplit = seed != 0;
  FSplitRng.seed(seed);
}

void TMemoryDevice::HangUp() {
  if (FHungUp) return;
  FHungUp = true;
  if (FPort) FPort->Post();
}

QByteArray TMemoryDevice::Take(qsizetype max) {
  const qsizetype n = qMin(max, Pending());
  QByteArray out = FToPort.mid(FToPortPos, n);
  FToPortPos += n;
  if (FToPortPos == FToPort.size()) {
    FToPort.clear();
    FToPortPos = 0;
  } else if (FToPortPos > 65536) {  // drop what was handed out now and then, not per read
    FToPort.remove(0, FToPortPos);
    FToPortPos = 0;
  }
  return out;
}

// ---------------------------------------------------------------------------------------
// The registry

std::shared_ptr<TMemoryDevice> TMemoryDevices::Plug(const QString &name) {
  Unplug(name);
  auto device = std::make_shared<TMemoryDevice>(name);
  Registry().insert(Key(name), device);
  return device;
}

void TMemoryDevices::Unplug(const QString &name) {
  const auto device = Registry().take(Key(name));
  if (device) device->HangUp();
}

std::shared_ptr<TMemoryDevice> TMemoryDevices::Find(const QString &name) { return Registry().value(Key(name)); }

void TMemoryDevices::Clear() {
  const auto all = Registry().values();
  Registry().clear();
  for (const auto &device : all) device->HangUp();
}

// ---------------------------------------------------------------------------------------
// The port

TMemoryPort::TMemoryPort(QObject *owner) : QObject(owner) {}

TMemoryPort::~TMemoryPort() {
  OnRxChar = nullptr;
  OnError = nullptr;
  Close();
}

void TMemoryPort::SetDeviceName(const QString &name) {
  if (name == FDeviceName) return;
  if (Active()) throw EComError(QStringLiteral("Can't perform this operation on an open port"));
  FDeviceName = name;
}

bool TMemoryPort::DeviceExists() const { return TMemoryDevices::Find(FDeviceName) != nullptr; }

void TMemoryPort::Open() {
  if (Active()) return;
  const auto device = TMemoryDevices::Find(FDeviceName);
  const QString path = TComPort::DevicePath(FDeviceName);
  if (!device) throw EComError(SystemMessage(ENOENT), ENOENT);
  if (device->FPort)
    throw EComError(
        QStringLiteral("The port %1 is in use by another program (%2).").arg(path, SystemMessage(EBUSY)), EBUSY);
  FDevice = device;
  device->FPort = this;
  // Whatever waited before this program took the port is discarded, as at a real open.
  device->FToPort.clear();
  device->FToPortPos = 0;
}

void TMemoryPort::Close() {
  if (!FDevice) return;
  FDevice->FPort = nullptr;
  FDevice.reset();
}

void TMemoryPort::WriteAnsiString(const QByteArray &value) {
  if (!FDevice) throw EComError(QStringLiteral("Can't perform this operation on a closed port"));
  if (FDevice->FHungUp) throw EComError(SystemMessage(EIO), EIO);
  if (FDevice->FFailCount > 0) {
    --FDevice->FFailCount;
    const int e = FDevice->FFailErrno;
    throw e == 0 ? EComError(QStringLiteral("Timeout")) : EComError(SystemMessage(e), e);
  }
  if (FDevice->OnWritten) {
    // A copy: the far end may unplug the device (and drop its handler) while it runs.
    const auto handler = FDevice->OnWritten;
    handler(value);
  } else {
    FDevice->FWritten += value;
  }
}

void TMemoryPort::WaitForWriteCompletion() {
  if (!FDevice) throw EComError(QStringLiteral("Can't perform this operation on a closed port"));
}

int TMemoryPort::InputCount() {
  if (!FDevice) throw EComError(QStringLiteral("Can't perform this operation on a closed port"));
  return static_cast<int>(qMin<qsizetype>(FDevice->Pending(), 1 << 30));
}

QByteArray TMemoryPort::ReadAvailable() {
  if (!FDevice) throw EComError(QStringLiteral("Can't perform this operation on a closed port"));
  qsizetype n = FDevice->Pending();
  if (FDevice->FSplit && n > 1) n = std::uniform_int_distribution<qsizetype>(1, n)(FDevice->FSplitRng);
  return FDevice->Take(n);
}

void TMemoryPort::Post() {
  if (FPosted || !FPostNotifications) return;
  FPosted = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        FPosted = false;
        Notify();
      },
      Qt::QueuedConnection);
}

void TMemoryPort::Notify() {
  if (FInNotify || !FDevice || !OnRxChar) return;
  if (FDevice->Pending() > 0) {
    QPointer<TMemoryPort> self(this);
    FInNotify = true;
    try {
      OnRxChar();
    } catch (const EComError &e) {
      if (self) Report(e);
    } catch (const std::exception &e) {
      if (self) Report(EComError(QString::fromLocal8Bit(e.what())));
    } catch (...) {
      if (self) Report(EComError(QStringLiteral("Unknown error in the receive handler")));
    }
    if (!self) return;  // the handler destroyed its port
    FInNotify = false;
    if (!FDevice) return;
    if (FDevice->Pending() > 0) {  // what is left wakes the next notification
      Post();
      return;
    }
  }
  if (FDevice->FHungUp) {
    // Read to its end: the other side is gone. Closed first, then reported once.
    const EComError error(SystemMessage(EIO), EIO);
    Close();
    Report(error);
  }
}
