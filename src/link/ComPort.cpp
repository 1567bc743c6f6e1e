#include "link/ComPort.h"

#include <errno.h>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <string.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <QFile>
#include <QPointer>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QtGlobal>

namespace {

const char *const kClosedPort = "Can't perform this operation on a closed port";
const char *const kOpenPort = "Can't perform this operation on an open port";
const char *const kTimeout = "Timeout";

QString SystemMessage(int errorCode) {
  char buf[256];
  // GNU strerror_r: returns the message, which may or may not live in buf.
  const char *text = strerror_r(errorCode, buf, sizeof buf);
  return QString::fromLocal8Bit(text);
}

[[noreturn]] void RaiseSystemError(int errorCode) { throw EComError(SystemMessage(errorCode), errorCode); }

QString GroupOf(const QString &path) {
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) != 0) return {};
  struct group gr {};
  struct group *found = nullptr;
  char buf[4096];
  if (getgrgid_r(st.st_gid, &gr, buf, sizeof buf, &found) != 0 || !found) return {};
  return QString::fromLocal8Bit(found->gr_name);
}

// The message for a device that cannot be opened or locked: the system's text, and for the
// two cases an operator can fix, what to do about it.
EComError OpenError(const QString &path, int errorCode) {
  if (errorCode == EBUSY || errorCode == EWOULDBLOCK) {
    return EComError(
        QStringLiteral("The port %1 is in use by another program (%2).").arg(path, SystemMessage(errorCode)),
        errorCode);
  }
  if (errorCode == EACCES || errorCode == EPERM) {
    QString group = GroupOf(path);
    if (group.isEmpty() || group == QLatin1String("root")) group = QStringLiteral("dialout");
    return EComError(QStringLiteral("%1: %2. The user running this program must be a member of the group "
                                    "\"%3\" that owns the device (for example: sudo usermod -a -G %3 "
                                    "<user>), then log in again.")
                         .arg(path, SystemMessage(errorCode), group),
                     errorCode);
  }
  return EComError(SystemMessage(errorCode), errorCode);
}

long long MonotonicMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// Waits for `events` on fd until the absolute monotonic deadline; returns revents (0 on time-out).
short PollUntil(int fd, short events, long long deadlineMs) {
  for (;;) {
    const long long left = deadlineMs - MonotonicMs();
    pollfd pfd{fd, events, 0};
    const int r = ::poll(&pfd, 1, left > 0 ? static_cast<int>(qMin(left, 1LL << 30)) : 0);
    if (r > 0) return pfd.revents;
    if (r == 0) return 0;
    if (errno != EINTR) RaiseSystemError(errno);
  }
}

speed_t SpeedOf(TBaudRate rate) {
  switch (rate) {
    case br110:
      return B110;
    case br300:
      return B300;
    case br600:
      return B600;
    case br1200:
      return B1200;
    case br2400:
      return B2400;
    case br4800:
      return B4800;
    case br9600:
      return B9600;
    case br19200:
      return B19200;
    case br38400:
      return B38400;
    case br57600:
      return B57600;
    case br115200:
      return B115200;
    case br230400:
      return B230400;
    case brDefault:
      break;
  }
  return B0;
}

}  // namespace

EComError::EComError(const QString &message, int errorCode)
    : FMessage(message), FErrorCode(errorCode), FWhat(message.toLocal8Bit()) {}

TSerialPort::~TSerialPort() = default;

void TSerialPort::Report(const EComError &error) {
  if (!OnError) {
    qWarning("%s: %s", qPrintable(DeviceName()), error.what());
    return;
  }
  try {
    OnError(error);
  } catch (const std::exception &e) {
    qWarning("%s: error handler failed: %s", qPrintable(DeviceName()), e.what());
  } catch (...) {
    qWarning("%s: error handler failed", qPrintable(DeviceName()));
  }
}

TComPort::TComPort(QObject *owner) : QObject(owner) {}

TComPort::~TComPort() {
  // The owner's handlers may already be gone; nothing is reported from here on.
  OnRxChar = nullptr;
  OnError = nullptr;
  Close();
}

QString TComPort::DevicePath(const QString &deviceName) {
  if (deviceName.contains(QLatin1Char('/'))) return deviceName;
  static const QRegularExpression com(QStringLiteral("^COM([1-9][0-9]{0,3})$"),
                                      QRegularExpression::CaseInsensitiveOption);
  const auto m = com.match(deviceName);
  if (m.hasMatch()) return QStringLiteral("/dev/ttyS%1").arg(m.captured(1).toInt() - 1);
  return QStringLiteral("/dev/") + deviceName;
}

bool TComPort::PortExists(const QString &deviceName) {
  struct stat st {};
  return ::stat(QFile::encodeName(DevicePath(deviceName)).constData(), &st) == 0 && S_ISCHR(st.st_mode);
}

void TComPort::SetDeviceName(const QString &name) {
  if (name == FDeviceName) return;
  if (Active()) throw EComError(QString::fromLatin1(kOpenPort));
  FDeviceName = name;
}

void TComPort::SetBaudRate(TBaudRate value) {
  FBaudRate = value;
  if (Active()) ApplyLineSettings();
}

void TComPort::SetDataBits(TDataBits value) {
  FDataBits = value;
  if (Active()) ApplyLineSettings();
}

void TComPort::SetStopBits(TStopBits value) {
  FStopBits = value;
  if (Active()) ApplyLineSettings();
}

void TComPort::SetParity(TParity value) {
  FParity = value;
  if (Active()) ApplyLineSettings();
}

void TComPort::SetFlowControl(const TFlowControl &value) {
  FFlowControl = value;
  if (Active()) {
    ApplyLineSettings();
    ApplyModemLines();
  }
}

void TComPort::ApplyLineSettings() {
  termios t{};
  if (::tcgetattr(FHandle, &t) != 0) RaiseSystemError(errno);
  const tcflag_t framing = t.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR);
  cfmakeraw(&t);  // binary: no echo, no translation, no signals; forces CS8 without parity
  t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR);
  t.c_cflag |= CLOCAL | CREAD;
  // One byte satisfies a read; with O_NONBLOCK an empty queue then gives EAGAIN, so a read
  // that returns 0 always means the other side hung up.
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;

  if (FBaudRate != brDefault) {
    const speed_t speed = SpeedOf(FBaudRate);
    if (cfsetispeed(&t, speed) != 0 || cfsetospeed(&t, speed) != 0) RaiseSystemError(errno);
  }

  switch (FDataBits) {
    case dbDefault:
      t.c_cflag |= framing & CSIZE;
      break;
    case db5:
      t.c_cflag |= CS5;
      break;
    case db6:
      t.c_cflag |= CS6;
      break;
    case db7:
      t.c_cflag |= CS7;
      break;
    case db8:
      t.c_cflag |= CS8;
      break;
  }
  switch (FParity) {
    case paDefault:
      t.c_cflag |= framing & (PARENB | PARODD | CMSPAR);
      break;
    case paNone:
      break;
    case paOdd:
      t.c_cflag |= PARENB | PARODD;
      break;
    case paEven:
      t.c_cflag |= PARENB;
      break;
    case paMark:
      t.c_cflag |= PARENB | CMSPAR | PARODD;
      break;
    case paSpace:
      t.c_cflag |= PARENB | CMSPAR;
      break;
  }
  switch (FStopBits) {
    case sbDefault:
      break;
    case sb1:
      t.c_cflag &= ~CSTOPB;
      break;
    case sb2:
      t.c_cflag |= CSTOPB;
      break;
  }
  if (FFlowControl.RTS == rcHandshake) {
    t.c_cflag |= CRTSCTS;
  } else if (FFlowControl.RTS != rcDefault) {
    t.c_cflag &= ~CRTSCTS;
  }
  if (::tcsetattr(FHandle, TCSANOW, &t) != 0) RaiseSystemError(errno);
}

void TComPort::ApplyModemLines() {
  int set = 0;
  int clear = 0;
  if (FFlowControl.DTR == dcEnable) set |= TIOCM_DTR;
  if (FFlowControl.DTR == dcDisable) clear |= TIOCM_DTR;
  if (FFlowControl.RTS == rcEnable) set |= TIOCM_RTS;
  if (FFlowControl.RTS == rcDisable) clear |= TIOCM_RTS;
  // Pseudo-terminals have no modem lines and answer ENOTTY (some drivers EINVAL): harmless.
  auto apply = [this](unsigned long request, int bits) {
    if (bits != 0 && ::ioctl(FHandle, request, &bits) != 0 && errno != ENOTTY && errno != EINVAL)
      RaiseSystemError(errno);
  };
  apply(TIOCMBIC, clear);
  apply(TIOCMBIS, set);
}

void TComPort::Open() {
  if (Active()) return;
  const QString path = DevicePath(FDeviceName);
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) throw OpenError(path, errno);
  FHandle = fd;
  FHungUp = false;
  FHangUpError = 0;
  FInput.clear();
  FInputPos = 0;
  FPendingWrite.clear();
  try {
    // Lock first: nothing may touch a port another instance is using.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) throw OpenError(path, errno);
    if (::ioctl(fd, TIOCEXCL) != 0) RaiseSystemError(errno);
    ApplyLineSettings();
    ApplyModemLines();
    // Discard whatever arrived or waited before this program took the port.
    if (::tcflush(fd, TCIOFLUSH) != 0) RaiseSystemError(errno);
  } catch (...) {
    ::close(fd);
    FHandle = -1;
    throw;
  }
  if (OnRxChar) {
    FNotifier = new QSocketNotifier(static_cast<qintptr>(fd), QSocketNotifier::Read, this);
    connect(FNotifier, &QSocketNotifier::activated, this, &TComPort::ReceiveEvent);
  }
}

void TComPort::Close() {
  if (!Active()) return;
  if (FNotifier) {
    // May run inside the notifier's own activation (a handler closing its port): detach
    // now, delete once control is back in the event loop.
    FNotifier->setEnabled(false);
    FNotifier->disconnect(this);
    FNotifier->deleteLater();
    FNotifier = nullptr;
  }
  ::close(FHandle);  // also releases the flock and the exclusive mode
  FHandle = -1;
  FInput.clear();
  FInputPos = 0;
  FPendingWrite.clear();
  FHungUp = false;
}

void TComPort::CheckOpen() const {
  if (!Active()) throw EComError(QString::fromLatin1(kClosedPort));
}

bool TComPort::FillInput() {
  if (FHungUp) return false;
  if (FInputPos > 0) {  // compact: drop what was handed out
    FInput.remove(0, FInputPos);
    FInputPos = 0;
  }
  // At most four chunks per call, so that a flooded descriptor cannot hold the UI thread.
  constexpr qsizetype kChunk = 16384;
  for (int chunk = 0; chunk < 4; ++chunk) {
    const qsizetype old = FInput.size();
    FInput.resize(old + kChunk);
    const ssize_t n = ::read(FHandle, FInput.data() + old, kChunk);
    FInput.resize(old + (n > 0 ? n : 0));
    if (n > 0) {
      if (n < kChunk) return true;  // the driver is empty now; spare the EAGAIN round trip
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
    // read() gives 0 on a hung-up terminal (every other call then fails with EIO), or an
    // error such as EIO when a USB adapter is pulled.
    FHungUp = true;
    FHangUpError = n == 0 ? EIO : errno;
    return false;
  }
  return true;
}

int TComPort::InputCount() {
  CheckOpen();
  int waiting = 0;
  if (!FHungUp && ::ioctl(FHandle, FIONREAD, &waiting) != 0) RaiseSystemError(errno);
  return waiting + static_cast<int>(FInput.size() - FInputPos);
}

char TComPort::ReadAnsiChar() {
  CheckOpen();
  if (FInputPos >= FInput.size()) {
    const long long deadline = MonotonicMs() + FTimeouts.ReadConstant + FTimeouts.ReadMultiplier;
    while (FInputPos >= FInput.size()) {
      if (FHungUp) RaiseSystemError(FHangUpError);
      if (PollUntil(FHandle, POLLIN, deadline) == 0) throw EComError(QString::fromLatin1(kTimeout));
      FillInput();
    }
  }
  return FInput.at(FInputPos++);
}

QByteArray TComPort::ReadAvailable() {
  CheckOpen();
  FillInput();
  QByteArray out = FInputPos == 0 ? FInput : FInput.mid(FInputPos);
  FInput.clear();
  FInputPos = 0;
  return out;
}

void TComPort::WriteAnsiString(const QByteArray &value) {
  CheckOpen();
  FinishPendingWrite(true);  // the previous write completes first
  FPendingWrite = value;
  FinishPendingWrite(false);
}

void TComPort::WaitForWriteCompletion() {
  CheckOpen();
  FinishPendingWrite(true);
  // Until the bytes have left the driver. A pty has nothing to wait for; a UART without
  // hardware flow control drains at line speed. tcdrain() would wait without end on an
  // adapter that stopped sending without hanging up, so the queue is watched instead, with
  // the same limit as a write of what it holds.
  const int queued = OutputQueued();
  if (queued <= 0) return;
  const long long deadline = MonotonicMs() + WriteLimitMs(queued);
  do {
    if (MonotonicMs() >= deadline) throw EComError(QString::fromLatin1(kTimeout));
    // At 115200 baud a byte takes about 0.1 ms: look again after a millisecond.
    const timespec pause{0, 1000000};
    ::nanosleep(&pause, nullptr);
  } while (OutputQueued() > 0);
}

long long TComPort::WriteLimitMs(qsizetype bytes) const {
  if (FTimeouts.WriteConstant == 0 && FTimeouts.WriteMultiplier == 0) return 5000LL + bytes;
  return FTimeouts.WriteConstant + static_cast<long long>(FTimeouts.WriteMultiplier) * bytes;
}

int TComPort::OutputQueued() {
  int queued = 0;
  while (::ioctl(FHandle, TIOCOUTQ, &queued) != 0) {
    if (errno != EINTR) RaiseSystemError(errno);
  }
  return queued;
}

void TComPort::FinishPendingWrite(bool wait) {
  const qsizetype total = FPendingWrite.size();
  const long long deadline = MonotonicMs() + WriteLimitMs(total);
  qsizetype done = 0;
  while (done < total) {
    const ssize_t n = ::write(FHandle, FPendingWrite.constData() + done, total - done);
    if (n > 0) {
      done += n;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!wait) break;
      if (PollUntil(FHandle, POLLOUT, deadline) == 0) {
        FPendingWrite.clear();
        throw EComError(QString::fromLatin1(kTimeout));
      }
      continue;
    }
    const int e = n < 0 ? errno : EIO;
    FPendingWrite.clear();
    RaiseSystemError(e);
  }
  FPendingWrite.remove(0, done);
}


void TComPort::ReceiveEvent() {
  if (FInReceiveEvent || !Active()) return;
  FillInput();
  if (FInputPos < FInput.size() && OnRxChar) {
    QPointer<TComPort> self(this);
    FInReceiveEvent = true;
    FNotifier->setEnabled(false);  // no nested delivery while the handler runs
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
    FInReceiveEvent = false;
    if (FNotifier && !FHungUp) FNotifier->setEnabled(true);
  }
  if (Active() && FHungUp) {
    // The other side is gone: report once, stop watching, close.
    const EComError error(SystemMessage(FHangUpError), FHangUpError);
    Close();
    Report(error);
  }
}

void TComPort::Configure(const TLineSettings &settings) {
  SetBaudRate(settings.BaudRate);
  SetDataBits(settings.DataBits);
  SetStopBits(settings.StopBits);
  SetParity(settings.Parity);
  SetFlowControl(settings.FlowControl);
  SetTimeouts(settings.Timeouts);
}
