// Evaluation of one injection, as the run does it after each measurement: the slope series of
// the FID signal, the peak search with its baseline check and area, and the FPD search on the
// second signal. Prints the median time per evaluation for signals of 30 s, 5 min and 1 h,
// then the baseline check on its worst case, where every chord moves the end back by one
// point: the plain rule (restart at the apex after every move) against the library's.
#include <QElapsedTimer>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <vector>

#include "signal/Peak.h"
#include "signal/PeakInternal.h"

namespace {

using Vec = std::vector<double>;

// Whole µV like the converter's readings: offset, drift, a little noise and one peak at 40 %
// of the signal; the FPD signal carries its own peak a little later.
Vec Injection(int n, double height, double sigma, double at, std::uint32_t seed) {
  Vec y(n);
  std::uint32_t r = seed;
  for (int k = 0; k < n; ++k) {
    r = r * 1664525u + 1013904223u;
    const double noise = double(r >> 24) / 32.0 - 4;
    const double d = k - at;
    y[k] = std::round(1200 + 0.01 * k + noise + height * std::exp(-d * d / (2 * sigma * sigma)));
  }
  return y;
}

// Every chord from the start has exactly the point before its end below its truncation
// (negative values with fractions, as only an edited raw data file holds them).
Vec Cascade(int n, int *apex, int *end) {
  const int p = n / 2, e = p + n;
  Vec y(e + 1, 0.0), c(e + 1, 0.0);
  const double r0 = 0.3 + 0.5 / p;
  y[p] = -r0 * p;
  c[p] = std::ceil(r0 * p) / p;
  for (int j = p + 1; j <= e; ++j) {
    const double whole = std::ceil(j * c[j - 1]);
    double lo = (whole - 1) / j;
    if (j - 2 >= p) lo = std::max(lo, c[j - 2]);
    y[j] = -(lo + c[j - 1]) / 2 * j;
    c[j] = whole / j;
  }
  *apex = p;
  *end = e;
  return y;
}

// The end side as the plain rule has it: every chord scans from the apex again.
long long PlainEndSide(const Vec &y, int peak, zelvo::TPeakState &st) {
  long long visits = 0;
  for (;;) {
    if (st.PeakEndIndex == st.PeakStartIndex) return visits;
    st.dm = (y[st.PeakEndIndex] - y[st.PeakStartIndex]) / double(st.PeakEndIndex - st.PeakStartIndex);
    bool moved = false;
    for (int k = std::max(peak, 0); k <= st.PeakEndIndex; ++k) {
      ++visits;
      if (std::trunc(st.PeakEndLevel + double(k - st.PeakEndIndex) * st.dm) > y[k]) {
        if (k == st.PeakEndIndex) return visits;
        st.PeakEndIndex = k, st.PeakEndLevel = y[k], moved = true;
        break;
      }
    }
    if (!moved) return visits;
  }
}

// The machine is shared: the figures are the thread's own CPU time, which other programs do
// not inflate (the wall time of the same runs is printed beside the totals).
double ThreadMicros() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e6 + ts.tv_nsec / 1e3;
}

double gWallMicros = 0;  // median wall time of the last measurement

template <class F>
double MedianMicros(int samples, int reps, F &&f) {
  std::vector<double> cpu, wall;
  for (int s = 0; s < samples; ++s) {
    QElapsedTimer timer;
    timer.start();
    const double c0 = ThreadMicros();
    for (int i = 0; i < reps; ++i) f();
    cpu.push_back((ThreadMicros() - c0) / reps);
    wall.push_back(timer.nsecsElapsed() / 1e3 / reps);
  }
  std::sort(cpu.begin(), cpu.end());
  std::sort(wall.begin(), wall.end());
  gWallMicros = wall[wall.size() / 2];
  return cpu[cpu.size() / 2];
}

volatile double gSink;

}  // namespace

int main() {
  std::printf("Evaluation of one injection, median CPU time of 21 runs\n");
  std::printf("%8s %11s %11s %11s %11s %11s %11s\n", "samples", "slopes us", "peak us", "fpd us", "total us",
              "ns/sample", "(wall us)");
  double previous = 0;
  for (int n : {300, 3000, 36000}) {
    const Vec fid = Injection(n, 5000, 15, 0.4 * n, 1);
    const Vec fpd = Injection(n, 3000, 15, 0.45 * n, 2);
    const int reps = std::max(1, 2'000'000 / n);
    Vec slopes;
    const double tSlopes = MedianMicros(21, reps, [&] {
      slopes.clear();
      zelvo::AppendSlopes(fid, 0, fid.size(), slopes);
      gSink = slopes.back();
    });
    zelvo::TPeakState st;
    const zelvo::TPeakSettings peakSettings;
    const double tPeak = MedianMicros(21, reps, [&] {
      zelvo::PeakAndArea(fid, slopes, peakSettings, st);
      gSink = st.FIDArea;
    });
    const zelvo::TFpdSettings fpdSettings;
    zelvo::TFpdResult fr;
    const double tFpd = MedianMicros(21, reps, [&] {
      zelvo::TPeakState shared = st;
      fr = zelvo::FpdSearch(fpd, fpdSettings, shared);
      gSink = fr.FPDArea;
    });
    const double total = tSlopes + tPeak + tFpd;
    // The whole evaluation once more in one go, for its wall time.
    MedianMicros(21, reps, [&] {
      slopes.clear();
      zelvo::AppendSlopes(fid, 0, fid.size(), slopes);
      zelvo::PeakAndArea(fid, slopes, peakSettings, st);
      zelvo::TPeakState shared = st;
      fr = zelvo::FpdSearch(fpd, fpdSettings, shared);
    });
    std::printf("%8d %11.2f %11.2f %11.2f %11.2f %11.2f %11.2f", n, tSlopes, tPeak, tFpd, total,
                total * 1e3 / n, gWallMicros);
    if (previous > 0) std::printf("   x%.1f for x%d samples", total / previous, n == 3000 ? 10 : 12);
    std::printf("%s\n", st.NoPeak || !fr.Found ? "   (no peak!)" : "");
    previous = total;
  }

  std::printf("\nBaseline check, worst case: the end moves back one point per chord\n");
  std::printf("%8s %8s %14s %14s %16s %14s %12s\n", "points", "moves", "plain visits", "plain us",
              "library visits", "library us", "ns/move");
  for (int n : {1000, 4000, 16000, 36000}) {
    int apex, end;
    const Vec y = Cascade(n, &apex, &end);
    zelvo::TPeakState init;
    init.PeakStartIndex = 0, init.PeakEndIndex = end, init.PeakEndLevel = y[end];
    zelvo::TPeakState plain = init;
    long long plainVisits = 0;
    const bool runPlain = n <= 16000;  // a whole second and more beyond
    const double tPlain = runPlain ? MedianMicros(3, 1,
                                                  [&] {
                                                    plain = init;
                                                    plainVisits = PlainEndSide(y, apex, plain);
                                                  })
                                   : 0;
    zelvo::TPeakState fast;
    zelvo::TEndSearchStats stats;
    const double tFast = MedianMicros(11, 5, [&] {
      fast = init;
      zelvo::CheckBaseline(y, apex, fast);
    });
    fast = init;
    stats = zelvo::MoveBaselineEnd(y, apex, fast);
    const bool same = !runPlain || (fast.PeakEndIndex == plain.PeakEndIndex && fast.dm == plain.dm);
    const double perMove = tFast * 1e3 / stats.Moves;
    if (runPlain)
      std::printf("%8d %8d %14lld %14.0f %16lld %14.1f %12.1f%s\n", n, stats.Moves, plainVisits, tPlain,
                  stats.Evaluations, tFast, perMove, same ? "" : "   (results differ!)");
    else
      std::printf("%8d %8d %14s %14s %16lld %14.1f %12.1f\n", n, stats.Moves, "-", "-", stats.Evaluations,
                  tFast, perMove);
  }
  return 0;
}
