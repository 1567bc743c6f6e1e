#pragma once
// Peak detection and area of one injection, on plain arrays.
//
// The slope series holds, for every signal sample i from 4 on, the least-squares slope over
// the five samples i-4..i (µV per sample). A peak is a rise steeper than +25 µV/sample
// followed by a fall steeper than -25 µV/sample; its start and end, found on the slope
// series, are refined on the signal so that no point between start and apex, or apex and
// end, lies below the straight baseline; the area is the signal above that baseline summed
// over the peak's samples (µV x sample).
#include <cstddef>
#include <span>
#include <vector>

namespace zelvo {

// Least-squares slope of y over x (the first n pairs, n = the shorter length): 
// (n Sxy - Sx Sy) / (n Sxx - Sx^2); 0 when the x values do not vary.
double Regression(std::span<const double> x, std::span<const double> y);

// Slope series rule: for each i in [from, to) with i >= 4 and i < y.size(), appends the
// Regression of y[i-4..i] over x = i-4..i to `slopes`.
void AppendSlopes(std::span<const double> y, std::size_t from, std::size_t to, std::vector<double> &slopes);

struct TPeakSettings {
  int MinPeakStart = 10;  // first slope index looked at ("MinIndex")
  double PeakTime = 25;   // default apex in seconds ("PeakIndex"); apex index = PeakTime x 10
};

// The peak fields. They keep their values between evaluations; only the search changes them.
struct TPeakState {
  bool NoPeak = false;
  int PeakStartIndex = 0, PeakEndIndex = 0;
  double PeakStartLevel = 0, PeakEndLevel = 0;
  double dm = 0;  // slope of the chord from start to end
  double FIDStart = 0, FIDEnd = 0, FIDStartLevel = 0, FIDEndLevel = 0;
  double FIDArea = 0;  // never negative
  bool FIDBaseDraw = false;  // set when a baseline was laid; the caller clears it before
};

// The FID evaluation: slope extremes from MinPeakStart, start and end on the slope series,
// apex, CheckBaseline, baseline and area. Every index stays inside the samples; a start
// equal to the end gives area 0.
void PeakAndArea(std::span<const double> signal, std::span<const double> slopes, const TPeakSettings &settings,
                 TPeakState &state);

// Moves PeakStartIndex later and PeakEndIndex earlier until no sample between them and the
// apex `peak` lies below the chord. Needs PeakStartIndex < PeakEndIndex and PeakEndLevel =
// signal[PeakEndIndex]; stays inside the samples for any `peak`.
void CheckBaseline(std::span<const double> signal, int peak, TPeakState &state);

// The FPD's own search on its signal (an FIDFPD instrument's second converter).
struct TFpdSettings {
  double MinPeakWith = 1.2;  // peak width in seconds: loop volume / (loop flow / 60)
  double PeakTime = 25;      // seconds
  int Loopflow = 10000;
};

struct TFpdResult {
  bool Searched = false;  // false: fewer than four points, no search was set up
  bool Found = false;     // the search ended with a complete peak of area > 100
  int Phase = 0;          // 3 when the search ended on a complete peak
  double FPDArea = 0;     // counts only when Found
  double PeakHeigth = 0, PeakSlopeFPD = 0, PeakStartAreaFPD = 0;
  double FPDStart = 0, FPDEnd = 0, FPDStartLevel = 0, FPDEndLevel = 0;  // drawn bounds
  bool FPDBaseDraw = false;
};

// Searches the FPD signal for its peak: rise, fall, tail, with false starts and narrow peaks
// thrown away. `shared` holds the peak fields the FID evaluation left (the FPD bounds fall
// back to them when the search finds nothing, as the records expect); NoPeak is set from
// the FPD search. A signal of fewer than four points makes no search and reads nothing.
TFpdResult FpdSearch(std::span<const double> fpd, const TFpdSettings &settings, TPeakState &shared);

}  // namespace zelvo
