#pragma once
// A pseudo-terminal pair for tests of the serial link: the component opens the slave by its
// path like any serial device, the test plays the instrument on the master.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <functional>

#include "core/Clock.h"
#include "support/Files.h"

struct PtyPair {
  int master = -1;
  QString slavePath;

  PtyPair() {
    master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return;
    char name[128];
    if (::ptsname_r(master, name, sizeof name) == 0) slavePath = QString::fromLocal8Bit(name);
  }
  ~PtyPair() { CloseMaster(); }
  PtyPair(const PtyPair &) = delete;
  PtyPair &operator=(const PtyPair &) = delete;

  bool Ok() const { return master >= 0 && !slavePath.isEmpty(); }

  void CloseMaster() {
    if (master >= 0) ::close(master);
    master = -1;
  }

  // Writes all bytes (the instrument sending).
  bool Write(const QByteArray &bytes) const {
    qsizetype done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(master, bytes.constData() + done, bytes.size() - done);
      if (n > 0) {
        done += n;
      } else if (n < 0 && errno == EAGAIN) {
        pollfd pfd{master, POLLOUT, 0};
        ::poll(&pfd, 1, 100);
      } else if (!(n < 0 && errno == EINTR)) {
        return false;
      }
    }
    return true;
  }

  // Reads what the program wrote, waiting up to `ms` for the first byte.
  QByteArray Read(int ms = 1000) const {
    QByteArray out;
    pollfd pfd{master, POLLIN, 0};
    if (::poll(&pfd, 1, ms) <= 0) return out;
    char buf[4096];
    for (;;) {
      const ssize_t n = ::read(master, buf, sizeof buf);
      if (n <= 0) break;
      out.append(buf, n);
    }
    return out;
  }
};

