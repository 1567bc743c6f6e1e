#include "PtyPort.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace zelvo::sim {

namespace {
QString SysError(const char *what) {
  return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}
}  // namespace

PtyPort::PtyPort(int number, QString linkPath, QObject *parent)
    : QObject(parent), number_(number), linkPath_(std::move(linkPath)) {
  connect(this, &PtyPort::lineReceived, this, [this](const QByteArray &line) {
    if (onLine) onLine(line);
  });
  connect(this, &PtyPort::notice, this, [this](const QString &text) {
    if (onNotice) onNotice(text);
  });
}

PtyPort::~PtyPort() {
  RemoveLink();
  CloseFds();
}

bool PtyPort::Open(QString &error) {
  if (IsOpen()) return true;
  const QByteArray link = QFile::encodeName(linkPath_);
  struct stat st {};
  if (::lstat(link.constData(), &st) == 0 && !S_ISLNK(st.st_mode)) {
    error = QStringLiteral("%1 exists and is not a symbolic link; not replacing it").arg(linkPath_);
    return false;
  }

  const int m = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (m < 0) {
    error = SysError("posix_openpt");
    return false;
  }
  char name[128];
  if (::grantpt(m) != 0 || ::unlockpt(m) != 0 || ::ptsname_r(m, name, sizeof name) != 0) {
    error = SysError("pty set-up");
    ::close(m);
    return false;
  }
  const int s = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (s < 0) {
    error = SysError("open pty slave");
    ::close(m);
    return false;
  }
  ::fcntl(m, F_SETFL, ::fcntl(m, F_GETFL) | O_NONBLOCK);
  // Packet mode tells the master when the program discards its input queue (it does so
  // whenever it opens the port): what still waits here is then discarded too, as the bytes
  // of a real line would be, instead of reaching a freshly started program as a stale burst.
  // It is a mode of the master, not a line setting.
  int one = 1;
  packet_ = ::ioctl(m, TIOCPKT, &one) == 0;

  // Point the link at the new device atomically: a program that opens the path sees either
  // the old device or the new one, never nothing.
  const QByteArray tmp = link + ".tmp" + QByteArray::number(::getpid());
  ::unlink(tmp.constData());
  if (::symlink(name, tmp.constData()) != 0 || ::rename(tmp.constData(), link.constData()) != 0) {
    error = SysError("creating the link") + QStringLiteral(" (%1)").arg(linkPath_);
    ::unlink(tmp.constData());
    ::close(s);
    ::close(m);
    return false;
  }

  master_ = m;
  slave_ = s;
  slaveName_ = QString::fromLocal8Bit(name);
  in_.clear();
  out_.clear();
  outPos_ = 0;
  overlong_ = false;
  readNotifier_ = new QSocketNotifier(m, QSocketNotifier::Read, this);
  connect(readNotifier_, &QSocketNotifier::activated, this, &PtyPort::OnReadable);
  writeNotifier_ = new QSocketNotifier(m, QSocketNotifier::Write, this);
  writeNotifier_->setEnabled(false);
  connect(writeNotifier_, &QSocketNotifier::activated, this, &PtyPort::Flush);
  return true;
}

void PtyPort::Hangup() {
  RemoveLink();
  CloseFds();
}

void PtyPort::CloseFds() {
  for (QSocketNotifier *n : {readNotifier_, writeNotifier_}) {
    if (!n) continue;
    n->setEnabled(false);
    n->deleteLater();
  }
  readNotifier_ = writeNotifier_ = nullptr;
  if (master_ >= 0) ::close(master_);
  if (slave_ >= 0) ::close(slave_);
  master_ = slave_ = -1;
  out_.clear();
  outPos_ = 0;
}

void PtyPort::RemoveLink() {
  if (slaveName_.isEmpty()) return;
  // Remove the link only while it still points at this port's device.
  const QByteArray link = QFile::encodeName(linkPath_);
  char target[256];
  const ssize_t n = ::readlink(link.constData(), target, sizeof target - 1);
  if (n > 0 && QString::fromLocal8Bit(target, n) == slaveName_) ::unlink(link.constData());
}

void PtyPort::OnReadable() {
  char buf[4096];
  // A bounded number of reads per notification keeps the other port and the streams served.
  for (int round = 0; round < 16; ++round) {
    const ssize_t n = ::read(master_, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
    if (n <= 0) {
      // Cannot happen while our own slave descriptor is open; if it does, do not spin on it.
      emit notice(n == 0 ? QStringLiteral("end of file on the master") : SysError("read"));
      readNotifier_->setEnabled(false);
      QTimer::singleShot(500, this, [this, notifier = QPointer<QSocketNotifier>(readNotifier_)] {
        if (notifier && notifier == readNotifier_) notifier->setEnabled(true);
      });
      return;
    }
    ssize_t first = 0;
    if (packet_) {
      if (buf[0] != TIOCPKT_DATA) {
        if (buf[0] & TIOCPKT_FLUSHREAD) {
          emit notice(
              QStringLiteral("the program flushed its input; %1 waiting bytes discarded").arg(Backlog()));
          out_.clear();
          outPos_ = 0;
          if (writeNotifier_) writeNotifier_->setEnabled(false);
        }
        continue;
      }
      first = 1;
    }
    for (ssize_t i = first; i < n; ++i) {
      const char c = buf[i];
      if (c == '\n') continue;
      if (c == '\r') {
        if (!in_.isEmpty() && !overlong_) emit lineReceived(in_);
        in_.clear();
        overlong_ = false;
        if (!IsOpen()) return;  // a handler hung the port up
        continue;
      }
      if (overlong_) continue;
      if (in_.size() >= kLineCap) {
        emit notice(QStringLiteral("overlong line dropped (more than %1 bytes without CR)").arg(kLineCap));
        overlong_ = true;
        in_.clear();
        continue;
      }
      in_.append(c);
    }
    if (n < static_cast<ssize_t>(sizeof buf)) return;
  }
}

bool PtyPort::Send(const QByteArray &bytes, bool droppable) {
  if (!IsOpen()) return false;
  if (droppable && Backlog() > kOutputCap) {
    CountDropped(bytes.size());
    return false;
  }
  if (droppedBytes_ > 0 && Backlog() <= kOutputCap / 2) {
    emit notice(QStringLiteral("overrun ended, %1 bytes dropped").arg(droppedBytes_));
    droppedBytes_ = 0;
  }
  out_.append(bytes);
  Flush();
  return true;
}

void PtyPort::CountDropped(qint64 bytes) {
  if (droppedBytes_ == 0)
    emit notice(QStringLiteral("overrun: the program is not reading; dropping data lines"));
  droppedBytes_ += bytes;
}

void PtyPort::Flush() {
  while (IsOpen() && Backlog() > 0) {
    const ssize_t n = ::write(master_, out_.constData() + outPos_, static_cast<size_t>(Backlog()));
    if (n > 0) {
      outPos_ += n;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    emit notice(SysError("write"));
    out_.clear();
    outPos_ = 0;
  }
  // Written bytes are removed in one go, not per write.
  if (outPos_ == out_.size()) {
    out_.clear();
    outPos_ = 0;
  } else if (outPos_ > kOutputCap) {
    out_.remove(0, outPos_);
    outPos_ = 0;
  }
  if (writeNotifier_) writeNotifier_->setEnabled(Backlog() > 0);
}

}  // namespace zelvo::sim
