#pragma once
// One detector's signal as the program keeps it: every reading since the series was last
// cleared, the sample counter, the sampling flag and the latest level. The evaluation reads
// these values; the chart only draws them.
#include <cstddef>
#include <optional>
#include <vector>

#include "link/LineReceiver.h"

namespace zelvo {

struct TSignalChannel {
  // Point k of the series: time X[k] in seconds (counter / 10 at its arrival), reading Y[k]
  // in µV. The index k is the sample number the evaluation works with.
  std::vector<double> X, Y;
  int Counter = 0;        // runZeit / runZeit2: readings appended since the last reset
  bool Sampling = false;  // FIDSampling / FPDSampling: last marker was "[" or "/"
  std::optional<int> Level;  // latest reading, for the level field
  long long Malformed = 0;   // lines skipped because they held no reading

  std::size_t Size() const { return Y.size(); }
  void ClearSeries() { X.clear(), Y.clear(); }
};

struct TDrainResult {
  std::size_t FirstNew = 0;  // index of the first point appended by this drain
  std::size_t Appended = 0;  // points appended
  int Skipped = 0;           // malformed lines dropped (flags, counter and series untouched)
};

// Takes every line out of `queue` into `channel`: sets or clears the sampling flag by the
// marker, appends (Counter / 10, reading) and counts on. A line without a reading is
// skipped as if it had never arrived.
TDrainResult DrainDataQueue(TLineQueue &queue, TSignalChannel &channel);

}  // namespace zelvo
