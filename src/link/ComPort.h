#pragma once
// The serial port component on POSIX termios. One object per port, living on the UI thread:
// the receive event is delivered there by a socket notifier on the device descriptor, and
// reads and writes happen on the thread that calls them (always the UI thread here).
//
// Exclusive use: TIOCEXCL refuses a second open() for ordinary users, and an advisory
// flock(LOCK_EX | LOCK_NB) refuses a second instance of this program even when it runs as
// root (TIOCEXCL does not stop root).
//
// Pseudo-terminals refuse the modem-control calls (TIOCMBIC gives ENOTTY) but keep the line
// settings, so the component works on a pty exactly as on a UART; tests rely on that.
#include <QByteArray>
#include <QObject>
#include <QString>

#include "link/SerialPort.h"

class QSocketNotifier;

class TComPort : public QObject, public TSerialPort {
  Q_OBJECT

 public:
  explicit TComPort(QObject *owner = nullptr);
  ~TComPort() override;  // closes the port

  // --- device names
  // "COMn" (any case) means /dev/ttyS(n-1), so settings from Windows installations keep
  // working; a name containing "/" is a path used as it stands; any other name is taken
  // from /dev.
  static QString DevicePath(const QString &deviceName);
  // Whether the named port exists: its path exists and is a character device.
  static bool PortExists(const QString &deviceName);

  // --- properties (line settings apply to an open port at once)
  const QString &DeviceName() const override { return FDeviceName; }
  // Raises "Can't perform this operation on an open port" when the name changes while open.
  void SetDeviceName(const QString &name) override;
  bool DeviceExists() const override { return PortExists(FDeviceName); }
  void Configure(const TLineSettings &settings) override;
  TBaudRate BaudRate() const { return FBaudRate; }
  void SetBaudRate(TBaudRate value);
  TDataBits DataBits() const { return FDataBits; }
  void SetDataBits(TDataBits value);
  TStopBits StopBits() const { return FStopBits; }
  void SetStopBits(TStopBits value);
  TParity Parity() const { return FParity; }
  void SetParity(TParity value);
  const TFlowControl &FlowControl() const { return FFlowControl; }
  void SetFlowControl(const TFlowControl &value);
  const TTimeouts &Timeouts() const { return FTimeouts; }
  void SetTimeouts(const TTimeouts &value) { FTimeouts = value; }

  // --- events (OnRxChar, OnError: see TSerialPort). Assign OnRxChar before Open: the
  // receive event is watched only when it is set.

  // --- operations
  void Open() override;   // does nothing when open; raises EComError (system message, errno) on failure
  void Close() override;  // does nothing when closed; safe from inside OnRxChar
  bool Active() const override { return FHandle >= 0; }
  int Handle() const { return FHandle; }  // -1 while closed

  // Starts writing all bytes (what the driver does not take at once stays pending).
  void WriteAnsiString(const QByteArray &value) override;
  // Waits until the last started write has left the driver; "Timeout" when the driver's
  // queue does not empty within the write limit for what it holds (the port stays open).
  void WaitForWriteCompletion() override;
  // Bytes waiting: in the driver (FIONREAD) plus those already read into the own buffer.
  int InputCount() override;
  // One received byte; waits up to ReadConstant + ReadMultiplier ms, else "Timeout".
  char ReadAnsiChar();
  // Everything received so far that is waiting (own buffer and driver), without waiting.
  QByteArray ReadAvailable() override;

 protected:
  // Bytes the driver still holds to send (TIOCOUTQ).
  virtual int OutputQueued();

 private:
  void ApplyLineSettings();
  void ApplyModemLines();
  void CheckOpen() const;
  // Reads everything the driver holds into FInput; false once the other side has hung up.
  bool FillInput();
  void FinishPendingWrite(bool wait);
  // The time a write of that many bytes may take (see TTimeouts).
  long long WriteLimitMs(qsizetype bytes) const;
  void ReceiveEvent();

  QString FDeviceName = QStringLiteral("COM1");
  TBaudRate FBaudRate = brDefault;
  TDataBits FDataBits = dbDefault;
  TStopBits FStopBits = sbDefault;
  TParity FParity = paDefault;
  TFlowControl FFlowControl;
  TTimeouts FTimeouts;

  int FHandle = -1;
  QSocketNotifier *FNotifier = nullptr;
  QByteArray FInput;         // received bytes not yet handed out
  qsizetype FInputPos = 0;   // first byte of FInput not yet handed out
  QByteArray FPendingWrite;  // bytes of the last write the driver has not taken yet
  bool FInReceiveEvent = false;
  bool FHungUp = false;  // read() reported the other side gone; reported and closed by the event
  int FHangUpError = 0;
};
