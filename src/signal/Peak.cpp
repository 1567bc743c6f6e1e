#include "signal/Peak.h"

#include <algorithm>
#include <cmath>

#include "signal/PeakInternal.h"

namespace zelvo {

namespace {

constexpr double kRiseSlope = 25;   // µV per sample
constexpr double kFallSlope = -25;  // µV per sample

}  // namespace

double Regression(std::span<const double> x, std::span<const double> y) {
  const std::size_t n = std::min(x.size(), y.size());
  if (n < 2) return 0;
  // Equal x values give a slope of 0, even where rounding would leave a tiny denominator.
  if (std::all_of(x.begin() + 1, x.begin() + n, [&](double v) { return v == x[0]; })) return 0;
  return LeastSquaresSlope(x.data(), y.data(), n);
}

void AppendSlopes(std::span<const double> y, std::size_t from, std::size_t to, std::vector<double> &slopes) {
  const std::size_t first = std::max<std::size_t>(from, 4);
  const std::size_t last = std::min(to, y.size());
  if (first >= last) return;
  const std::size_t old = slopes.size();
  slopes.resize(old + (last - first));
  double *out = slopes.data() + old;
  const double *v = y.data();
  // Whole readings below 2^24 at indices below 2^24 keep every sum and product of the general
  // formula an exact integer: it is then (5 N) / 50 with N = 2 (y4 - y0) + (y3 - y1), which
  // rounds to the same double as N / 10. Other values take the general formula.
  constexpr double kExact = 16777216;  // 2^24
  bool exact = last <= std::size_t(kExact);
  for (std::size_t k = first - 4; exact && k < last; ++k)
    exact = std::fabs(v[k]) <= kExact && v[k] == std::trunc(v[k]);
  if (exact) {
    for (std::size_t i = first; i < last; ++i) *out++ = (2 * (v[i] - v[i - 4]) + (v[i - 1] - v[i - 3])) / 10;
    return;
  }
  for (std::size_t i = first; i < last; ++i) {
    const double x[5] = {double(i - 4), double(i - 3), double(i - 2), double(i - 1), double(i)};
    *out++ = LeastSquaresSlope5(x, v + (i - 4));
  }
}

void PeakAndArea(std::span<const double> signal, std::span<const double> slopes,
                 const TPeakSettings &settings, TPeakState &state) {
  state.NoPeak = false;
  state.FIDArea = 0;
  const int m = ClampedSize(slopes.size());
  const int n = ClampedSize(signal.size());
  const int first = std::max(settings.MinPeakStart, 0);

  // Steepest rise and fall from the first index looked at; the first of equal values wins.
  double maxS = 0, minS = 0;
  int iMax = 0, iMin = 0;
  for (int j = first; j < m; ++j) {
    if (slopes[j] > maxS) maxS = slopes[j], iMax = j;
    if (slopes[j] < minS) minS = slopes[j], iMin = j;
  }
  if (!(maxS >= kRiseSlope && minS <= kFallSlope)) {
    state.NoPeak = true;
    return;
  }

  // Start: back from the steepest rise to where the rise is no longer steep. End: on from the
  // steepest fall to where the fall has flattened, or one past the last slope point.
  int start = first;
  for (int j = iMax; j >= first; --j)
    if (slopes[j] <= kRiseSlope) {
      start = j;
      break;
    }
  int end = m;
  for (int j = iMin; j < m; ++j)
    if (slopes[j] >= kFallSlope) {
      end = j;
      break;
    }
  // A slope series longer than the signal (points appended to an old series) must not lead
  // the baseline past the last sample.
  if (end > n - 1) end = std::max(n - 1, 0);
  state.PeakStartIndex = start;
  state.PeakEndIndex = end;
  if (start >= end) return;

  // Apex: the default position, or the last turn from rising to falling between the two
  // extremes.
  int peak = TruncToInt(settings.PeakTime * 10);
  if (iMin > iMax)
    for (int j = iMax; j < iMin; ++j)
      if (slopes[j] >= 0 && slopes[j + 1] < 0) peak = j;

  state.PeakEndLevel = signal[end];
  CheckBaseline(signal, peak, state);

  state.FIDStart = state.PeakStartIndex;
  state.FIDEnd = state.PeakEndIndex;
  state.FIDStartLevel = signal[state.PeakStartIndex];
  state.FIDEndLevel = signal[state.PeakEndIndex];
  state.FIDBaseDraw = true;
  if (state.FIDEnd == state.FIDStart) return;  // a single point has no area

  const double b = (state.FIDEndLevel - state.FIDStartLevel) / (state.FIDEnd - state.FIDStart);
  double area = 0;
  for (int k = state.PeakStartIndex; k <= state.PeakEndIndex; ++k)
    area += signal[k] - (state.FIDStartLevel + (k - state.FIDStart) * b);
  state.FIDArea = area > 0 ? area : 0;
}

void CheckBaseline(std::span<const double> signal, int peak, TPeakState &state) {
  const int n = ClampedSize(signal.size());
  int s = state.PeakStartIndex, e = state.PeakEndIndex;
  if (s < 0 || e < 0 || s >= n || e >= n) return;  // no chord to lay outside the samples
  const double *y = signal.data();

  // Start side: the start moves later until no point up to the apex lies below the chord.
  // Each move resumes the scan at the new start, so this side is linear as it stands.
  const int lastStartSide = std::min(peak, n - 1);
  while (e != s) {
    const double dm = (y[e] - y[s]) / double(e - s);
    state.dm = dm;
    int moved = -1;
    for (int k = s; k <= lastStartSide; ++k) {
      state.PeakStartLevel = y[s];
      if (y[k] < state.PeakStartLevel + double(k - s) * dm) {
        moved = k;
        break;
      }
    }
    if (moved < 0) break;
    s = moved;
  }
  state.PeakStartIndex = s;

  // End side: the end moves earlier until no point from the apex on lies below the
  // truncated chord.
  MoveBaselineEnd(signal, std::max(peak, 0), state);
}

}  // namespace zelvo
