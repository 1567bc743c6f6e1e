// The baseline check's end side visits only the points a chord may lie above, where the
// plain rule restarts its scan at the apex after every move. Both must give the same bits:
// here the plain rule is kept as the reference and both run on many random signals, from
// realistic peaks to edited files with negative fractions and long chains of moves.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "signal/Peak.h"
#include "signal/PeakInternal.h"

using zelvo::TPeakSettings;
using zelvo::TPeakState;

namespace {

using Vec = std::vector<double>;

// ---- the reference: the plain rules, scan by scan ----------------------------------------

struct RefCount {
  long long evaluations = 0;
  int moves = 0;
};

void RefStartSide(const Vec &y, int peak, TPeakState &st) {
  const int n = int(y.size());
  for (;;) {
    if (st.PeakEndIndex == st.PeakStartIndex) return;
    st.dm = (y[st.PeakEndIndex] - y[st.PeakStartIndex]) / double(st.PeakEndIndex - st.PeakStartIndex);
    bool moved = false;
    for (int k = st.PeakStartIndex; k <= std::min(peak, n - 1); ++k) {
      st.PeakStartLevel = y[st.PeakStartIndex];
      if (y[k] < st.PeakStartLevel + double(k - st.PeakStartIndex) * st.dm) {
        st.PeakStartIndex = k;
        moved = true;
        break;
      }
    }
    if (!moved) return;
  }
}

void RefEndSide(const Vec &y, int peak, TPeakState &st, RefCount *count = nullptr) {
  for (;;) {
    if (st.PeakEndIndex == st.PeakStartIndex) return;
    st.dm = (y[st.PeakEndIndex] - y[st.PeakStartIndex]) / double(st.PeakEndIndex - st.PeakStartIndex);
    bool moved = false;
    for (int k = std::max(peak, 0); k <= st.PeakEndIndex; ++k) {  // from the apex, every time
      if (count) ++count->evaluations;
      const double base = std::trunc(st.PeakEndLevel + double(k - st.PeakEndIndex) * st.dm);
      if (base > y[k]) {
        if (k == st.PeakEndIndex) return;
        st.PeakEndIndex = k;
        st.PeakEndLevel = y[k];
        if (count) ++count->moves;
        moved = true;
        break;
      }
    }
    if (!moved) return;
  }
}

void RefCheckBaseline(const Vec &y, int peak, TPeakState &st) {
  const int n = int(y.size());
  if (st.PeakStartIndex < 0 || st.PeakEndIndex < 0 || st.PeakStartIndex >= n || st.PeakEndIndex >= n) return;
  RefStartSide(y, peak, st);
  RefEndSide(y, peak, st);
}

void RefPeakAndArea(const Vec &y, const Vec &s, const TPeakSettings &set, TPeakState &st) {
  st.NoPeak = false;
  st.FIDArea = 0;
  const int m = int(s.size()), n = int(y.size()), first = std::max(set.MinPeakStart, 0);
  double maxS = 0, minS = 0;
  int iMax = 0, iMin = 0;
  for (int j = first; j < m; ++j) {
    if (s[j] > maxS) maxS = s[j], iMax = j;
    if (s[j] < minS) minS = s[j], iMin = j;
  }
  if (!(maxS >= 25 && minS <= -25)) {
    st.NoPeak = true;
    return;
  }
  st.PeakStartIndex = first;
  for (int j = iMax; j >= first; --j)
    if (s[j] <= 25) {
      st.PeakStartIndex = j;
      break;
    }
  st.PeakEndIndex = m;
  for (int j = iMin; j < m; ++j)
    if (s[j] >= -25) {
      st.PeakEndIndex = j;
      break;
    }
  st.PeakEndIndex = std::min(st.PeakEndIndex, n - 1);
  if (st.PeakStartIndex >= st.PeakEndIndex) return;
  int peak = int(std::trunc(set.PeakTime * 10));
  if (iMin > iMax)
    for (int j = iMax; j < iMin; ++j)
      if (s[j] >= 0 && s[j + 1] < 0) peak = j;
  st.PeakEndLevel = y[st.PeakEndIndex];
  RefCheckBaseline(y, peak, st);
  st.FIDStart = st.PeakStartIndex;
  st.FIDEnd = st.PeakEndIndex;
  st.FIDStartLevel = y[st.PeakStartIndex];
  st.FIDEndLevel = y[st.PeakEndIndex];
  st.FIDBaseDraw = true;
  if (st.FIDEnd == st.FIDStart) return;
  const double b = (st.FIDEndLevel - st.FIDStartLevel) / (st.FIDEnd - st.FIDStart);
  double area = 0;
  for (int k = st.PeakStartIndex; k <= st.PeakEndIndex; ++k)
    area += y[k] - (st.FIDStartLevel + (k - st.FIDStart) * b);
  st.FIDArea = area > 0 ? area : 0;
}

// ---- signals ----------------------------------------------------------------------------

class Rng {
 public:
  explicit Rng(std::uint64_t seed) : FState(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (FState += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  double Uniform(double a, double b) { return a + (b - a) * double(Next() >> 11) * 0x1.0p-53; }
  int Int(int a, int b) { return a + int(Next() % std::uint64_t(b - a + 1)); }
  bool Chance(double p) { return Uniform(0, 1) < p; }

 private:
  std::uint64_t FState;
};

// Peaks (some negative, some with a long tail) on an offset with drift and noise; whole
// numbers as the converter gives them, or fractions as an edited file may hold.
Vec PeakSignal(Rng &rng, int n) {
  const double offset = rng.Uniform(-3000, 3000), drift = rng.Uniform(-3, 3), noise = rng.Uniform(0, 40);
  const bool whole = rng.Chance(0.6);
  Vec y(n);
  for (int k = 0; k < n; ++k) y[k] = offset + drift * k + noise * (rng.Uniform(-1, 1) + rng.Uniform(-1, 1));
  for (int p = rng.Int(1, 3); p > 0; --p) {
    const double height = rng.Uniform(-3000, 20000), width = rng.Uniform(1, 40), at = rng.Uniform(0, n);
    const double tail = rng.Chance(0.3) ? rng.Uniform(5, 200) : 0;
    for (int k = 0; k < n; ++k) {
      const double d = k - at;
      double v = height * std::exp(-d * d / (2 * width * width));
      if (tail > 0 && d > 0) v = std::max(v, height * std::exp(-d / tail));
      y[k] += v;
    }
  }
  if (whole)
    for (double &v : y) v = std::round(v);
  else if (rng.Chance(0.5))
    for (double &v : y) v = std::round(v * 2) / 2;  // halves: many points right on a truncation
  return y;
}

Vec WalkSignal(Rng &rng, int n) {
  Vec y(n);
  double v = rng.Uniform(-500, 500);
  const double step = rng.Uniform(0.5, 100);
  for (int k = 0; k < n; ++k) y[k] = std::round((v += rng.Uniform(-step, step)) * 4) / 4;
  return y;
}

// Whole-number points exactly on a line through the start (sample 0), negative, the others
// 1 or 2 µV above its floor: whether a point on the line lies below a chord along it is
// decided by the rounding of the chord value alone, so many points may qualify and many
// that may do not.
Vec LineSignal(Rng &rng, int n) {
  Vec y(n);
  const int den = rng.Int(1, 13), num = rng.Int(-40, 40);
  const double y0 = rng.Int(-5000, -1);
  const double onLine = rng.Uniform(0.3, 1);
  for (int k = 0; k < n; ++k)
    y[k] = k % den == 0 && rng.Chance(onLine) ? y0 + (k / den) * num
                                              : std::floor(y0 + double(k) * num / den) + rng.Int(1, 2);
  return y;
}

// The worst case of the plain end side, also built by the benchmark: the start at 0 with
// level 0, the apex at n/2, and n points after it, each negative with a fraction, chosen so
// that every chord from the start has exactly the point before its end below its truncation.
// The end then walks back one point per chord, and the plain rule rescans from the apex each
// time. c_j is the least ratio -floor(y_j) / j; the ratios of the ends increase with j.
Vec CascadeSignal(int n, int *apex, int *end) {
  const int p = n / 2, e = p + n;
  Vec y(e + 1, 0.0);
  Vec c(e + 1, 0.0);
  const double r0 = 0.3 + 0.5 / p;
  y[p] = -r0 * p;
  c[p] = std::ceil(r0 * p) / p;
  for (int j = p + 1; j <= e; ++j) {
    const double whole = std::ceil(j * c[j - 1]);
    double lo = (whole - 1) / j;
    if (j - 2 >= p) lo = std::max(lo, c[j - 2]);
    const double r = (lo + c[j - 1]) / 2;
    y[j] = -r * j;
    c[j] = whole / j;
  }
  *apex = p;
  *end = e;
  return y;
}

void ExpectSameBits(const TPeakState &a, const TPeakState &b) {
  auto bits = [](double v) { return std::bit_cast<std::uint64_t>(v); };
  EXPECT_EQ(a.NoPeak, b.NoPeak);
  EXPECT_EQ(a.PeakStartIndex, b.PeakStartIndex);
  EXPECT_EQ(a.PeakEndIndex, b.PeakEndIndex);
  EXPECT_EQ(bits(a.PeakStartLevel), bits(b.PeakStartLevel));
  EXPECT_EQ(bits(a.PeakEndLevel), bits(b.PeakEndLevel));
  EXPECT_EQ(bits(a.dm), bits(b.dm));
  EXPECT_EQ(bits(a.FIDStart), bits(b.FIDStart));
  EXPECT_EQ(bits(a.FIDEnd), bits(b.FIDEnd));
  EXPECT_EQ(bits(a.FIDStartLevel), bits(b.FIDStartLevel));
  EXPECT_EQ(bits(a.FIDEndLevel), bits(b.FIDEndLevel));
  EXPECT_EQ(bits(a.FIDArea), bits(b.FIDArea));
  EXPECT_EQ(a.FIDBaseDraw, b.FIDBaseDraw);
}

TEST(BaselineEquivalence, WholeEvaluationMatchesThePlainRulesOnRandomSignals) {
  Rng rng(20240611);
  int peaks = 0;
  for (int trial = 0; trial < 3000; ++trial) {
    SCOPED_TRACE(trial);
    const int n = rng.Int(8, 1500);
    const Vec y = rng.Chance(0.8) ? PeakSignal(rng, n) : WalkSignal(rng, n);
    Vec s;
    zelvo::AppendSlopes(y, 0, y.size(), s);
    const TPeakSettings set{rng.Int(-3, 30), rng.Uniform(-2, n / 10.0 + 5)};
    TPeakState fast, ref;
    zelvo::PeakAndArea(y, s, set, fast);
    RefPeakAndArea(y, s, set, ref);
    ExpectSameBits(fast, ref);
    if (::testing::Test::HasFailure()) break;
    peaks += fast.FIDBaseDraw;
  }
  EXPECT_GT(peaks, 1000);  // the comparison reaches the baseline check often
}

// The check alone, on any chord a caller may pass, with the index used from the first
// rescan on or only after several plain ones.
TEST(BaselineEquivalence, CheckMatchesThePlainRulesForAnyChordAndApex) {
  Rng rng(77);
  int longChains = 0;
  for (int trial = 0; trial < 4000; ++trial) {
    SCOPED_TRACE(trial);
    Vec y;
    int s, e, peak;
    if (rng.Chance(0.15)) {
      int apex, end;
      y = CascadeSignal(rng.Int(3, 300), &apex, &end);
      for (double &v : y)
        if (rng.Chance(0.05)) v += rng.Uniform(-3, 3);  // chains that break off and resume
      s = 0, e = end - rng.Int(0, 3), peak = apex + rng.Int(-3, 3);
    } else {
      const int n = rng.Int(2, 600);
      const double kind = rng.Uniform(0, 1);
      y = kind < 0.5 ? PeakSignal(rng, n) : kind < 0.75 ? WalkSignal(rng, n) : LineSignal(rng, n);
      s = kind < 0.75 ? rng.Int(0, n - 1) : 0;
      e = rng.Int(0, n - 1);
      if (s == e) continue;
      if (s > e && rng.Chance(0.7)) std::swap(s, e);
      peak = rng.Int(-20, n + 20);
    }
    TPeakState init;
    init.PeakStartIndex = s, init.PeakEndIndex = e;
    init.PeakStartLevel = -123, init.dm = 7;
    init.PeakEndLevel = rng.Chance(0.9) ? y[e] : y[e] + rng.Uniform(-50, 50);

    TPeakState ref = init;
    RefCheckBaseline(y, peak, ref);
    TPeakState fast = init;
    zelvo::CheckBaseline(y, peak, fast);
    ExpectSameBits(fast, ref);

    TPeakState refEnd = init, eager = init;
    RefEndSide(y, peak, refEnd);
    // A wider margin only adds points that do not qualify, visited through the tree.
    const double scales[] = {1, 1, 1e6, 1e12};
    const auto stats = zelvo::MoveBaselineEnd(y, peak, eager, {rng.Int(0, 3), scales[rng.Int(0, 3)]});
    ExpectSameBits(eager, refEnd);
    if (::testing::Test::HasFailure()) break;
    longChains += stats.Indexed && stats.Moves > 5;
  }
  EXPECT_GT(longChains, 100);  // the index decided long chains of moves, not just the plain scan
}

// The chord from (0, 0) to (487, -7977.5238...) passes exactly below -344 at sample 21, but
// its computed value there is -343.999..., which truncates to -343: a move the exact line
// would not make, decided by rounding alone. The index must still visit that point. The
// first chord, to (488, -7994), finds 487 first and leaves 21 above it.
TEST(BaselineEquivalence, MoveDecidedByRoundingAloneIsFound) {
  Vec y(489, 1000.0);
  y[0] = 0, y[21] = -344, y[487] = -0x1.f298618618619p+12, y[488] = -7994;
  TPeakState init;
  init.PeakStartIndex = 0, init.PeakEndIndex = 488, init.PeakEndLevel = y[488];
  TPeakState ref = init;
  RefEndSide(y, 1, ref);
  ASSERT_EQ(ref.PeakEndIndex, 21);
  TPeakState fast = init;
  const auto stats = zelvo::MoveBaselineEnd(y, 1, fast, {.PlainRescans = 0});  // the index finds 21
  ExpectSameBits(fast, ref);
  EXPECT_EQ(stats.Moves, 2);
  EXPECT_TRUE(stats.Indexed);
}

// Counting compared points, not time: the plain rule pays a rescan per move, the index a few
// visits per move.
TEST(BaselineEquivalence, ChainOfMovesCostsLinearVisits) {
  for (int n : {100, 1000, 4000}) {
    SCOPED_TRACE(n);
    int apex, end;
    const Vec y = CascadeSignal(n, &apex, &end);
    TPeakState init;
    init.PeakStartIndex = 0, init.PeakEndIndex = end, init.PeakEndLevel = y[end];

    TPeakState ref = init;
    RefCount count;
    RefEndSide(y, apex, ref, &count);
    EXPECT_EQ(count.moves, n);  // the fixture does what it claims
    EXPECT_GT(count.evaluations, (long long)n * n / 2);

    TPeakState fast = init;
    const auto stats = zelvo::MoveBaselineEnd(y, apex, fast);
    ExpectSameBits(fast, ref);
    EXPECT_EQ(stats.Moves, n);
    EXPECT_LT(stats.Evaluations, 4LL * n);
  }
}

}  // namespace
