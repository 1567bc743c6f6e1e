#pragma once
// Pieces of the peak evaluation shared by its source files and reached by the tests and the
// benchmark; not part of the library's interface.
#include <climits>
#include <span>

#include "signal/Peak.h"

namespace zelvo {

// A settings value in seconds x 10 as a sample index: truncated toward zero, held inside the
// int range (not a number gives 0).
inline int TruncToInt(double value) {
  if (!(value == value)) return 0;
  if (value >= double(INT_MAX)) return INT_MAX;
  if (value <= double(INT_MIN)) return INT_MIN;
  return static_cast<int>(value);
}

struct TEndSearchStats {
  int Moves = 0;                // times the end moved
  int Chords = 0;               // chords laid
  long long Evaluations = 0;    // points compared with a chord
  bool Indexed = false;         // the candidate index was built
};

// The end side of the baseline check: for the chord from PeakStartIndex to PeakEndIndex
// (through PeakEndLevel), the first point k >= firstK, up to the end, whose chord value
// truncated toward zero lies above y[k] becomes the new end, and the search starts again with
// the new chord; it stops when no point qualifies, when the end would stay where it is, or
// when the end reaches the start. Sets PeakEndIndex, PeakEndLevel and dm.
//
// Every chord after the first passes through the start point, so whether a point can lie
// below it is a matter of the chord's slope alone. After `plainRescans` plain scans the
// search builds an index of those slope bounds once and then visits only the points that
// may qualify, in order, deciding each by the very comparison of the plain scan.
TEndSearchStats MoveBaselineEnd(std::span<const double> y, int firstK, TPeakState &state, int plainRescans = 1);

}  // namespace zelvo
