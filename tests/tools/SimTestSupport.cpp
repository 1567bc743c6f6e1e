#include "SimTestSupport.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <chrono>

namespace simtest {

double Seconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

Client::Client(const QString &path) {
  fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) return;
  termios t{};
  ::tcgetattr(fd_, &t);
  ::cfmakeraw(&t);
  ::tcsetattr(fd_, TCSANOW, &t);
}

Client::~Client() {
  if (fd_ >= 0) ::close(fd_);
}

void Client::Send(const QByteArray &bytes) {
  qsizetype done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd_, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
    if (n > 0)
      done += n;
    else
      ::poll(nullptr, 0, 1);
  }
}

bool Client::Fill(double timeoutSeconds) {
  pollfd p{fd_, POLLIN, 0};
  if (::poll(&p, 1, static_cast<int>(timeoutSeconds * 1000)) <= 0 || !(p.revents & POLLIN)) return false;
  char tmp[65536];
  const ssize_t n = ::read(fd_, tmp, sizeof tmp);
  if (n <= 0) return false;
  buf_.append(tmp, n);
  return true;
}

std::optional<QString> Client::Line(double timeoutSeconds) {
  const double deadline = Seconds() + timeoutSeconds;
  for (;;) {
    buf_.replace("\n", "");
    qsizetype cr;
    while ((cr = buf_.indexOf('\r')) >= 0) {
      const QByteArray line = buf_.left(cr);
      buf_.remove(0, cr + 1);
      if (!line.isEmpty()) return QString::fromLatin1(line);
    }
    const double left = deadline - Seconds();
    if (left <= 0 || !Fill(left)) return std::nullopt;
  }
}

std::vector<QString> Client::LinesUntil(const std::function<bool(const QString &)> &last,
                                        double timeoutSeconds) {
  std::vector<QString> out;
  const double deadline = Seconds() + timeoutSeconds;
  while (auto l = Line(std::max(0.0, deadline - Seconds()))) {
    out.push_back(*l);
    if (last(*l)) break;
  }
  return out;
}

QByteArray Client::Bytes(double seconds) {
  const double deadline = Seconds() + seconds;
  while (Seconds() < deadline) Fill(deadline - Seconds());
  QByteArray out;
  out.swap(buf_);
  return out;
}

std::optional<QString> Client::Ask(const QString &command, double timeoutSeconds) {
  Send(command);
  return Line(timeoutSeconds);
}

}  // namespace simtest
