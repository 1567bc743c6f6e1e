#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/LocaleGuard.h"
#include "run/CellEvaluation.h"

using namespace zelvo;

QT_BEGIN_NAMESPACE
// Readable failure messages.
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace {

const QString kTime = QStringLiteral("01:02:03");

// A measured injection with both detectors calibrated and limits out of reach. With these
// values the FID gives (5000 / 10000) x (2 / 1) x 100 = 100 ppm, and its rate is
// 0.00241 x 100 x flow / 2.41 = flow / 10; the FPD gives (1 / 0.5) x (40000 / 20000) x 10
// = 40 ppm, a rate of 0.00251 x 40 x flow / 2.41, and at the reference gas
// 40000 x 10 / 20000 = 20 ppm.
TEvalInput Injection(int p, TDeviceTyp typ = TDeviceTyp::FIDFPD) {
  TEvalInput in;
  in.Position = p;
  in.DeviceTyp = typ;
  in.LangOffset = 1000;
  in.Elapsed = kTime;
  in.SampleInfo = {QStringLiteral("glove A"), QStringLiteral("glove B"), QStringLiteral("glove C")};
  in.NoPeak = false;
  in.FIDArea = 5000;
  in.Fpd.Searched = true;
  in.Fpd.Found = true;
  in.Fpd.Phase = 3;
  in.Fpd.FPDArea = 40000;
  in.FIDCalArea = 10000;
  in.FPDCalArea = 20000;
  in.FIDCALMenge = 100;
  in.FPDCalMenge = 10;
  in.FIDCalFactor = 1;
  in.FPDCalFactor = 1;
  in.FIDSampleFactor = 2;
  in.FPDFactor = 0.5;
  in.Flows.CalFlow = 100;
  in.Flows.SampleFlow = {50, 60, 70};
  in.Flows.AktFlow = 80;
  in.SampleArea = 2.41;
  in.LimitFID = 1e6;
  in.LimitFPD = 1e6;
  return in;
}

double FpdRate(double flow) { return 0.00251 * 40 * flow / 2.41; }

std::vector<TEvalCause> Causes(const TCellEvaluation &r) {
  std::vector<TEvalCause> causes;
  for (const TEvalNote &n : r.Notes) causes.push_back(n.Cause);
  return causes;
}

class CellEvaluation : public ::testing::Test {
  LocaleGuard FLocale{LocaleGuard::English()};
};

}  // namespace

TEST_F(CellEvaluation, FlowByPosition) {
  TFlows f;
  f.CalFlow = 100;
  f.SampleFlow = {50, 60, 70};
  f.AktFlow = 80;
  struct Case {
    int p;
    bool sensor, autoFlow2;
    double flow;
  } cases[] = {
      {1, true, true, 200},
      {2, false, false, 100},
      {3, false, false, 100},
      {4, true, true, 50},
      {5, false, true, 60},  // the auto-flow box without a sensor keeps the cell's own
                             // flow
      {5, true, false, 60},
      {5, true, true, 80},
      {6, true, true, 70},
      {0, false, false, 0},
      {7, false, false, 0},
  };
  for (const Case &c : cases) {
    f.HasFlowSensor = c.sensor;
    f.AutoFlow = {false, c.autoFlow2, false};
    EXPECT_EQ(PositionFlow(c.p, f), c.flow) << "position " << c.p;
  }
}

// Both thresholds apply to the area as it is stored (truncated), and it must fit an int.
TEST_F(CellEvaluation, CalibrationAreaThresholds) {
  struct Case {
    double area;
    int threshold;
    std::optional<int> stored;
  } cases[] = {
      {1000, 1000, std::nullopt},
      {1000.4, 1000, std::nullopt},  // would be stored as 1000: no calibration
      {1000.99, 1000, std::nullopt},
      {1001, 1000, 1001},
      {1001.7, 1000, 1001},
      {10000, 10000, std::nullopt},
      {10000.5, 10000, std::nullopt},
      {10001, 10000, 10001},
      {2147483647.9, 1000, 2147483647},
      {2147483648.0, 1000, std::nullopt},
      {1e12, 10000, std::nullopt},
      {NAN, 1000, std::nullopt},
  };
  for (const Case &c : cases) EXPECT_EQ(CalibrationArea(c.area, c.threshold), c.stored) << c.area;
  EXPECT_FALSE(FidCalibrated(1000));
  EXPECT_TRUE(FidCalibrated(1001));
  EXPECT_FALSE(FpdCalibrated(10000));
  EXPECT_TRUE(FpdCalibrated(10001));
}

// Positions 1-3 on FIDFPD: concentrations and rates, never a decision, even above the limits.
TEST_F(CellEvaluation, ReferencePositions) {
  struct Case {
    int p;
    double flow, fidRate, fpdValue;
    const char *fidLabel, *fpdLabel, *label;
  } cases[] = {
      {1, 200, 20, FpdRate(200), "20.00 ug/cm²/min", "8.33 ug/cm²/min", "Zero gas"},
      // Reference gas: both labels in ppm, the FID's rate stays 0, the FPD holds its ppm.
      {2, 100, 0, 20, "100.00 ppm", "20.00 ppm", "Ref.gas"},
      {3, 100, 10, FpdRate(100), "10.00 ug/cm²/min", "4.17 ug/cm²/min", "Ref.Cell"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.p);
    TEvalInput in = Injection(c.p);
    in.LimitFID = in.LimitFPD = 0;
    const TCellEvaluation r = EvaluateCell(in);
    EXPECT_EQ(r.Flow, c.flow);
    EXPECT_NEAR(r.FIDppm, 100, 1e-9);
    EXPECT_NEAR(r.FIDMessMenge, c.fidRate, 1e-9);
    EXPECT_NEAR(r.FPDMessMenge, c.fpdValue, 1e-9);
    EXPECT_EQ(r.FIDLabel, QString::fromUtf8(c.fidLabel));
    EXPECT_EQ(r.FPDLabel, QString::fromUtf8(c.fpdLabel));
    EXPECT_EQ(r.PositionLabel, QString::fromUtf8(c.label));
    EXPECT_EQ(r.Mark, " ");
    EXPECT_EQ(r.BreakTime, "--:--");
    EXPECT_FALSE(r.RunBreak);
    EXPECT_EQ(r.BrokeCell, 0);
    EXPECT_TRUE(r.Notes.empty());
  }
  // With one detector the reference positions carry no break time text at all, and no FPD.
  const TCellEvaluation fid = EvaluateCell(Injection(2, TDeviceTyp::FID));
  EXPECT_EQ(fid.BreakTime, "");
  EXPECT_FALSE(fid.FPDLabel);
  EXPECT_EQ(fid.FPDArea, 0);
  EXPECT_EQ(fid.FPDMessMenge, 0);
}

// Sample cells: the time of every evaluation goes out; a breakthrough by either detector
// closes the cell exactly once and keeps its mark, time and computed values.
TEST_F(CellEvaluation, BreakthroughDecision) {
  struct Case {
    const char *name;
    TDeviceTyp typ;
    double limitFid, limitFpd;
    bool broke;
  } cases[] = {
      {"FID below its limit", TDeviceTyp::FID, 5.001, 0, false},
      {"FID above its limit", TDeviceTyp::FID, 4.999, 0, true},
      {"FID alone decides on an FID instrument", TDeviceTyp::FID, 1e6, 0, false},
      {"FPD instrument evaluates its one signal like the FID", TDeviceTyp::FPD, 4.999, 0, true},
      {"FIDFPD, neither above", TDeviceTyp::FIDFPD, 1e6, 1e6, false},
      {"FIDFPD, FID above", TDeviceTyp::FIDFPD, 4.999, 1e6, true},
      {"FIDFPD, FPD above", TDeviceTyp::FIDFPD, 1e6, 0.1, true},
      {"FIDFPD, both above", TDeviceTyp::FIDFPD, 0, 0, true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    TEvalInput in = Injection(4, c.typ);  // cell 1, flow 50: FID rate 5
    in.LimitFID = c.limitFid;
    in.LimitFPD = c.limitFpd;
    const TCellEvaluation r = EvaluateCell(in);
    ASSERT_TRUE(r.RunBreak);
    EXPECT_EQ(r.RunBreak->Cell, 1);
    EXPECT_EQ(r.RunBreak->Broke, c.broke);
    EXPECT_EQ(r.RunBreak->Time, kTime);
    EXPECT_EQ(r.BrokeCell, c.broke ? 1 : 0);
    EXPECT_EQ(r.Mark, c.broke ? "*" : " ");
    EXPECT_EQ(r.BreakTime, c.broke ? kTime : QStringLiteral("--:--"));
    EXPECT_NEAR(r.FIDMessMenge, 5, 1e-9);
    EXPECT_EQ(r.FIDArea, 5000);
    EXPECT_EQ(r.FIDLabel, "5.00 ug/cm²/min");
    EXPECT_EQ(r.PositionLabel, "glove A");
    if (c.typ == TDeviceTyp::FIDFPD) {
      EXPECT_NEAR(r.FPDMessMenge, FpdRate(50), 1e-9);
      EXPECT_EQ(r.FPDArea, 40000);
    }
  }
}

// A result exactly at the limit is no breakthrough, for either detector.
TEST_F(CellEvaluation, ResultEqualToTheLimitIsNoBreakthrough) {
  TEvalInput in = Injection(6);
  const TCellEvaluation first = EvaluateCell(in);
  in.LimitFID = first.FIDMessMenge;
  in.LimitFPD = first.FPDMessMenge;
  const TCellEvaluation r = EvaluateCell(in);
  EXPECT_EQ(r.BrokeCell, 0);
  ASSERT_TRUE(r.RunBreak);
  EXPECT_EQ(r.RunBreak->Cell, 3);
  EXPECT_FALSE(r.RunBreak->Broke);
}

// An off cell, whether the sequencer skipped it or only its lamp says so: "*", the no-time
// text, zero amounts and areas, no labels, no time to the display, no capture, its own flow.
TEST_F(CellEvaluation, CellAlreadyOff) {
  for (TDeviceTyp typ : {TDeviceTyp::FID, TDeviceTyp::FIDFPD}) {
    for (bool skipped : {true, false}) {
      SCOPED_TRACE(::testing::Message() << "type " << int(typ) << " skipped " << skipped);
      TEvalInput in = Injection(5, typ);
      in.OffPosition = skipped;
      in.CellOff = {false, true, false};
      in.IsobutanCalib = in.SulfurCalib = true;
      in.LimitFID = in.LimitFPD = 0;
      const TCellEvaluation r = EvaluateCell(in);
      EXPECT_EQ(r.Mark, "*");
      EXPECT_EQ(r.BreakTime, "--:--");
      EXPECT_EQ(r.FIDppm, 0);
      EXPECT_EQ(r.FIDMessMenge, 0);
      EXPECT_EQ(r.FIDArea, 0);
      EXPECT_EQ(r.FPDMessMenge, 0);
      EXPECT_EQ(r.FPDArea, 0);
      EXPECT_EQ(r.Flow, 60);
      EXPECT_EQ(r.PositionLabel, "glove B");
      EXPECT_FALSE(r.FIDLabel);
      EXPECT_FALSE(r.FPDLabel);
      EXPECT_FALSE(r.FIDCapture);
      EXPECT_FALSE(r.FPDCapture);
      EXPECT_FALSE(r.RunBreak);
      EXPECT_EQ(r.BrokeCell, 0);
      EXPECT_EQ(r.RawDataFile, !skipped);  // a skipped position recorded no signal of its own
      EXPECT_TRUE(r.Notes.empty());
    }
  }
  // Another cell's lamp does not matter.
  TEvalInput in = Injection(4);
  in.CellOff = {false, true, true};
  EXPECT_EQ(EvaluateCell(in).Mark, " ");
}

// Without a calibration a detector's result is 0, its label stays, it decides nothing, and
// no note is given; the flow is still the position's own, and the other detector goes on.
TEST_F(CellEvaluation, UncalibratedDetector) {
  TEvalInput in = Injection(4);
  in.FIDCalArea = 1000;  // exactly the threshold: uncalibrated
  in.Flows.HasFlowSensor = true;
  in.Flows.AutoFlow = {true, false, false};
  in.LimitFID = -1;  // 0 would exceed it if an uncalibrated detector could decide
  TCellEvaluation r = EvaluateCell(in);
  EXPECT_EQ(r.FIDppm, 0);
  EXPECT_EQ(r.FIDMessMenge, 0);
  EXPECT_EQ(r.FIDArea, 5000);
  EXPECT_FALSE(r.FIDLabel);
  EXPECT_EQ(r.Flow, 80);  // measured flow of cell 1
  EXPECT_NEAR(r.FPDMessMenge, FpdRate(80), 1e-9);
  EXPECT_EQ(r.BrokeCell, 0);
  EXPECT_TRUE(r.Notes.empty());

  in = Injection(4);
  in.FPDCalArea = 10000;
  in.LimitFPD = -1;
  r = EvaluateCell(in);
  EXPECT_EQ(r.FPDMessMenge, 0);
  EXPECT_EQ(r.FPDArea, 40000);
  EXPECT_FALSE(r.FPDLabel);
  EXPECT_NEAR(r.FIDMessMenge, 5, 1e-9);
  EXPECT_EQ(r.BrokeCell, 0);
}

TEST_F(CellEvaluation, CalibrationCapture) {
  struct Case {
    const char *name;
    bool fid;  // which box is ticked
    bool peak;
    double area;
    std::optional<int> stored;
    std::optional<TEvalCause> note;
  } cases[] = {
      {"FID area at the threshold", true, true, 1000, std::nullopt, TEvalCause::FidCaptureTooSmall},
      {"FID area truncated to the threshold", true, true, 1000.4, std::nullopt,
       TEvalCause::FidCaptureTooSmall},
      {"FID area above", true, true, 1001.9, 1001, std::nullopt},
      {"FID area too large to store", true, true, 3e9, std::nullopt, TEvalCause::FidCaptureTooLarge},
      {"FID without a peak", true, false, 5000, std::nullopt, TEvalCause::FidCaptureNoPeak},
      {"FPD area at the threshold", false, true, 10000, std::nullopt, TEvalCause::FpdCaptureTooSmall},
      {"FPD area above", false, true, 10001, 10001, std::nullopt},
      {"FPD area too large to store", false, true, 2147483648.0, std::nullopt,
       TEvalCause::FpdCaptureTooLarge},
      {"FPD search without a complete peak", false, false, 50000, std::nullopt, TEvalCause::FpdCaptureNoPeak},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    TEvalInput in = Injection(2);
    in.FIDCalArea = 0;
    in.FPDCalArea = 0;
    if (c.fid) {
      in.IsobutanCalib = true;
      in.FIDArea = c.area;
      in.NoPeak = !c.peak;
    } else {
      in.SulfurCalib = true;
      in.Fpd.FPDArea = c.area;
      in.Fpd.Found = c.peak;
    }
    const TCellEvaluation r = EvaluateCell(in);
    const std::optional<TCalCapture> &capture = c.fid ? r.FIDCapture : r.FPDCapture;
    const std::optional<TCalCapture> &other = c.fid ? r.FPDCapture : r.FIDCapture;
    EXPECT_FALSE(other);
    ASSERT_EQ(capture.has_value(), c.stored.has_value());
    if (capture) {
      EXPECT_EQ(capture->Area, *c.stored);
      EXPECT_TRUE(capture->Green);
      // The new area is used at once: the reference gas itself gives the calibration ppm.
      if (c.fid)
        EXPECT_NEAR(r.FIDppm, (c.area / *c.stored) * 2 * 100, 1e-9);
      else
        EXPECT_NEAR(r.FPDMessMenge, c.area * 10 / *c.stored, 1e-9);
      EXPECT_TRUE(r.Notes.empty());
    } else {
      EXPECT_EQ(c.fid ? r.FIDppm : r.FPDMessMenge, 0);
      EXPECT_FALSE(c.fid ? r.FIDLabel : r.FPDLabel);
      EXPECT_EQ(Causes(r), std::vector<TEvalCause>{*c.note});
    }
  }
  // Unticked boxes capture nothing and say nothing.
  const TCellEvaluation r = EvaluateCell(Injection(2));
  EXPECT_FALSE(r.FIDCapture);
  EXPECT_FALSE(r.FPDCapture);
  EXPECT_TRUE(r.Notes.empty());
}

// The FPD's area counts only for a peak its search completed.
TEST_F(CellEvaluation, FpdAreaOnlyFromAFoundPeak) {
  TEvalInput in = Injection(4);
  in.Fpd.Found = false;
  in.Fpd.Phase = 1;  // search ran out of signal while rising
  in.LimitFPD = -1;
  const TCellEvaluation r = EvaluateCell(in);
  EXPECT_EQ(r.FPDArea, 0);
  EXPECT_EQ(r.FPDMessMenge, 0);
  EXPECT_EQ(r.FPDLabel, "0.00 ug/cm²/min");
  EXPECT_EQ(r.Mark, "*");  // a found-nothing 0 still exceeds a negative limit
}

// A divisor of 0 or a result that is no finite number makes that detector's result 0 for
// this evaluation with one note per cause; nothing else stops. Any other value is computed
// as it is, alike on both detectors: a negative factor gives a negative result.
TEST_F(CellEvaluation, UnusableParameters) {
  using C = TEvalCause;
  constexpr double kNotUsable = std::numeric_limits<double>::quiet_NaN();  // the result is 0
  struct Case {
    const char *name;
    void (*set)(TEvalInput &);
    double fid, fpd;  // expected rates; kNotUsable: 0 and no breakthrough by it
    std::vector<C> causes;
  } cases[] = {
      {"FID calibration factor 0", [](TEvalInput &i) { i.FIDCalFactor = 0; }, kNotUsable, FpdRate(50),
       {C::FidCalFactor}},
      {"FID calibration factor negative", [](TEvalInput &i) { i.FIDCalFactor = -1; }, -5, FpdRate(50), {}},
      {"FPD calibration factor negative", [](TEvalInput &i) { i.FPDCalFactor = -1; }, 5, -FpdRate(50), {}},
      {"isobutane concentration 0", [](TEvalInput &i) { i.FIDCALMenge = 0; }, 0, FpdRate(50), {}},
      {"THT concentration negative", [](TEvalInput &i) { i.FPDCalMenge = -10; }, 5, -FpdRate(50), {}},
      {"FPD factor 0", [](TEvalInput &i) { i.FPDFactor = 0; }, 5, kNotUsable, {C::FpdFactor}},
      {"FPD factor negative", [](TEvalInput &i) { i.FPDFactor = -0.5; }, 5, -FpdRate(50), {}},
      {"FID result too large for a number",
       [](TEvalInput &i) { i.FIDSampleFactor = 1e308, i.FIDCALMenge = 1e308; }, kNotUsable, FpdRate(50),
       {C::FidNotFinite}},
      {"FPD result too large for a number", [](TEvalInput &i) { i.FPDCalMenge = 1e308; }, 5, kNotUsable,
       {C::FpdNotFinite}},
      {"sample area 0: one note for both rates", [](TEvalInput &i) { i.SampleArea = 0; }, kNotUsable,
       kNotUsable, {C::SampleArea}},
      {"flow of the cell 0", [](TEvalInput &i) { i.Flows.SampleFlow[0] = 0; }, kNotUsable, kNotUsable,
       {C::Flow}},
      {"measured flow negative",
       [](TEvalInput &i) {
         i.Flows.HasFlowSensor = true;
         i.Flows.AutoFlow[0] = true;
         i.Flows.AktFlow = -10;
       },
       -1, FpdRate(-10), {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    TEvalInput in = Injection(4);
    c.set(in);
    in.LimitFID = in.LimitFPD = -1e9;  // an unusable result must not decide
    const TCellEvaluation r = EvaluateCell(in);
    EXPECT_EQ(Causes(r), c.causes);
    const bool fidUsable = !std::isnan(c.fid), fpdUsable = !std::isnan(c.fpd);
    EXPECT_NEAR(r.FIDMessMenge, fidUsable ? c.fid : 0, 1e-9);
    EXPECT_NEAR(r.FPDMessMenge, fpdUsable ? c.fpd : 0, 1e-9);
    EXPECT_TRUE(std::isfinite(r.FIDppm));
    EXPECT_EQ(r.BrokeCell, fidUsable || fpdUsable ? 1 : 0);
    for (const TEvalNote &n : r.Notes) EXPECT_FALSE(n.Text.isEmpty());
  }
  // The reference gas has no rate, so neither the flow nor the sample area matter there.
  TEvalInput in = Injection(2);
  in.SampleArea = 0;
  in.Flows.CalFlow = 0;
  EXPECT_TRUE(EvaluateCell(in).Notes.empty());
}

TEST_F(CellEvaluation, TextsFollowLanguageAndRegionalFormat) {
  LocaleGuard german(LocaleGuard::German());
  TEvalInput in = Injection(1);
  in.LangOffset = 0;
  in.SampleArea = 0;
  TCellEvaluation r = EvaluateCell(in);
  EXPECT_EQ(r.PositionLabel, "Nullgas");
  EXPECT_EQ(r.FIDLabel, "0,00 ug/cm²/min");
  ASSERT_EQ(r.Notes.size(), 1u);
  EXPECT_EQ(r.Notes[0].Text,
            QString::fromUtf8("Permeationsrate 0: Probenfläche ist 0 cm², durch sie wird geteilt"));

  in = Injection(5);
  in.FPDFactor = 0;
  r = EvaluateCell(in);
  ASSERT_EQ(r.Notes.size(), 1u);
  EXPECT_EQ(r.Notes[0].Text, "FPD result 0: the factor of position 5 is 0, the result is divided by it");
  EXPECT_EQ(EvaluateCell(Injection(2)).FIDLabel, "100,00 ppm");
}
