#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "signal/Peak.h"

using zelvo::FpdSearch;
using zelvo::TFpdResult;
using zelvo::TFpdSettings;
using zelvo::TPeakState;

namespace {

using Vec = std::vector<double>;

// With the default settings (width 1.2 s, loop flow 10000) the search starts at index 13 and
// a signal 1000 µV high rises when its slope passes 1000 / 4 / 12 = 20.8 µV per second.
Vec Baseline(int n, double level = 100) { return Vec(n, level); }

void AddGauss(Vec &y, double at, double sigma, double height) {
  for (std::size_t k = 0; k < y.size(); ++k) {
    const double d = double(k) - at;
    y[k] += std::round(height * std::exp(-d * d / (2 * sigma * sigma)));
  }
}

void AddSpike(Vec &y, int at) {  // 1000 µV, four samples wide
  const double shape[] = {500, 1000, 500};
  for (int i = 0; i < 3; ++i) y[at - 1 + i] += shape[i];
}

// A small rise to 110 µV, then a decline by 1 µV every 5 samples (never steep enough to count
// as a fall) to 90 µV: 250 samples later its area is still below the least area of a rise.
// Were it kept as the start, the peak's area would lose some 10 µV x 400 samples.
void AddFalseStart(Vec &y, int at) {
  y[at] += 5;
  for (std::size_t k = at + 1; k < y.size(); ++k)
    y[k] += std::max(-10.0, 10 - std::floor((k - at - 1) / 5.0));
}

TPeakState FidFields() {
  TPeakState st;
  st.PeakStartIndex = 100, st.PeakEndIndex = 118;
  st.PeakStartLevel = -1, st.PeakEndLevel = -2;
  st.NoPeak = false;
  return st;
}

// The bounds lie on the FPD signal, around its highest point, and no FPD sample between the
// start and the apex lies below the baseline.
void ExpectBaselineUnderThePeak(const Vec &y, const TFpdResult &r) {
  const int s = int(r.FPDStart), e = int(r.FPDEnd);
  ASSERT_TRUE(0 <= s && s < e && e < int(y.size()));
  EXPECT_EQ(r.FPDStartLevel, y[s]);
  EXPECT_EQ(r.FPDEndLevel, y[e]);
  const int apex = int(std::max_element(y.begin() + s, y.begin() + e + 1) - y.begin());
  EXPECT_LT(s, apex);
  EXPECT_LT(apex, e);
  const double slope = (y[e] - y[s]) / (e - s);
  for (int k = s; k <= apex; ++k) EXPECT_GE(y[k], y[s] + (k - s) * slope - 1e-9) << k;
}

// A peak followed by hand: found complete, the search's area, and the bounds drawn after the
// baseline check.
struct HandResult {
  double area;
  int start;
  double startLevel;
  int end;
  double endLevel;
};
void ExpectHandResult(const Vec &y, const TFpdResult &r, const HandResult &want) {
  EXPECT_TRUE(r.Found);
  EXPECT_EQ(r.Phase, 3);
  EXPECT_EQ(r.PeakStartAreaFPD, 120);
  EXPECT_EQ(r.FPDArea, want.area);
  EXPECT_EQ(r.FPDStart, want.start);
  EXPECT_EQ(r.FPDStartLevel, want.startLevel);
  EXPECT_EQ(r.FPDEnd, want.end);
  EXPECT_EQ(r.FPDEndLevel, want.endLevel);
  ExpectBaselineUnderThePeak(y, r);
}

TEST(FpdSearch, FindsAPeakAndLaysItsBaselineOnTheFpdSignal) {
  Vec y = Baseline(600);
  AddGauss(y, 300, 10, 1000);
  TPeakState st = FidFields();
  const TFpdResult r = FpdSearch(y, {}, st);
  EXPECT_TRUE(r.Searched);
  EXPECT_TRUE(r.Found);
  EXPECT_EQ(r.Phase, 3);
  EXPECT_FALSE(st.NoPeak);
  EXPECT_TRUE(r.FPDBaseDraw);
  EXPECT_EQ(r.PeakHeigth, 1000);
  EXPECT_DOUBLE_EQ(r.PeakSlopeFPD, 1000.0 / 4 / 12);
  EXPECT_EQ(r.PeakStartAreaFPD, 120);  // 20 + 40 + 60
  // 1000 x 10 x sqrt(2 pi) = 25066 above 100 µV, less the part below the start level.
  EXPECT_NEAR(r.FPDArea, 25066, 1500);
  EXPECT_GT(r.FPDStart, 250);
  EXPECT_LT(r.FPDEnd, 350);
  ExpectBaselineUnderThePeak(y, r);
}

// A peak small enough to follow by hand (default settings: threshold slope 1000 / 4 / 12 =
// 20.8 µV/s, a fall below -4.17 µV/s, still falling below -6.94 µV/s): 100 µV, a rise of
// 100 µV per sample from sample 20 to 1100 µV at 30, a fall of 50 per sample to 300 µV at 46,
// then a tail sinking 0.5 µV per sample (5 µV/s: falling, but no longer "still falling").
// The rise is seen on the window centred on 19 (start level 100), the fall on the one
// centred on 31, the tail on the one centred on 48, which ends the peak there and adds its
// own point. The area is the sum of y - 100 over the centres 20..48: 5500 rising, 9200
// falling, 199.5 + 199 in the tail. Swapped fall thresholds follow the tail to the end of the
// signal without a peak; a tail step that adds nothing gives 14899.5.
TEST(FpdSearch, HandFollowedPeak) {
  Vec y = Baseline(70);
  for (int k = 20; k <= 30; ++k) y[k] = 100 + 100 * (k - 20);
  for (int k = 31; k <= 46; ++k) y[k] = 1100 - 50 * (k - 30);
  for (int k = 47; k < 70; ++k) y[k] = 300 - 0.5 * (k - 46);
  TPeakState st = FidFields();
  // The baseline from 19 (100 µV) to 48 (299 µV) passes above sample 20; the baseline check
  // moves the drawn start onto the rise, the end stays.
  ExpectHandResult(y, FpdSearch(y, {}, st), {15098.5, 20, 100, 48, 299});
}

// A false start is looked at again from just after the window that saw the rise, so a rise
// that window's neighbour also sees starts anew there, on its own level. Rise time 1 s
// (10 samples), threshold slope 20.8 µV/s as above; the five-point slope is
// -2 y0 - y1 + y3 + 2 y4 µV/s. A ramp of 3 µV per sample from 100 to 109 µV (samples 20..22)
// and a plateau up to sample 31 are seen by the windows centred on 20 (slope 24, level 103)
// and 21 (slope 24, level 106), not on 22 (15). The real peak rises from 300 µV at 32 by 200
// per sample to 1100 at 36, falls by 50 per sample to 300 at 52, then sinks 0.5 per sample.
// - The rise seen at 20 has gathered 3 + 10 x 6 = 63 < 120 by sample 31: a false start.
// - The search looks again at 21 and sees a rise on 106 µV, which takes in the real peak: the
//   area is the sum of y - 106 over 22..54: 30 + 2970 + 9104 + 386.5 = 12490.5.
// Looked at again from 22 (or later) the rise is only seen at 30 on 109 µV (area 12391.5);
// going on from 31 it is seen at 32 on 300 µV (7998.5); from 20 the search never ends.
TEST(FpdSearch, FalseStartIsLookedAtAgainJustAfterItsRise) {
  Vec y = Baseline(80);
  y[20] = 103, y[21] = 106;
  for (int k = 22; k <= 31; ++k) y[k] = 109;
  for (int k = 32; k <= 36; ++k) y[k] = 300 + 200 * (k - 32);
  for (int k = 37; k <= 52; ++k) y[k] = 1100 - 50 * (k - 36);
  for (int k = 53; k < 80; ++k) y[k] = 300 - 0.5 * (k - 52);
  TPeakState st = FidFields();
  // The baseline check moves the start from 21 onto the plateau's last sample, below the
  // rise; the end stays at 54 (299 µV).
  ExpectHandResult(y, FpdSearch(y, {1.2, 1, 10000}, st), {12490.5, 31, 109, 54, 299});
}

TEST(FpdSearch, ThrowsAwayFalseStartsAndNarrowPeaks) {
  struct Case {
    const char *name;
    Vec y;
    int before;  // the real peak starts after this index
  };
  Vec falseStart = Baseline(800);
  AddFalseStart(falseStart, 50);
  AddGauss(falseStart, 500, 10, 1000);
  Vec narrow = Baseline(600);
  AddSpike(narrow, 150);
  AddGauss(narrow, 400, 10, 1000);
  const std::vector<Case> cases = {{"falseStart", falseStart, 400}, {"narrowSpike", narrow, 300}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    TPeakState st = FidFields();
    const TFpdResult r = FpdSearch(c.y, {}, st);
    EXPECT_TRUE(r.Found);
    EXPECT_GT(r.FPDStart, c.before);
    EXPECT_NEAR(r.FPDArea, 25066, 1500);
    ExpectBaselineUnderThePeak(c.y, r);
  }
}

// Whatever the search accumulated, an area counts only for a complete peak of area > 100.
TEST(FpdSearch, NoAreaWithoutAFoundPeak) {
  struct Case {
    const char *name;
    Vec y;
    TFpdSettings settings;
    int phase;
  };
  Vec spike = Baseline(400);
  AddSpike(spike, 150);
  Vec cutOff = Baseline(400);
  AddGauss(cutOff, 410, 10, 1000);  // still rising when the signal ends
  Vec falling = Baseline(400);
  AddGauss(falling, 375, 10, 1000);  // still falling when the signal ends
  Vec small = Baseline(400);
  AddGauss(small, 200, 3, 5);  // complete, area about 37
  Vec peak = Baseline(400);
  AddGauss(peak, 200, 10, 1000);
  const std::vector<Case> cases = {
      {"narrowSpikeOnly", spike, {}, 0},           {"peakCutOffRising", cutOff, {}, 1},
      {"peakCutOffFalling", falling, {}, 2},       {"completeButTooSmall", small, {}, 3},
      {"tooShortForOneStep", Baseline(17), {}, 0},  // starts at 13, needs 13 < 17 - 4
      {"noLoopFlow", peak, {1.2, 25, 0}, 0},        // the start lies beyond the signal
      {"noPeakWidth", peak, {0, 25, 10000}, 0},     // no slope is steep enough
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    TPeakState st = FidFields();
    const TFpdResult r = FpdSearch(c.y, c.settings, st);
    EXPECT_TRUE(r.Searched);
    EXPECT_EQ(r.Phase, c.phase);
    EXPECT_FALSE(r.Found);
    EXPECT_TRUE(st.NoPeak);
    EXPECT_EQ(r.FPDArea, 0);
    EXPECT_TRUE(r.FPDBaseDraw);
  }
}

// Too short for a single step, four points included: the bounds stay those of the FID
// evaluation, the levels are the starting level, the FPD value at index 3, and it is drawn.
TEST(FpdSearch, TooShortKeepsTheFidBounds) {
  for (const Vec &y : {Vec{1, 2, 3, 44, 5, 6, 7, 8, 9, 10}, Vec{1, 2, 3, 44}}) {
    SCOPED_TRACE(y.size());
    TPeakState st = FidFields();
    const TFpdResult r = FpdSearch(y, {}, st);
    EXPECT_TRUE(r.Searched);
    EXPECT_FALSE(r.Found);
    EXPECT_TRUE(r.FPDBaseDraw);
    EXPECT_EQ(r.FPDStart, 100);
    EXPECT_EQ(r.FPDEnd, 118);
    EXPECT_EQ(r.FPDStartLevel, 44);
    EXPECT_EQ(r.FPDEndLevel, 44);
    EXPECT_EQ(r.PeakHeigth, 0);
  }
}

// A converter that sent (almost) nothing: no search, nothing read, nothing to draw.
TEST(FpdSearch, SilentConverterMakesNoSearch) {
  for (const Vec &y : {Vec{}, Vec{1, 2, 3}}) {
    SCOPED_TRACE(y.size());
    TPeakState st = FidFields();
    const TFpdResult r = FpdSearch(y, {}, st);
    EXPECT_FALSE(r.Searched);
    EXPECT_FALSE(r.Found);
    EXPECT_FALSE(r.FPDBaseDraw);
    EXPECT_TRUE(st.NoPeak);
    EXPECT_EQ(r.FPDArea, 0);
    EXPECT_EQ(st.PeakStartLevel, -1);  // the FID's fields are left alone
    EXPECT_EQ(st.PeakEndLevel, -2);
    EXPECT_EQ(r.FPDStart, 100);
    EXPECT_EQ(r.FPDEnd, 118);
  }
}

}  // namespace
