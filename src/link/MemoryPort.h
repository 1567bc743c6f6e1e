#pragma once
// A serial port whose device lives in memory: for runs of the program and the simulated
// instrument in one process, on the manual clock, where nothing may wait in real time.
//
// The port behaves as the program sees a pseudo-terminal: bytes arrive cut anywhere (with a
// split seed, every read hands out a random part of what waits), a device that hangs up is
// read to its end and then reported as end of file (EIO) with the port closed, a write can
// fail, and a device name can disappear and come back (TMemoryDevices: "opening COM2" finds
// the device plugged in under that name, or fails with ENOENT).
//
// The receive notification is posted to the event loop (a queued call), as a socket notifier
// would deliver it; a driver that runs no event loop calls Notify() itself.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>
#include <random>

#include "link/SerialPort.h"

class TMemoryPort;

// One device: the wire between the program's TMemoryPort and the far end (the simulated
// instrument), which uses the public members here.
class TMemoryDevice {
 public:
  explicit TMemoryDevice(QString name) : FName(std::move(name)) {}
  const QString &Name() const { return FName; }

  // --- the far end
  // Bytes for the program; dropped once the device hung up.
  void Send(const QByteArray &bytes);
  // Bytes the program has not read yet.
  qsizetype Pending() const { return FToPort.size() - FToPortPos; }
  // Everything the program wrote since the last call.
  QByteArray TakeWritten();
  // Called with each write of the program as it happens (also when TakeWritten is used).
  std::function<void(const QByteArray &)> OnWritten;
  // The next `count` writes of the program fail: with that errno's message, or "Timeout"
  // for 0. The port stays open.
  void FailWrites(int errorCode, int count = 1);
  // Reads hand out a random 1..n of the n waiting bytes, from a generator with this seed;
  // 0 hands out everything.
  void SetSplitSeed(quint64 seed);
  bool HungUp() const { return FHungUp; }
  // A port has the device open.
  bool InUse() const { return FPort != nullptr; }

 private:
  friend class TMemoryPort;
  friend class TMemoryDevices;
  void HangUp();
  QByteArray Take(qsizetype max);

  QString FName;
  QByteArray FToPort;
  qsizetype FToPortPos = 0;
  QByteArray FWritten;
  int FFailErrno = 0;
  int FFailCount = 0;
  bool FSplit = false;
  std::mt19937_64 FSplitRng;
  bool FHungUp = false;
  TMemoryPort *FPort = nullptr;
};

// The devices plugged in, by name. "COMn" and the path it stands for (TComPort::DevicePath)
// are the same device.
class TMemoryDevices {
 public:
  // Plugs in a new device under the name; one plugged in under it before hangs up first.
  static std::shared_ptr<TMemoryDevice> Plug(const QString &name);
  // The device hangs up (an open port reads what waits, then end of file) and its name
  // disappears until it is plugged in again.
  static void Unplug(const QString &name);
  static std::shared_ptr<TMemoryDevice> Find(const QString &name);
  // Unplugs every device.
  static void Clear();
};

class TMemoryPort : public QObject, public TSerialPort {
  Q_OBJECT

 public:
  explicit TMemoryPort(QObject *owner = nullptr);
  ~TMemoryPort() override;  // closes the port

  const QString &DeviceName() const override { return FDeviceName; }
  void SetDeviceName(const QString &name) override;
  bool DeviceExists() const override;
  void Configure(const TLineSettings &settings) override { FSettings = settings; }
  const TLineSettings &Settings() const { return FSettings; }

  void Open() override;
  void Close() override;
  bool Active() const override { return FDevice != nullptr; }

  void WriteAnsiString(const QByteArray &value) override;
  void WaitForWriteCompletion() override;
  int InputCount() override;
  QByteArray ReadAvailable() override;

  // Delivers the receive notification now: OnRxChar when bytes wait, then the hang-up report
  // once everything was read. Also what the posted notification runs.
  void Notify();
  // Whether arriving bytes post a notification to the event loop (the default). A driver that
  // calls Notify() after every step switches it off: posting wakes the event dispatcher, a
  // system call per batch of bytes.
  void SetPostNotifications(bool on) { FPostNotifications = on; }

 private:
  friend class TMemoryDevice;
  void Post();  // a notification on the event loop, unless one is pending

  QString FDeviceName = QStringLiteral("COM1");
  TLineSettings FSettings;
  std::shared_ptr<TMemoryDevice> FDevice;
  bool FPosted = false;
  bool FPostNotifications = true;
  bool FInNotify = false;
};
