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

  // First index in [a, b] (inside the tree's range) whose value is at most x, or -1.
  // Bottom-up: the nodes covering [a, b] come left side first in index order, then the right
  // side in reverse.
  int FirstAtMost(int a, int b, double x) const {
    int lo = a - FBase + FSize, hi = b - FBase + FSize + 1;
    int right[64], rights = 0;
    while (lo < hi) {
      if (lo & 1) {
        if (FTree[lo] <= x) return Descend(lo, x);
        ++lo;
      }
      if (hi & 1) right[rights++] = --hi;
      lo >>= 1, hi >>= 1;
    }
    while (rights > 0) {
      const int node = right[--rights];
      if (FTree[node] <= x) return Descend(node, x);
    }
    return -1;
  }

 private:
  // The leftmost leaf at most x below a node that holds one.
  int Descend(int node, double x) const {
    while (node < FSize) {
      node *= 2;
      if (!(FTree[node] <= x)) ++node;
    }
    return node - FSize + FBase;
  }

  int FBase = 0, FCount = 0, FSize = 1;
  std::vector<double> FTree;
};

// Values of the indices base .. base + count - 1, searched for the first one at most x.
// Searches from the region's first index (every chord's first search) use the running
// minimum, galloping back from the right end, so a hit close to the end costs a few steps;
// searches from later indices (after a point that did not qualify) use a tree, built the
// first time one is needed.
class TRegion {
 public:
  void Build(int base, std::vector<double> values) {
    FBase = base;
    FValues = std::move(values);
    FRunningMin.resize(FValues.size());
    double m = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < FValues.size(); ++i) FRunningMin[i] = m = std::min(m, FValues[i]);
  }

  int First(int a, int b, double x) {
    const int last = FBase + static_cast<int>(FValues.size()) - 1;
    a = std::max(a, FBase);
    b = std::min(b, last);
    if (a > b) return -1;
    if (a > FBase) {
      if (!FTreeBuilt) FTree.Build(FBase, FValues), FTreeBuilt = true;
      return FTree.FirstAtMost(a, b, x);
    }
    const double *m = FRunningMin.data() - FBase;  // indexed by sample
    if (!(m[b] <= x)) return -1;
    int good = b, bad = FBase - 1;  // m[good] <= x; m[bad] > x or bad before the region
    for (int step = 1; good - step >= FBase; step *= 2) {
      if (!(m[good - step] <= x)) {
        bad = good - step;
        break;
      }
      good -= step;
    }
    while (good - bad > 1) {
      const int mid = bad + (good - bad) / 2;
      (m[mid] <= x ? good : bad) = mid;
    }
    return good;
  }

 private:
  int FBase = 0;
  std::vector<double> FValues, FRunningMin;
  TMinTree FTree;
  bool FTreeBuilt = false;
};

// Points lo .. hi that may lie below a truncated chord through the start point s.
class TChordCandidates {
 public:
  // Built on demand, once: for the points lo .. hi around the start point s.
  void Build(const double *y, int s, int lo, int hi, double marginScale) {
    FBuilt = true;
    FStart = s;
    const double ys = y[s];
    double yMax = std::fabs(ys);
    for (int k = lo; k <= hi; ++k) yMax = std::max(yMax, std::fabs(y[k]));
    if (!std::isfinite(yMax)) return;  // infinities and NaN: the plain scan decides alone
    // The computed chord value at k differs from y[s] + (k - s) * dm by at most about
    // 6 u (|y|max) (span + 2); the margin is ten times that.
    const double span = double(hi) - double(std::min(lo, s)) + 2;
    const double u = std::numeric_limits<double>::epsilon() / 2;
    const double margin = 64 * u * (yMax + 2) * span * std::max(1.0, marginScale);

    auto theta = [&](int k) {
      // trunc(v) > y[k] needs v >= m (m >= 1) or v > m - 1 (m <= 0), m the least integer above y[k]
      const double m = std::floor(y[k]) + 1;
      return m >= 1 ? m : m - 1;
    };
    if (lo < s && lo <= hi) {  // left of the start: the chord may lie above for slopes up to a bound
      std::vector<double> negUpper;
      for (int k = lo; k <= std::min(hi, s - 1); ++k)
        negUpper.push_back(-((ys - theta(k) + margin) / double(s - k)));
      FLeft.Build(lo, std::move(negUpper));
    }
    if (hi > s && lo <= hi) {  // right of it: for slopes from a bound on
      const int from = std::max(lo, s + 1);
      std::vector<double> lower;
      for (int k = from; k <= hi; ++k) lower.push_back((theta(k) - ys - margin) / double(k - s));
      FRight.Build(from, std::move(lower));
    }
    FUsable = true;
  }

  bool Built() const { return FBuilt; }
  bool Usable() const { return FUsable; }

  // First index in [a, b] that a chord of slope dm through the start point may lie above.
  int First(int a, int b, double dm) {
    if (a > b) return -1;
    if (a < FStart) {
      const int k = FLeft.First(a, std::min(b, FStart - 1), -dm);
      if (k >= 0) return k;
    }
    if (a <= FStart && FStart <= b) return FStart;
    return FRight.First(std::max(a, FStart + 1), b, dm);
  }

 private:
  int FStart = 0;
  bool FBuilt = false, FUsable = false;
  TRegion FLeft, FRight;
};

}  // namespace

TEndSearchStats MoveBaselineEnd(std::span<const double> signal, int firstK, TPeakState &state,
                                const TEndSearchTuning &tuning) {
  TEndSearchStats stats;
  const int n = ClampedSize(signal.size());
  const int s = state.PeakStartIndex;
  int e = state.PeakEndIndex;
  if (s < 0 || e < 0 || s >= n || e >= n) return stats;
  const double *y = signal.data();
  firstK = std::max(firstK, 0);
  double yE = state.PeakEndLevel;  // the caller's level for the first chord, then y[e]
  TChordCandidates candidates;

  while (e != s) {
    const double dm = (y[e] - y[s]) / double(e - s);
    state.dm = dm;
    int hit = -1;
    if (stats.Chords >= 1 && stats.Chords > tuning.PlainRescans && !candidates.Built())
      candidates.Build(y, s, firstK, e, tuning.MarginScale);
    if (candidates.Usable()) {
      stats.Indexed = true;
      for (int a = firstK;;) {
        const int k = candidates.First(a, e, dm);
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
