#include "link/Reconnect.h"

#include <gtest/gtest.h>

#include <vector>

using zelvo::TReconnect;

TEST(Reconnect, WaitsDoubleUpToThirtySecondsAndStartOverAfterAReopen) {
  TReconnect r;
  EXPECT_FALSE(r.Pending());
  EXPECT_FALSE(r.Due(1e9));
  r.Lost(100.0);
  EXPECT_FALSE(r.Due(100.9));
  EXPECT_TRUE(r.Due(101.0));
  std::vector<double> waits;
  double now = 101.0;
  for (int i = 0; i < 8; ++i) {
    r.Failed(now);
    waits.push_back(r.NextTry() - now);
    EXPECT_FALSE(r.Due(now + waits.back() - 0.01));
    now = r.NextTry();
    EXPECT_TRUE(r.Due(now));
  }
  EXPECT_EQ(waits, (std::vector<double>{2, 4, 8, 16, 30, 30, 30, 30}));
  EXPECT_EQ(r.Attempts(), 8);
  r.Done();
  EXPECT_FALSE(r.Pending());
  EXPECT_FALSE(r.Due(now + 100));
  r.Failed(now);  // a late failure after the reopen changes nothing
  EXPECT_FALSE(r.Pending());
  // A second loss starts again at one second.
  r.Lost(500.0);
  EXPECT_TRUE(r.Due(501.0));
  EXPECT_EQ(r.Attempts(), 0);
}
