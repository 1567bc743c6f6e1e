// How many data lines per second the simulator streams when asked to flood (--rate N), as
// received by a client on its pty, and what that costs the simulator in processor time.
// Usage: bench_sim [path to zelvo730-sim] [seconds per rate]
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <QString>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "link/Protocol.h"

namespace {

double Now() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double CpuSeconds(pid_t pid) {
  char path[64];
  std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
  FILE *f = std::fopen(path, "r");
  if (!f) return -1;
  char buf[1024];
  const size_t n = std::fread(buf, 1, sizeof buf - 1, f);
  std::fclose(f);
  buf[n] = 0;
  const char *p = std::strrchr(buf, ')');
  unsigned long utime = 0, stime = 0;
  // Fields after the command name: state is field 3; utime and stime are fields 14 and 15.
  if (!p || std::sscanf(p + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &utime, &stime) != 2)
    return -1;
  return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::string DefaultSimPath() {
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return "zelvo730-sim";
  std::string s(self, static_cast<size_t>(n));
  return s.substr(0, s.rfind('/')) + "/../tools/zelvo730-sim";
}

struct Result {
  double linesPerSecond = 0;
  double simCpuPerSecond = 0;
  long malformed = 0;
};

Result Measure(const std::string &sim, double rate, double seconds) {
  char dir[] = "/tmp/bench_sim_XXXXXX";
  if (!mkdtemp(dir)) return {};
  const std::string link = std::string(dir) + "/tty1";
  const std::string rateText = std::to_string(static_cast<long long>(rate));
  const pid_t pid = fork();
  if (pid == 0) {
    const int devnull = open("/dev/null", O_RDWR);
    dup2(devnull, STDIN_FILENO);
    execl(sim.c_str(), sim.c_str(), "--port1", link.c_str(), "--rate", rateText.c_str(), "--seed", "1",
          static_cast<char *>(nullptr));
    _exit(127);
  }
  int fd = -1;
  for (int i = 0; i < 500 && fd < 0; ++i) {
    fd = open(link.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) usleep(10000);
  }
  Result r;
  if (fd >= 0) {
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
    // The stream start with its preparation, as the program sends it.
    const char on[] = "<12B1100\r<12W1100\r<12Z1100\r";
    [[maybe_unused]] ssize_t w = write(fd, on, sizeof on - 1);
    // Let the stream settle, then count complete lines for the measuring period.
    static char buf[1 << 16];
    std::string partial;
    long lines = 0;
    bool counting = false;
    double start = Now(), cpu0 = 0;
    const double warmup = 0.3;
    while (Now() - start < warmup + seconds) {
      if (!counting && Now() - start >= warmup) {
        counting = true;
        lines = 0;
        r.malformed = 0;
        cpu0 = CpuSeconds(pid);
        start = Now() - warmup;
      }
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      const ssize_t n = read(fd, buf, sizeof buf);
      if (n <= 0) break;
      for (ssize_t i = 0; i < n; ++i) {
        if (buf[i] != '\r') {
          partial.push_back(buf[i]);
          continue;
        }
        ++lines;
        if (!zelvo::proto::ParseDataLine(
                QString::fromLatin1(partial.data(), static_cast<qsizetype>(partial.size()))))
          ++r.malformed;
        partial.clear();
      }
    }
    r.linesPerSecond = static_cast<double>(lines) / seconds;
    r.simCpuPerSecond = (CpuSeconds(pid) - cpu0) / seconds;
    close(fd);
  }
  kill(pid, SIGTERM);
  int status = 0;
  waitpid(pid, &status, 0);
  rmdir(dir);
  return r;
}

}  // namespace

int main(int argc, char **argv) {
  const std::string sim = argc > 1 ? argv[1] : DefaultSimPath();
  const double seconds = argc > 2 ? std::atof(argv[2]) : 2.0;
  struct stat st {};
  if (stat(sim.c_str(), &st) != 0) {
    std::fprintf(stderr, "simulator not found at %s (give its path as the first argument)\n", sim.c_str());
    return 1;
  }
  std::printf("simulator data-line stream through one pty, %.1f s per rate\n", seconds);
  std::printf("%12s %14s %12s %16s %10s\n", "--rate", "lines/s", "of asked", "sim CPU s per s", "malformed");
  for (double rate : {10.0, 1047.0, 10000.0, 100000.0, 1000000.0, 10000000.0}) {
    const Result r = Measure(sim, rate, seconds);
    std::printf("%12.0f %14.0f %11.1f%% %16.3f %10ld\n", rate, r.linesPerSecond,
                100.0 * r.linesPerSecond / rate, r.simCpuPerSecond, r.malformed);
    std::fflush(stdout);
  }
  return 0;
}
