// The end side of the baseline check.
//
// The plain search restarts at the apex after every move of the end, which costs a full scan
// per move. A move needs a point below the truncated chord, and every chord after the first
// runs through the start point (s, y[s]); so point k can only qualify for a chord of slope
// dm when, up to the rounding of the chord value,
//   k > s:  dm >= (theta_k - y[s]) / (k - s)
//   k < s:  dm <= (theta_k - y[s]) / (k - s)
// where theta_k is the least chord value whose truncation exceeds y[k]. These bounds do not
// depend on the end, so they are computed once, widened by a margin far above any rounding
// of the chord value, and kept in two minimum trees. Each chord then visits only the points
// its slope admits, in index order, and decides each by the plain comparison: the first that
// qualifies is exactly the point the plain scan would have found.
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "signal/PeakInternal.h"

namespace zelvo {

namespace {

// The comparison of the end side, written once so that both searches give the same bits.
inline bool BelowTruncatedChord(const double *y, int k, int e, double yE, double dm) {
  const double base = std::trunc(yE + double(k - e) * dm);
  return base > y[k];
}

// Minimum tree over the values of indices base .. base + count - 1.
class TMinTree {
 public:
  void Build(int base, const std::vector<double> &values) {
    FBase = base;
    FCount = static_cast<int>(values.size());
    FSize = 1;
    while (FSize < FCount) FSize *= 2;
    FTree.assign(2 * std::size_t(FSize), std::numeric_limits<double>::infinity());
    std::copy(values.begin(), values.end(), FTree.begin() + FSize);
    for (int i = FSize - 1; i >= 1; --i) FTree[i] = std::min(FTree[2 * i], FTree[2 * i + 1]);
  }

  // First index in [a, b] whose value is at most x, or -1.
  int FirstAtMost(int a, int b, double x) const {
    a = std::max(a, FBase);
    b = std::min(b, FBase + FCount - 1);
    if (a > b) return -1;
    const int found = Search(1, 0, FSize - 1, a - FBase, b - FBase, x);
    return found < 0 ? -1 : found + FBase;
  }

 private:
  int Search(int node, int nl, int nr, int a, int b, double x) const {
    if (nr < a || nl > b || !(FTree[node] <= x)) return -1;
    if (nl == nr) return nl;
    const int mid = nl + (nr - nl) / 2;
    const int left = Search(2 * node, nl, mid, a, b, x);
    return left >= 0 ? left : Search(2 * node + 1, mid + 1, nr, a, b, x);
  }

  int FBase = 0, FCount = 0, FSize = 1;
  std::vector<double> FTree;
};

// Points lo .. hi that may lie below a truncated chord through the start point s.
class TChordCandidates {
 public:
  TChordCandidates(const double *y, int s, int lo, int hi) : FStart(s) {
    const double ys = y[s];
    double yMax = std::fabs(ys);
    for (int k = lo; k <= hi; ++k) yMax = std::max(yMax, std::fabs(y[k]));
    if (!std::isfinite(yMax)) return;  // infinities and NaN: the plain scan decides alone
    // The computed chord value at k differs from y[s] + (k - s) * dm by at most about
    // 6 u (|y|max) (span + 2); the margin is ten times that.
    const double span = double(hi) - double(std::min(lo, s)) + 2;
    const double u = std::numeric_limits<double>::epsilon() / 2;
    const double margin = 64 * u * (yMax + 2) * span;

    auto theta = [&](int k) {
      // trunc(v) > y[k] needs v >= m (m >= 1) or v > m - 1 (m <= 0), m the least integer above y[k]
      const double m = std::floor(y[k]) + 1;
      return m >= 1 ? m : m - 1;
    };
    if (lo < s && lo <= hi) {
      std::vector<double> negUpper;
      negUpper.reserve(std::min(hi, s - 1) - lo + 1);
      for (int k = lo; k <= std::min(hi, s - 1); ++k)
        negUpper.push_back(-((ys - theta(k) + margin) / double(s - k)));
      FLeft.Build(lo, negUpper);
    }
    if (hi > s && lo <= hi) {
      const int from = std::max(lo, s + 1);
      std::vector<double> lower;
      lower.reserve(hi - from + 1);
      for (int k = from; k <= hi; ++k) lower.push_back((theta(k) - ys - margin) / double(k - s));
      FRight.Build(from, lower);
    }
    FUsable = true;
  }

  bool Usable() const { return FUsable; }

  // First index in [a, b] that a chord of slope dm through the start point may lie above.
  int First(int a, int b, double dm) const {
    if (a > b) return -1;
    if (a < FStart) {
      const int k = FLeft.FirstAtMost(a, std::min(b, FStart - 1), -dm);
      if (k >= 0) return k;
    }
    if (a <= FStart && FStart <= b) return FStart;
    return FRight.FirstAtMost(std::max(a, FStart + 1), b, dm);
  }

 private:
  int FStart;
  bool FUsable = false;
  TMinTree FLeft, FRight;
};

}  // namespace

TEndSearchStats MoveBaselineEnd(std::span<const double> signal, int firstK, TPeakState &state, int plainRescans) {
  TEndSearchStats stats;
  const int n = signal.size() > std::size_t(INT_MAX) ? INT_MAX : static_cast<int>(signal.size());
  const int s = state.PeakStartIndex;
  int e = state.PeakEndIndex;
  if (s < 0 || e < 0 || s >= n || e >= n) return stats;
  const double *y = signal.data();
  firstK = std::max(firstK, 0);
  double yE = state.PeakEndLevel;  // the caller's level for the first chord, then y[e]
  std::optional<TChordCandidates> candidates;

  while (e != s) {
    const double dm = (y[e] - y[s]) / double(e - s);
    state.dm = dm;
    int hit = -1;
    if (stats.Chords >= 1 && stats.Chords > plainRescans && !candidates) candidates.emplace(y, s, firstK, e);
    if (candidates && candidates->Usable()) {
      stats.Indexed = true;
      for (int a = firstK;;) {
        const int k = candidates->First(a, e, dm);
        if (k < 0) break;
        ++stats.Evaluations;
        if (BelowTruncatedChord(y, k, e, yE, dm)) {
          hit = k;
          break;
        }
        a = k + 1;
      }
    } else {
      for (int k = firstK; k <= e; ++k) {
        ++stats.Evaluations;
        if (BelowTruncatedChord(y, k, e, yE, dm)) {
          hit = k;
          break;
        }
      }
    }
    ++stats.Chords;
    // A point found at the end itself (a negative level with a fraction truncates above
    // itself) would move the end onto its own index for ever: the end stays.
    if (hit < 0 || hit == e) break;
    e = hit;
    yE = y[e];
    state.PeakEndIndex = e;
    state.PeakEndLevel = yE;
    ++stats.Moves;
  }
  return stats;
}

}  // namespace zelvo
