#include <gtest/gtest.h>

#include <bit>
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <map>
#include <span>
#include <vector>

#include "signal/Peak.h"

using zelvo::AppendSlopes;
using zelvo::PeakAndArea;
using zelvo::Regression;
using zelvo::TPeakSettings;
using zelvo::TPeakState;

namespace {

using Vec = std::vector<double>;

// 300 samples, 0 except a triangle rising 50 µV per sample from sample 100 (0 µV) to 110
// (500 µV) and falling back to 0 at 120; plus `drift` µV per sample everywhere.
Vec Triangle(double step = 50, double drift = 0) {
  Vec y(300);
  for (int k = 0; k < 300; ++k) {
    const int d = k < 100 || k > 120 ? 0 : (k <= 110 ? k - 100 : 120 - k);
    y[k] = d * step + drift * k;
  }
  return y;
}

Vec Slopes(const Vec &y) {
  Vec s;
  AppendSlopes(y, 0, y.size(), s);
  return s;
}

TPeakState Evaluate(const Vec &y, const Vec &slopes, TPeakSettings settings = {}) {
  TPeakState st;
  PeakAndArea(y, slopes, settings, st);
  return st;
}

TEST(Regression, SlopeOfTheLeastSquaresLine) {
  struct Case {
    Vec x, y;
    double slope;
  };
  const std::vector<Case> cases = {
      {{0, 1, 2, 3, 4}, {0, 10, 20, 30, 40}, 10},
      {{0, 1, 2, 3, 4}, {5, 5, 5, 5, 5}, 0},
      {{0, 1, 2, 3, 4}, {0, 0, 100, 0, 0}, 0},
      {{0, 1, 2, 3, 4}, {3, 1, 4, 1, 5}, 0.4},             // (2 (5 - 3) + (1 - 1)) / 10
      {{100, 101, 102, 103, 104}, {7, 9, 11, 13, 15}, 2},  // x need not start at 0
      {{0, 2, 3}, {1, 5, 7}, 2},                           // nor be evenly spaced
      {{1, 2, 3, 4, 5, 6}, {2, 4, 6}, 2},                  // the shorter length counts
      {{2, 2, 2, 2, 2}, {1, 9, 3, 7, 5}, 0},               // x does not vary
      {{0.7, 0.7, 0.7}, {1, 2, 3}, 0},                     // nor here, despite rounding
      {{1}, {5}, 0},
      {{}, {}, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.y));
    EXPECT_DOUBLE_EQ(Regression(c.x, c.y), c.slope);
  }
  // x in seconds, as the FPD search passes it: 3 µV per second on a line.
  const Vec xs = {2.3, 2.4, 2.5, 2.6, 2.7};
  Vec ys;
  for (double x : xs) ys.push_back(3 * x + 1000);
  EXPECT_NEAR(Regression(xs, ys), 3, 1e-9);
}

// The slope over samples i-4..i of the triangle; the values the peak search is built on.
TEST(SlopeSeries, WindowsEndingAtSampleFourOn) {
  const Vec s = Slopes(Triangle());
  ASSERT_EQ(s.size(), 296u);
  const std::map<int, double> expected = {{96, 0},    {97, 10},   {98, 25},   {99, 40},   {100, 50},
                                          {106, 50},  {107, 30},  {108, 0},   {109, -30}, {110, -50},
                                          {116, -50}, {117, -40}, {118, -25}, {119, -10}, {120, 0}};
  for (auto [j, v] : expected) EXPECT_EQ(s[j], v) << "slope index " << j;

  // Appending a range: windows end at samples from max(from, 4) to below min(to, size).
  Vec part = {-1};
  AppendSlopes(Triangle(), 0, 6, part);
  EXPECT_EQ(part.size(), 3u);  // -1, then windows ending at 4 and 5
  AppendSlopes(Triangle(), 296, 1000, part);
  EXPECT_EQ(part.size(), 7u);  // windows ending at 296..299
  AppendSlopes(Vec{1, 2, 3}, 0, 3, part);
  EXPECT_EQ(part.size(), 7u);
}

// The series gives exactly what Regression gives for each window, on whole readings (where
// it takes a shorter exact form) and on fractions alike.
TEST(SlopeSeries, SameBitsAsRegressionOfEachWindow) {
  // Whole readings of the converter's range, whole values near the limit of the short form,
  // and fractions from an edited file.
  for (const auto &[range, whole] : {std::pair{1048575.0, true}, {16777216.0, true}, {1048575.0, false}}) {
    SCOPED_TRACE(range);
    Vec y(70000);
    unsigned r = 12345;
    for (double &v : y) {
      r = r * 1103515245u + 12345u;
      v = (double(r >> 8) / double(1 << 23) - 1) * range * 0.999;
      if (whole) v = std::round(v);
    }
    Vec s;
    AppendSlopes(y, 65530, y.size(), s);
    ASSERT_EQ(s.size(), y.size() - 65530);
    for (std::size_t i = 65530; i < y.size(); ++i) {
      const double x[5] = {double(i - 4), double(i - 3), double(i - 2), double(i - 1), double(i)};
      const double expected = Regression(x, std::span<const double>(y).subspan(i - 4, 5));
      ASSERT_EQ(std::bit_cast<std::uint64_t>(s[i - 65530]), std::bit_cast<std::uint64_t>(expected)) << i;
    }
  }
}

TEST(PeakAndArea, WorkedTriangleWithAndWithoutDrift) {
  for (double drift : {0.0, 1.0}) {
    SCOPED_TRACE(drift);
    const Vec y = Triangle(50, drift);
    const TPeakState st = Evaluate(y, Slopes(y));
    EXPECT_FALSE(st.NoPeak);
    EXPECT_EQ(st.FIDStart, 100);
    EXPECT_EQ(st.FIDEnd, 118);
    EXPECT_EQ(st.FIDStartLevel, 0 + 100 * drift);
    EXPECT_EQ(st.FIDEndLevel, 100 + 118 * drift);
    EXPECT_DOUBLE_EQ(st.FIDArea, 4000);  // 4950 under the signal, 950 under the baseline
    EXPECT_TRUE(st.FIDBaseDraw);
  }
}

TEST(PeakAndArea, ShallowTriangleIsNoPeak) {
  const Vec y = Triangle(20);  // largest slope 20 µV per sample
  const TPeakState st = Evaluate(y, Slopes(y));
  EXPECT_TRUE(st.NoPeak);
  EXPECT_EQ(st.FIDArea, 0);
  EXPECT_FALSE(st.FIDBaseDraw);
}

// A run keeps one state: an evaluation without a peak clears the area and leaves the bounds
// of the last peak for the records.
TEST(PeakAndArea, NoPeakClearsTheAreaAndKeepsTheLastBounds) {
  TPeakState st;
  const Vec y = Triangle();
  PeakAndArea(y, Slopes(y), {}, st);
  ASSERT_EQ(st.FIDArea, 4000);
  const Vec flat(300, 7.0);
  PeakAndArea(flat, Slopes(flat), {}, st);
  EXPECT_TRUE(st.NoPeak);
  EXPECT_EQ(st.FIDArea, 0);
  EXPECT_EQ(st.FIDStart, 100);
  EXPECT_EQ(st.FIDEnd, 118);
  EXPECT_EQ(st.PeakStartIndex, 100);
}

// The rules of the slope search, on hand-made slope series over a flat signal (on which the
// baseline check moves nothing, so the bounds found on the slopes are the result).
TEST(PeakAndArea, SlopeSearchRules) {
  struct Case {
    const char *name;
    std::map<int, double> slopes;  // 0 elsewhere
    int minPeakStart;
    bool noPeak;
    int start = 0, end = 0;
  };
  constexpr int kM = 60;  // slope points
  const std::vector<Case> cases = {
      {"exactly25AtTheMaximumIsTheStartAndMinus25AtTheMinimumTheEnd",
       {{19, 10}, {20, 25}, {30, -25}, {31, -10}},
       10,
       false,
       20,
       30},
      {"startIsTheLastGentleSlopeBeforeTheSteepestRise",
       {{17, 0}, {18, 30}, {19, 40}, {20, 50}, {30, -50}},
       10,
       false,
       17,
       31},
      {"endIsTheFirstGentleSlopeAfterTheSteepestFall",
       {{20, 50}, {30, -50}, {31, -40}, {32, -26}, {33, -24}},
       10,
       false,
       19,
       33},
      {"firstOfTwoEqualMaximaCounts", {{20, 50}, {38, 40}, {39, 40}, {40, 50}, {50, -50}}, 10, false, 19, 51},
      {"firstOfTwoEqualMinimaCounts", {{20, 50}, {30, -50}, {40, -50}, {41, -50}}, 10, false, 19, 31},
      {"fallNeverFlattensEndIsTheNumberOfSlopePoints",
       {{20, 50},
        {50, -30},
        {51, -30},
        {52, -30},
        {53, -30},
        {54, -30},
        {55, -30},
        {56, -30},
        {57, -30},
        {58, -30},
        {59, -30}},
       10,
       false,
       19,
       kM},
      {"riseBeforeTheFirstIndexLookedAtIsNotSeen", {{5, 50}, {30, -50}}, 10, true},
      {"sameRiseSeenFromAnEarlierIndex", {{5, 50}, {30, -50}}, 3, false, 4, 31},
      {"aNegativeFirstIndexCountsAsZero", {{0, 50}, {30, -50}}, -5, false, 0, 31},
      {"riseWithoutFallIsNoPeak", {{20, 50}}, 10, true},
      {"fallWithoutRiseIsNoPeak", {{30, -50}}, 10, true},
      {"justUnder25IsNoPeak", {{20, 24.999}, {30, -50}}, 10, true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    Vec s(kM, 0.0);
    for (auto [j, v] : c.slopes) s[j] = v;
    const Vec y(kM + 4, 0.0);
    const TPeakState st = Evaluate(y, s, {c.minPeakStart, 25});
    EXPECT_EQ(st.NoPeak, c.noPeak);
    EXPECT_EQ(st.FIDBaseDraw, !c.noPeak);
    if (c.noPeak) continue;
    EXPECT_EQ(st.FIDStart, c.start);
    EXPECT_EQ(st.FIDEnd, c.end);
  }
}

// The triangle at the very start of the signal: from index 10 on only its fall is seen.
TEST(PeakAndArea, RiseAtTheVeryStartIsHiddenByTheFirstIndexLookedAt) {
  Vec y(100, 0.0);
  for (int k = 0; k <= 20; ++k) y[k] = 500 - 50 * std::abs(k - 10);
  const Vec s = Slopes(y);
  EXPECT_TRUE(Evaluate(y, s, {10, 25}).NoPeak);  // only the fall is seen
  const TPeakState seen = Evaluate(y, s, {0, 25});
  EXPECT_FALSE(seen.NoPeak);
  EXPECT_GT(seen.FIDArea, 0);
}

// Between the start and the end the baseline may lie above the signal, up to 1 µV each side
// of the apex, since the end side compares with the truncated chord: with a chord rising
// 0.5 µV per sample over points that stay on its truncation the sum is negative. The area is
// then 0, but the baseline is still laid and drawn.
TEST(PeakAndArea, NegativeSumGivesNoAreaButTheBaselineIsDrawn) {
  Vec s(14, 0.0);
  s[0] = 30;                                 // steepest rise, the apex is its turn at 0
  for (int j = 1; j <= 10; ++j) s[j] = -30;  // the fall flattens at 11
  s[11] = 0;
  Vec y(18, 0.0);
  for (int k = 0; k <= 11; ++k) y[k] = std::floor(k * 5.0 / 11);  // 0 at 0, 5 at 11
  const TPeakState st = Evaluate(y, s, {0, 25});
  EXPECT_FALSE(st.NoPeak);
  EXPECT_EQ(st.FIDStart, 0);
  EXPECT_EQ(st.FIDEnd, 11);
  EXPECT_EQ(st.FIDArea, 0);
  EXPECT_TRUE(st.FIDBaseDraw);
}

// Faults the plain rules would run into, each on the smallest signal that shows it.
TEST(PeakAndArea, StaysInsideTheSamples) {
  // A fall and a rise with no turn between them: the apex is the default 25 s, far beyond
  // these 40 samples; the start side must stop at the last sample.
  {
    Vec s(36, 0.0);
    s[20] = -50, s[21] = 50;
    Vec y(40, 0.0);
    for (int k = 21; k < 40; ++k) y[k] = 10.0 * (k - 20) + (k > 21 ? 5 : 0);
    const TPeakState st = Evaluate(y, s, {10, 25});
    EXPECT_FALSE(st.NoPeak);
    EXPECT_EQ(st.FIDStart, 20);
    EXPECT_EQ(st.FIDEnd, 21);
  }
  // A slope series holding two copies of the same signal (a skipped position appends to it):
  // a fall that runs on into the second copy must not put the end past the last sample.
  {
    Vec y(200, 0.0);
    for (int k = 0; k <= 30; ++k) y[k] = 900 - 30 * k;
    for (int k = 160; k < 200; ++k) y[k] = k <= 180 ? 50.0 * (k - 160) : 1000 - 50.0 * (k - 180);
    Vec s = Slopes(y);
    AppendSlopes(y, 0, y.size(), s);
    const TPeakState st = Evaluate(y, s, {30, 25});
    EXPECT_FALSE(st.NoPeak);
    EXPECT_EQ(st.FIDEnd, 199);
    EXPECT_EQ(st.FIDEndLevel, 50);
    EXPECT_GT(st.FIDArea, 0);
  }
  // Slopes but no signal at all.
  {
    Vec s(30, 0.0);
    s[10] = 50, s[20] = -50;
    const TPeakState st = Evaluate({}, s, {0, 25});
    EXPECT_EQ(st.FIDArea, 0);
    EXPECT_FALSE(st.FIDBaseDraw);
  }
}

// The chord value at the start, -1 + 15 - 15, rounds to just above -1 and truncates to 0:
// the end side moves the end onto the start. One point has no area and no baseline slope.
TEST(PeakAndArea, StartEqualToEndGivesNoAreaWithoutDividing) {
  Vec s(16, 0.0);
  s[0] = 30;
  for (int j = 1; j <= 10; ++j) s[j] = -30;
  Vec y(20, 1000.0);
  y[0] = -1, y[11] = 14;
  std::feclearexcept(FE_ALL_EXCEPT);
  const TPeakState st = Evaluate(y, s, {0, 25});
  EXPECT_FALSE(std::fetestexcept(FE_INVALID | FE_DIVBYZERO));  // no 0 / 0 on the way
  EXPECT_FALSE(st.NoPeak);
  EXPECT_EQ(st.FIDStart, 0);
  EXPECT_EQ(st.FIDEnd, 0);
  EXPECT_EQ(st.FIDArea, 0);
  EXPECT_FALSE(std::isnan(st.FIDArea));
}

// Shifted down by 200.5 µV the end level is -100.5, which truncates to -100, above itself:
// the end may not "move" onto its own index again and again. The area does not change.
TEST(PeakAndArea, EndBelowItsOwnTruncatedLevelEndsTheEndSide) {
  Vec y = Triangle();
  for (double &v : y) v -= 200.5;
  const TPeakState st = Evaluate(y, Slopes(y));
  EXPECT_EQ(st.FIDStart, 100);
  EXPECT_EQ(st.FIDEnd, 118);
  EXPECT_DOUBLE_EQ(st.FIDArea, 4000);
}

}  // namespace
