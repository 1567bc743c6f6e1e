#include "core/ExitSignals.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace zelvo {

namespace {

int g_pipe[2] = {-1, -1};
struct sigaction g_oldTerm, g_oldInt;

extern "C" void OnExitSignal(int sig) {
  const int saved = errno;
  const unsigned char c = static_cast<unsigned char>(sig);
  // A full pipe already holds a request to end: losing this byte changes nothing.
  if (::write(g_pipe[1], &c, 1) < 0) {
  }
  errno = saved;
}

}  // namespace

TExitSignals::TExitSignals(QObject *parent) : QObject(parent) {
  if (g_pipe[0] >= 0) return;
  if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    g_pipe[0] = g_pipe[1] = -1;
    return;
  }
  struct sigaction sa {};
  sa.sa_handler = OnExitSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  ::sigaction(SIGTERM, &sa, &g_oldTerm);
  ::sigaction(SIGINT, &sa, &g_oldInt);
  fNotifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
  connect(fNotifier, &QSocketNotifier::activated, this, &TExitSignals::ReadPipe);
}

TExitSignals::~TExitSignals() {
  if (!fNotifier) return;
  ::sigaction(SIGTERM, &g_oldTerm, nullptr);
  ::sigaction(SIGINT, &g_oldInt, nullptr);
  delete fNotifier;
  ::close(g_pipe[0]);
  ::close(g_pipe[1]);
  g_pipe[0] = g_pipe[1] = -1;
}

void TExitSignals::ReadPipe() {
  unsigned char c = 0;
  while (::read(g_pipe[0], &c, 1) == 1) emit Received(c);
}

}  // namespace zelvo
