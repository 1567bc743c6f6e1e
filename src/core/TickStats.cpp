#include "core/TickStats.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace zelvo {

void TTickStats::Add(double seconds) {
  const double ms = std::max(0.0, seconds * 1000.0);
  const int bucket = static_cast<int>(std::min(ms / kBucketMs, static_cast<double>(kBuckets - 1)));
  ++FBuckets[static_cast<std::size_t>(bucket)];
  ++FCount;
  FMaxMs = std::max(FMaxMs, ms);
}

double TTickStats::PercentileMs(double fraction) const {
  if (FCount == 0) return 0;
  const auto needed = static_cast<std::int64_t>(std::ceil(std::clamp(fraction, 0.0, 1.0) * FCount));
  std::int64_t seen = 0;
  for (int i = 0; i < kBuckets; ++i) {
    seen += FBuckets[static_cast<std::size_t>(i)];
    if (seen >= needed && seen > 0) return i == kBuckets - 1 ? FMaxMs : (i + 1) * kBucketMs;
  }
  return FMaxMs;
}

long ResidentKb() {
  std::FILE *f = std::fopen("/proc/self/statm", "r");
  if (!f) return 0;
  long size = 0, resident = 0;
  const int n = std::fscanf(f, "%ld %ld", &size, &resident);
  std::fclose(f);
  if (n != 2) return 0;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

}  // namespace zelvo
