#pragma once
// Figures of a long unattended run (the soak): how long the ticks took, as a histogram of
// fixed size so that days of ticks cost no memory, and the process's resident memory.
#include <array>
#include <cstdint>

namespace zelvo {

class TTickStats {
 public:
  static constexpr double kBucketMs = 0.1;   // resolution of the percentiles
  static constexpr int kBuckets = 20000;     // up to 2 s; longer ticks share the last bucket

  void Add(double seconds);
  std::int64_t Count() const { return FCount; }
  double MaxMs() const { return FMaxMs; }
  // The smallest duration (upper edge of its bucket) that `fraction` of the ticks did not
  // exceed; 0 before the first tick.
  double PercentileMs(double fraction) const;

 private:
  std::array<std::uint32_t, kBuckets> FBuckets{};
  std::int64_t FCount = 0;
  double FMaxMs = 0;
};

// Resident memory of this process in KiB (0 where it cannot be read).
long ResidentKb();

}  // namespace zelvo
