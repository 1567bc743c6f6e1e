#include "core/TickStats.h"

#include <gtest/gtest.h>

using zelvo::TTickStats;

TEST(TickStats, PercentilesFromTheHistogramAndTheLongestTick) {
  TTickStats s;
  EXPECT_EQ(s.PercentileMs(0.99), 0);
  for (int i = 0; i < 990; ++i) s.Add(0.00105);  // 1.05 ms
  for (int i = 0; i < 10; ++i) s.Add(0.020);     // 20 ms
  EXPECT_EQ(s.Count(), 1000);
  EXPECT_NEAR(s.PercentileMs(0.99), 1.1, 1e-9);  // upper edge of the 1.0..1.1 ms bucket
  EXPECT_NEAR(s.PercentileMs(0.995), 20.1, 1e-9);
  EXPECT_NEAR(s.MaxMs(), 20.0, 1e-9);
  s.Add(7.5);  // beyond the histogram: the percentile ends at the longest tick
  EXPECT_NEAR(s.PercentileMs(1.0), 7500.0, 1e-6);
  EXPECT_GT(zelvo::ResidentKb(), 0);
}
