// Received lines through a real pseudo-terminal into the serial port component, cut and
// queued on the UI thread by its receive event, with a 95 ms timer draining the data queue
// like the tick. A writer thread plays the instrument at a fixed line rate; a rate counts as
// sustained when the pty never filled up (the writer never found it full) and every line
// was queued within 20 ms after the last one was written (no backlog). Prints lines/s and
// the UI thread's CPU time per 1,000 lines (getrusage), then the rate when the writer sends
// as fast as it can.
//
// One port's wire limit: 115200 baud / 11 bits = 10,473 bytes/s, about 1,000 ten-byte lines/s.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <thread>

#include "core/Clock.h"
#include "link/ComPort.h"
#include "link/LineReceiver.h"

namespace {

double ThreadCpuSeconds() {
  rusage ru{};
  getrusage(RUSAGE_THREAD, &ru);
  return ru.ru_utime.tv_sec + ru.ru_stime.tv_sec + (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

long long NowNs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1'000'000'000LL + ts.tv_nsec;
}

// Ten-byte data lines.
QByteArray Lines(long long first, int count) {
  QByteArray out;
  out.reserve(count * 10);
  for (int i = 0; i < count; ++i) {
    char line[16];
    std::snprintf(line, sizeof line, "/A1%05llX\r\n", (first + i) & 0xFFFFF);
    out += line;
  }
  return out;
}

// Writes everything on the non-blocking master; counts the times the pty was full, which
// means the reader had fallen behind by a whole buffer.
bool WriteAll(int fd, const QByteArray &bytes, int *fullCount) {
  qsizetype done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.constData() + done, bytes.size() - done);
    if (n > 0) {
      done += n;
    } else if (errno == EAGAIN) {
      ++*fullCount;
      pollfd pfd{fd, POLLOUT, 0};
      ::poll(&pfd, 1, 100);
    } else if (errno != EINTR) {
      return false;
    }
  }
  return true;
}

struct Result {
  long long written = 0;
  long long received = 0;
  double seconds = 0;     // writing time
  double lagMs = 0;       // from the last write until the last line was queued
  double cpuPer1000 = 0;  // UI thread CPU ms per 1,000 lines
  int ptyFull = 0;        // writes that found the pty full
};

// rate 0: as fast as possible.
Result Run(int master, long long &received, double rate, double durationS) {
  Result r;
  received = 0;
  std::atomic<bool> writerDone{false};
  std::atomic<long long> written{0};
  long long writeEndNs = 0;
  int full = 0;
  std::thread writer([&] {
    const long long start = NowNs();
    const long long end = start + static_cast<long long>(durationS * 1e9);
    long long sent = 0;
    if (rate <= 0) {
      while (NowNs() < end) {
        WriteAll(master, Lines(sent, 400), &full);
        sent += 400;
        written = sent;
      }
    } else {
      for (long long tick = 1;; ++tick) {  // one write per millisecond
        const long long due = start + tick * 1'000'000LL;
        timespec ts{due / 1'000'000'000LL, due % 1'000'000'000LL};
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr);
        if (due > end) break;
        const long long target = static_cast<long long>(rate * tick / 1000.0);
        if (target > sent) {
          WriteAll(master, Lines(sent, static_cast<int>(target - sent)), &full);
          sent = target;
          written = sent;
        }
      }
    }
    writeEndNs = NowNs();
    writerDone = true;
  });

  const double cpu0 = ThreadCpuSeconds();
  const long long t0 = NowNs();
  long long lastNs = t0;
  long long seen = -1;
  while (!writerDone || received < written) {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    if (received != seen) {
      seen = received;
      lastNs = NowNs();
    }
    if (writerDone && NowNs() - writeEndNs > 2'000'000'000LL) break;  // lost lines: give up
  }
  const double cpu = ThreadCpuSeconds() - cpu0;
  writer.join();
  r.written = written;
  r.received = received;
  r.seconds = (writeEndNs - t0) / 1e9;
  r.lagMs = (lastNs - writeEndNs) / 1e6;
  r.cpuPer1000 = received > 0 ? cpu * 1000.0 / received * 1000.0 : 0;
  r.ptyFull = full;
  return r;
}

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
    std::perror("posix_openpt");
    return 1;
  }
  zelvo::TLineQueue data, replies;
  zelvo::TLineReceiver receiver(data, replies);
  long long received = 0;

  TComPort port;
  port.SetDeviceName(QString::fromLocal8Bit(ptsname(master)));
  port.SetBaudRate(br115200);
  port.SetDataBits(db8);
  port.SetStopBits(sb2);
  port.SetParity(paNone);
  port.SetFlowControl({dcDisable, rcDisable});
  // The window's receive handler: everything waiting goes through the line cutter. Lines
  // are counted as they are queued; the tick below only drains the queue.
  port.OnRxChar = [&] {
    for (int round = 0; round < 8 && port.InputCount() > 0; ++round)
      received += receiver.Feed(port.ReadAvailable()).Lines;
  };
  port.OnError = [](const EComError &e) { std::fprintf(stderr, "port error: %s\n", e.what()); };
  port.Open();
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] { data.clear(); });
  tick.start(95);

  std::printf("%12s %12s %12s %10s %14s %s\n", "target/s", "lines/s", "received", "lag ms", "cpu ms/1000",
              "");
  double best = 0;
  for (const double rate :
       {1'000.0, 10'000.0, 100'000.0, 200'000.0, 400'000.0, 800'000.0, 1'600'000.0, 3'200'000.0}) {
    const Result r = Run(master, received, rate, 1.0);
    const bool sustained = r.ptyFull == 0 && r.received == r.written && r.lagMs <= 20.0;
    if (sustained) best = rate;
    std::printf("%12.0f %12.0f %12lld %10.1f %14.3f %s\n", rate, r.received / r.seconds, r.received,
                qMax(0.0, r.lagMs), r.cpuPer1000, sustained ? "sustained" : "backlog");
  }
  const Result flat = Run(master, received, 0, 1.0);
  std::printf("%12s %12.0f %12lld %10.1f %14.3f %s\n", "max", flat.received / flat.seconds, flat.received,
              qMax(0.0, flat.lagMs), flat.cpuPer1000, "writer unthrottled");
  std::printf("largest sustained rate: %.0f lines/s (%.0fx the wire limit of ~1,000 lines/s)\n", best,
              best / 1000.0);
  ::close(master);
  return 0;
}
