#pragma once
// What the program needs of a serial port, whatever carries the bytes: the termios device
// (TComPort) or an in-memory wire (TMemoryPort) for runs on the manual clock.
//
// One object per port, used on the UI thread. Errors are raised as EComError.
#include <QByteArray>
#include <QString>
#include <exception>
#include <functional>

// The component's error: the message and, for a failed system call, errno (0 for the
// component's own errors such as "Timeout").
class EComError : public std::exception {
 public:
  EComError(const QString &message, int errorCode = 0);
  const QString &Message() const { return FMessage; }
  int ErrorCode() const { return FErrorCode; }
  const char *what() const noexcept override { return FWhat.constData(); }

 private:
  QString FMessage;
  int FErrorCode;
  QByteArray FWhat;
};

// Line settings. The first value of each means: leave the device's current value.
enum TBaudRate {
  brDefault,
  br110,
  br300,
  br600,
  br1200,
  br2400,
  br4800,
  br9600,
  br19200,
  br38400,
  br57600,
  br115200,
  br230400
};
enum TDataBits { dbDefault, db5, db6, db7, db8 };
enum TParity { paDefault, paNone, paOdd, paEven, paMark, paSpace };
enum TStopBits { sbDefault, sb1, sb2 };
enum TDTRControl { dcDefault, dcDisable, dcEnable };
enum TRTSControl { rcDefault, rcDisable, rcEnable, rcHandshake };

struct TFlowControl {
  TDTRControl DTR = dcDefault;
  TRTSControl RTS = rcDefault;
};

// Time-outs in milliseconds. A read of n bytes waits at most ReadConstant + n * ReadMultiplier;
// a write of n bytes at most WriteConstant + n * WriteMultiplier, or a safety limit of
// 5 s + 1 ms per byte when both are 0 (a line that cannot take a command within that time is
// broken; the UI must not hang on it). ReadInterval is kept for completeness and not used.
struct TTimeouts {
  int ReadInterval = 0;
  int ReadMultiplier = 0;
  int ReadConstant = 0;
  int WriteMultiplier = 0;
  int WriteConstant = 0;
};

// Everything the program sets on a port before it opens it.
struct TLineSettings {
  TBaudRate BaudRate = brDefault;
  TDataBits DataBits = dbDefault;
  TStopBits StopBits = sbDefault;
  TParity Parity = paDefault;
  TFlowControl FlowControl;
  TTimeouts Timeouts;
};

class TSerialPort {
 public:
  virtual ~TSerialPort();

  // The device the port opens: "COMn", a path, or a name under /dev (see TComPort).
  virtual const QString &DeviceName() const = 0;
  // Raises "Can't perform this operation on an open port" when the name changes while open.
  virtual void SetDeviceName(const QString &name) = 0;
  // Whether the named device is there now (a pulled adapter's is not).
  virtual bool DeviceExists() const = 0;
  // Line settings and time-outs; they apply to an open port at once.
  virtual void Configure(const TLineSettings &settings) = 0;

  // Does nothing when open; raises EComError (message, errno) when the device cannot be opened.
  virtual void Open() = 0;
  // Does nothing when closed; safe from inside OnRxChar.
  virtual void Close() = 0;
  virtual bool Active() const = 0;

  // Starts writing all bytes; raises EComError when the port is closed or the write fails
  // (errno EIO and the like when the device is gone).
  virtual void WriteAnsiString(const QByteArray &value) = 0;
  // Until the last write has left the port; "Timeout" when it does not within its limit.
  virtual void WaitForWriteCompletion() = 0;
  // A whole line: written, and waited for.
  void WriteLine(const QByteArray &line) {
    WriteAnsiString(line);
    WaitForWriteCompletion();
  }
  // Bytes waiting to be read.
  virtual int InputCount() = 0;
  // Bytes received and waiting, without waiting for more. Lines arrive cut anywhere: a read
  // may end inside a line, or hold several.
  virtual QByteArray ReadAvailable() = 0;

  // Runs whenever bytes have arrived (from the event loop); it may read them, close the port,
  // or leave them for later. It is not re-entered while it runs.
  std::function<void()> OnRxChar;
  // Errors that no caller could catch: the other side hung up (read as end of file), the
  // event wait failed, or OnRxChar threw. Reported once per failure; after a hang-up the
  // port is already closed when OnError runs (its errno tells the hang-up, e.g. EIO).
  std::function<void(const EComError &)> OnError;

 protected:
  // An error for OnError (a warning when there is none); a handler's own failure is warned
  // about, never passed on.
  void Report(const EComError &error);
};
