// Line cutting and routing without any port: how many received lines per second the
// widget-free receiver takes, on a stream of detector data lines with a reply now and then,
// fed in chunks of the sizes one read of a serial port returns.
#include <sys/resource.h>

#include <QByteArray>
#include <QElapsedTimer>
#include <cstdio>

#include "link/LineReceiver.h"

namespace {

// Ten-byte data lines ("/", a character, the sign flag, five hex digits, CR LF) with one
// status reply (":SG0113" CR) after every 20 data lines.
QByteArray MakeStream(int lines, int *replyCount) {
  QByteArray s;
  s.reserve(lines * 10);
  *replyCount = 0;
  for (int i = 0; i < lines; ++i) {
    if (i % 21 == 20) {
      s += ":SG0113\r";
      ++*replyCount;
      continue;
    }
    char line[16];
    std::snprintf(line, sizeof line, "/A%c%05X\r\n", i % 7 == 0 ? '0' : '1', (i * 2654435761u) & 0xFFFFF);
    s += line;
  }
  return s;
}

double CpuSeconds() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  return ru.ru_utime.tv_sec + ru.ru_stime.tv_sec + (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main() {
  constexpr int kLines = 2'000'000;
  int replies = 0;
  const QByteArray stream = MakeStream(kLines, &replies);
  std::printf("stream: %d lines (%d replies), %lld bytes\n", kLines, replies,
              static_cast<long long>(stream.size()));
  std::printf("%10s %14s %12s %14s\n", "chunk", "lines/s", "MB/s", "ns/line");
  for (const qsizetype chunk :
       {qsizetype(1), qsizetype(16), qsizetype(256), qsizetype(4096), qsizetype(65536)}) {
    zelvo::TLineQueue data, reply;
    zelvo::TLineReceiver receiver(data, reply);
    // One byte at a time is slow by nature; give it a tenth of the stream.
    const qsizetype total = chunk == 1 ? stream.size() / 10 : stream.size();
    long long lines = 0;
    QElapsedTimer timer;
    const double cpu0 = CpuSeconds();
    timer.start();
    for (qsizetype pos = 0; pos < total; pos += chunk) {
      lines += receiver.Feed(stream.constData() + pos, qMin(chunk, total - pos)).Lines;
      if (data.size() > 1000) {  // the tick drains the queues
        data.clear();
        reply.clear();
      }
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    const double cpu = CpuSeconds() - cpu0;
    std::printf("%10lld %14.0f %12.1f %14.1f   (cpu %.3f s)\n", static_cast<long long>(chunk),
                lines / seconds, total / seconds / 1e6, seconds * 1e9 / lines, cpu);
  }
  return 0;
}
