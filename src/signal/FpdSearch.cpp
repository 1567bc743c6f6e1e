#include <algorithm>
#include <cmath>

#include "signal/PeakInternal.h"

namespace zelvo {

namespace {

constexpr int kMinPoints = 4;          // the starting level is the point at index 3
constexpr double kMinStartArea = 100;  // least area of a real rise
constexpr double kMinPeakArea = 100;   // least area of a peak that counts
constexpr double kSearchDelay = 230;   // the search starts 230 / (Loopflow / 60) s in

// The FPD peak fields are drawn and recorded from the shared peak fields.
void TakeBounds(const TPeakState &shared, TFpdResult &result) {
  result.FPDStart = shared.PeakStartIndex;
  result.FPDEnd = shared.PeakEndIndex;
  result.FPDStartLevel = shared.PeakStartLevel;
  result.FPDEndLevel = shared.PeakEndLevel;
}

// First index the search looks at: 230 / (Loopflow / 60) x 10, truncated, at least 1; a flow
// of 0 puts it past any signal.
int FirstSearchIndex(int loopflow, int points) {
  const double b = std::trunc(kSearchDelay / (loopflow / 60.0) * 10);
  if (!(b >= 1)) return 1;
  if (b >= points) return points;
  return static_cast<int>(b);
}

}  // namespace

TFpdResult FpdSearch(std::span<const double> fpd, const TFpdSettings &settings, TPeakState &shared) {
  TFpdResult result;
  shared.NoPeak = true;
  const int k = ClampedSize(fpd.size());
  if (k < kMinPoints) {  // a silent converter: no starting level, nothing to draw
    TakeBounds(shared, result);
    return result;
  }
  result.Searched = true;

  int phase = 0;
  shared.PeakStartLevel = fpd[3];
  shared.PeakEndLevel = shared.PeakStartLevel;
  double area = 0;

  result.PeakHeigth = *std::max_element(fpd.begin(), fpd.end()) - shared.PeakStartLevel;
  const double slope = (result.PeakHeigth / 4) / (settings.MinPeakWith * 10);
  result.PeakSlopeFPD = slope;
  // Least area of a real rise: T + 2T + ... + mT with T the threshold slope truncated and m
  // three times the width in seconds, truncated, at least 1; no less than 100.
  const double t = std::trunc(slope);
  const double m = std::max(1.0, std::trunc(settings.MinPeakWith * 3));
  double startArea = t * (m * (m + 1) / 2);
  if (!(startArea >= kMinStartArea)) startArea = kMinStartArea;
  result.PeakStartAreaFPD = startArea;

  const double falling = -(slope / 5), stillFalling = -(slope / 3);
  const double maxRise = settings.PeakTime * 10;
  const double minWidth = settings.MinPeakWith * 10;
  int b = FirstSearchIndex(settings.Loopflow, k);
  double x[5];    // times of the points b .. b + 4 in seconds
  int xFor = -2;  // the b that x holds
  while (b < k - 4 && phase != 3) {
    if (b == xFor + 1) {
      std::copy(x + 1, x + 5, x);
      x[4] = (b + 4) / 10.0;
    } else {
      for (int i = 0; i < 5; ++i) x[i] = (b + i) / 10.0;
    }
    xFor = b;
    const double s = LeastSquaresSlope5(x, fpd.data() + b);
    const double y2 = fpd[b + 2];
    switch (phase) {
      case 0:  // looking for the rise
        shared.PeakStartIndex = b + 2;
        if (s > slope) {
          shared.PeakStartLevel = y2;
          area = 0;
          phase = 1;
        }
        ++b;
        break;
      case 1:  // rising
        area += y2 - shared.PeakStartLevel;
        if (b + 2 - shared.PeakStartIndex > maxRise && area < startArea) {
          b = shared.PeakStartIndex - 1;  // a false start: look again just after it
          phase = 0;
          break;
        }
        if (s < falling) phase = 2;
        ++b;
        break;
      default:  // falling
        area += y2 - shared.PeakStartLevel;
        if (s <= stillFalling) {
          ++b;
          break;
        }
        shared.PeakEndIndex = b + 2;
        shared.PeakEndLevel = y2;
        if (shared.PeakEndIndex - shared.PeakStartIndex < minWidth) {  // too narrow
          b = shared.PeakEndIndex;
          shared.PeakStartIndex = 0;
          shared.PeakEndIndex = 0;
          area = 0;
          phase = 0;
        } else {
          phase = 3;
          if (area > kMinPeakArea) shared.NoPeak = false;
        }
        ++b;
        break;
    }
  }
  result.Phase = phase;
  result.Found = phase == 3 && !shared.NoPeak;

  if (result.Found) {
    // The baseline is laid on the FPD signal itself, under the peak's highest point.
    const auto first = fpd.begin() + shared.PeakStartIndex;
    const auto apex = std::max_element(first, fpd.begin() + shared.PeakEndIndex + 1);
    CheckBaseline(fpd, static_cast<int>(apex - fpd.begin()), shared);
    result.FPDArea = area;
  }
  TakeBounds(shared, result);
  result.FPDBaseDraw = true;
  return result;
}

}  // namespace zelvo
