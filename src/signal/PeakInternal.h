#pragma once
// Pieces of the peak evaluation shared by its source files and reached by the tests and the
// benchmark; not part of the library's interface.
#include <climits>
#include <cstddef>
#include <span>

#include "signal/Peak.h"

namespace zelvo {

// Least-squares slope of the first n pairs, in the one sum order the library uses; 0 when
// the denominator is 0.
inline double LeastSquaresSlope(const double *x, const double *y, std::size_t n) {
  double sx = 0, sy = 0, sxy = 0, sxx = 0;
  for (std::size_t i = 0; i < n; ++i) {
    sx += x[i];
    sy += y[i];
    sxy += x[i] * y[i];
    sxx += x[i] * x[i];
  }
  const double dn = static_cast<double>(n);
  const double denominator = dn * sxx - sx * sx;
  if (denominator == 0) return 0;
  return (dn * sxy - sx * sy) / denominator;
}

// The same for five pairs, unrolled in the same order (the hot path of the FPD search).
inline double LeastSquaresSlope5(const double *x, const double *y) {
  double sx = 0, sy = 0, sxy = 0, sxx = 0;
  sx += x[0], sy += y[0], sxy += x[0] * y[0], sxx += x[0] * x[0];
  sx += x[1], sy += y[1], sxy += x[1] * y[1], sxx += x[1] * x[1];
  sx += x[2], sy += y[2], sxy += x[2] * y[2], sxx += x[2] * x[2];
  sx += x[3], sy += y[3], sxy += x[3] * y[3], sxx += x[3] * x[3];
  sx += x[4], sy += y[4], sxy += x[4] * y[4], sxx += x[4] * x[4];
  const double denominator = 5 * sxx - sx * sx;
  if (denominator == 0) return 0;
  return (5 * sxy - sx * sy) / denominator;
}

// A length as an index bound.
inline int ClampedSize(std::size_t size) {
  return size > std::size_t(INT_MAX) ? INT_MAX : static_cast<int>(size);
}

// A settings value in seconds x 10 as a sample index: truncated toward zero, held inside the
// int range (not a number gives 0).
inline int TruncToInt(double value) {
  if (!(value == value)) return 0;
  if (value >= double(INT_MAX)) return INT_MAX;
  if (value <= double(INT_MIN)) return INT_MIN;
  return static_cast<int>(value);
}

struct TEndSearchStats {
  int Moves = 0;              // times the end moved
  int Chords = 0;             // chords laid
  long long Evaluations = 0;  // points compared with a chord
  bool Indexed = false;       // the candidate index was built
};

// How the end side searches; the defaults are the library's, the tests vary them.
struct TEndSearchTuning {
  int PlainRescans = 1;    // chords after the first scanned plainly before the index is built
  double MarginScale = 1;  // widens the index's rounding margin (more points visited, same result)
};

// The end side of the baseline check: for the chord from PeakStartIndex to PeakEndIndex
// (through PeakEndLevel), the first point k >= firstK, up to the end, whose chord value
// truncated toward zero lies above y[k] becomes the new end, and the search starts again with
// the new chord; it stops when no point qualifies, when the end would stay where it is, or
// when the end reaches the start. Sets PeakEndIndex, PeakEndLevel and dm.
//
// Every chord after the first passes through the start point, so whether a point can lie
// below it is a matter of the chord's slope alone. After a few plain scans the search builds
// an index of those slope bounds once and then visits only the points that may qualify, in
// order, deciding each by the very comparison of the plain scan.
TEndSearchStats MoveBaselineEnd(std::span<const double> y, int firstK, TPeakState &state,
                                const TEndSearchTuning &tuning = {});

}  // namespace zelvo
