#include "run/CellEvaluation.h"

#include <cmath>
#include <limits>

#include "core/Language.h"
#include "core/NumberText.h"

namespace zelvo {

namespace {

constexpr double kZeroGasFlow = 200;  // ml/min through the zero gas position
constexpr double kFidRateFactor = 0.00241;
constexpr double kFpdRateFactor = 0.00251;
const QString kNoBreakTime = QStringLiteral("--:--");

// The first area that no longer fits the stored int once truncated (2^31).
constexpr double kAreaLimit = static_cast<double>(std::numeric_limits<int>::max()) + 1.0;

QString PpmText(double v) { return FloatToStrF(v, 7, 2) + QStringLiteral(" ppm"); }
QString RateText(double v) { return FloatToStrF(v, 7, 2) + QStringLiteral(" ug/cm²/min"); }

// Collects the notes of one evaluation, one per cause.
class TNotes {
 public:
  TNotes(int offset, std::vector<TEvalNote> &notes) : FEnglish(offset != kGermanOffset), FNotes(notes) {}

  // Whether `value` can serve as a divisor; notes the cause when it is 0.
  bool Usable(double value, TEvalCause cause, int position = 0) {
    if (value != 0) return true;
    Add(cause, value, position);
    return false;
  }

  // Whether a result is a finite number; notes the cause when not.
  bool Finite(double value, TEvalCause cause) {
    if (std::isfinite(value)) return true;
    Add(cause, value);
    return false;
  }

  void Add(TEvalCause cause, double value, int position = 0) {
    for (const TEvalNote &n : FNotes)
      if (n.Cause == cause) return;
    QString text = Text(cause);
    text.replace(QStringLiteral("%1"), FloatToStr(value))
        .replace(QStringLiteral("%2"), QString::number(position));
    FNotes.push_back({cause, text});
  }

 private:
  QString Text(TEvalCause cause) const {
    const auto t = [this](const char *de, const char *en) { return QString::fromUtf8(FEnglish ? en : de); };
    switch (cause) {
      case TEvalCause::FidCaptureNoPeak:
        return t("Isobutan-Kalibrierung: kein Peak gefunden, keine Fläche übernommen",
                 "Isobutane calibration: no peak found, no area taken");
      case TEvalCause::FidCaptureTooSmall:
        return t("Isobutan-Kalibrierung: Fläche %1 ist nicht größer als 1000, nicht übernommen",
                 "Isobutane calibration: area %1 is not above 1000, not taken");
      case TEvalCause::FidCaptureTooLarge:
        return t("Isobutan-Kalibrierung: Fläche %1 ist zu groß, nicht übernommen",
                 "Isobutane calibration: area %1 is too large, not taken");
      case TEvalCause::FpdCaptureNoPeak:
        return t("THT-Kalibrierung: kein vollständiger Peak gefunden, keine Fläche übernommen",
                 "THT calibration: no complete peak found, no area taken");
      case TEvalCause::FpdCaptureTooSmall:
        return t("THT-Kalibrierung: Fläche %1 ist nicht größer als 10000, nicht übernommen",
                 "THT calibration: area %1 is not above 10000, not taken");
      case TEvalCause::FpdCaptureTooLarge:
        return t("THT-Kalibrierung: Fläche %1 ist zu groß, nicht übernommen",
                 "THT calibration: area %1 is too large, not taken");
      case TEvalCause::FidCalFactor:
        return t("FID-Ergebnis 0: Faktor der Kalibriersubstanz ist 0, durch ihn wird geteilt",
                 "FID result 0: the calibration substance factor is 0, the result is divided by it");
      case TEvalCause::FidNotFinite:
        return t("FID-Ergebnis 0: das Ergebnis ist keine endliche Zahl",
                 "FID result 0: the result is not a finite number");
      case TEvalCause::FpdFactor:
        return t("FPD-Ergebnis 0: Faktor von Position %2 ist 0, durch ihn wird geteilt",
                 "FPD result 0: the factor of position %2 is 0, the result is divided by it");
      case TEvalCause::FpdNotFinite:
        return t("FPD-Ergebnis 0: das Ergebnis ist keine endliche Zahl",
                 "FPD result 0: the result is not a finite number");
      case TEvalCause::SampleArea:
        return t("Permeationsrate 0: Probenfläche ist 0 cm², durch sie wird geteilt",
                 "Permeation rate 0: the sample area is 0 cm², the rate is divided by it");
      case TEvalCause::Flow:
        return t("Permeationsrate 0: Gasfluss von Position %2 ist 0 ml/min",
                 "Permeation rate 0: the gas flow of position %2 is 0 ml/min");
    }
    return QString();
  }

  bool FEnglish;
  std::vector<TEvalNote> &FNotes;
};

// The causes of one detector's capture notes.
struct TCaptureCauses {
  TEvalCause NoPeak, TooSmall, TooLarge;
};

// Takes `area` as the new calibration area when it qualifies; otherwise says why not.
std::optional<TCalCapture> Capture(bool found, double area, int threshold, const TCaptureCauses &causes,
                                   TNotes &notes) {
  // A stored area above the threshold counts as a calibration, so its field turns green.
  if (const auto stored = CalibrationArea(area, threshold)) return TCalCapture{*stored, true};
  if (!found)
    notes.Add(causes.NoPeak, area);
  else
    notes.Add(area >= kAreaLimit ? causes.TooLarge : causes.TooSmall, area);
  return std::nullopt;
}

// k x ppm x flow / area, or nothing when the flow or the sample area is 0.
std::optional<double> Rate(double k, double ppm, int p, double flow, double sampleArea, TNotes &notes) {
  bool ok = notes.Usable(flow, TEvalCause::Flow, p);
  ok = notes.Usable(sampleArea, TEvalCause::SampleArea) && ok;
  if (!ok) return std::nullopt;
  return k * ppm * flow / sampleArea;
}

// What one detector made of this injection. Valid: a calibrated result was computed, so it
// may decide a breakthrough.
struct TDetectorResult {
  double Value = 0;
  bool Valid = false;
};

// Both detectors alike: a divisor of 0 or a result that is no finite number makes the
// detector's result 0 for this evaluation, with a note; any other value is computed as it is
// (a negative factor gives a negative result).
TDetectorResult EvaluateFid(const TEvalInput &in, int calArea, TCellEvaluation &r, TNotes &notes) {
  if (!FidCalibrated(calArea)) return {};
  const int p = in.Position;
  bool ok = notes.Usable(in.FIDCalFactor, TEvalCause::FidCalFactor);
  if (ok) {
    const double ppm = (r.FIDArea / calArea) * (in.FIDSampleFactor / in.FIDCalFactor) * in.FIDCALMenge;
    ok = notes.Finite(ppm, TEvalCause::FidNotFinite);
    if (ok) r.FIDppm = ppm;
  }

  if (p == 2) {  // reference gas: a concentration only
    r.FIDLabel = PpmText(r.FIDppm);
    return {0, ok};
  }
  std::optional<double> rate = Rate(kFidRateFactor, r.FIDppm, p, r.Flow, in.SampleArea, notes);
  if (ok && rate && !notes.Finite(*rate, TEvalCause::FidNotFinite)) rate.reset();
  r.FIDMessMenge = ok && rate ? *rate : 0;
  r.FIDLabel = RateText(r.FIDMessMenge);
  return {r.FIDMessMenge, ok && rate};
}

TDetectorResult EvaluateFpd(const TEvalInput &in, int calArea, TCellEvaluation &r, TNotes &notes) {
  if (!FpdCalibrated(calArea)) return {};
  const int p = in.Position;

  if (p == 2) {  // reference gas: ppm, no factors
    const double ppm = r.FPDArea * in.FPDCalMenge / calArea;
    const bool ok = notes.Finite(ppm, TEvalCause::FpdNotFinite);
    r.FPDMessMenge = ok ? ppm : 0;
    r.FPDLabel = PpmText(r.FPDMessMenge);
    return {r.FPDMessMenge, ok};
  }
  // The FPD's factor ratio is calibration over sample.
  bool ok = notes.Usable(in.FPDFactor, TEvalCause::FpdFactor, p);
  double ppm = 0;
  if (ok) {
    ppm = (in.FPDCalFactor / in.FPDFactor) * (r.FPDArea / calArea) * in.FPDCalMenge;
    ok = notes.Finite(ppm, TEvalCause::FpdNotFinite);
    if (!ok) ppm = 0;
  }
  std::optional<double> rate = Rate(kFpdRateFactor, ppm, p, r.Flow, in.SampleArea, notes);
  if (ok && rate && !notes.Finite(*rate, TEvalCause::FpdNotFinite)) rate.reset();
  r.FPDMessMenge = ok && rate ? *rate : 0;
  r.FPDLabel = RateText(r.FPDMessMenge);
  return {r.FPDMessMenge, ok && rate};
}

QString PositionLabel(const TEvalInput &in) {
  const int p = in.Position;
  if (p >= 1 && p <= 3) return GetLangString(in.LangOffset, 30 + p);
  if (p >= 4 && p <= 6) return in.SampleInfo[p - 4];
  return QString();
}

}  // namespace

std::optional<int> CalibrationArea(double area, int threshold) {
  if (!(area > threshold) || !(area < kAreaLimit)) return std::nullopt;
  const int stored = static_cast<int>(area);  // truncated, as the settings file holds it
  if (stored <= threshold) return std::nullopt;
  return stored;
}

double PositionFlow(int p, const TFlows &flows) {
  if (p == 1) return kZeroGasFlow;
  if (p == 2 || p == 3) return flows.CalFlow;
  if (p >= 4 && p <= 6) {
    const int i = p - 4;
    return flows.HasFlowSensor && flows.AutoFlow[i] ? flows.AktFlow : flows.SampleFlow[i];
  }
  return 0;
}

TCellEvaluation EvaluateCell(const TEvalInput &in) {
  TCellEvaluation r;
  TNotes notes(in.LangOffset, r.Notes);
  const int p = in.Position;
  const bool sampleCell = p >= 4 && p <= 6;
  const int n = sampleCell ? p - 3 : 0;
  const bool fidfpd = in.DeviceTyp == TDeviceTyp::FIDFPD;

  r.Flow = PositionFlow(p, in.Flows);
  r.PositionLabel = PositionLabel(in);
  if (sampleCell || fidfpd) r.BreakTime = kNoBreakTime;

  // A cell that broke through earlier: not measured (or measured on data that is not its
  // own), so every amount and area is 0 and its time labels keep the breakthrough time.
  if (sampleCell && (in.OffPosition || in.CellOff[n - 1])) {
    r.Mark = QStringLiteral("*");
    r.RawDataFile = !in.OffPosition;
    return r;
  }

  // FID: capture, then concentration and rate with the calibration area now in force.
  r.FIDArea = in.NoPeak ? 0 : in.FIDArea;
  int fidCal = in.FIDCalArea;
  if (in.IsobutanCalib) {
    const TCaptureCauses causes{TEvalCause::FidCaptureNoPeak, TEvalCause::FidCaptureTooSmall,
                                TEvalCause::FidCaptureTooLarge};
    r.FIDCapture = Capture(!in.NoPeak, r.FIDArea, kFidCalThreshold, causes, notes);
    if (r.FIDCapture) fidCal = r.FIDCapture->Area;
  }
  const TDetectorResult fid = EvaluateFid(in, fidCal, r, notes);
  bool broke = sampleCell && fid.Valid && fid.Value > in.LimitFID;

  // FPD: only an area of a peak the search completed counts.
  if (fidfpd) {
    r.FPDArea = in.Fpd.Found ? in.Fpd.FPDArea : 0;
    int fpdCal = in.FPDCalArea;
    if (in.SulfurCalib) {
      const TCaptureCauses causes{TEvalCause::FpdCaptureNoPeak, TEvalCause::FpdCaptureTooSmall,
                                  TEvalCause::FpdCaptureTooLarge};
      r.FPDCapture = Capture(in.Fpd.Found, r.FPDArea, kFpdCalThreshold, causes, notes);
      if (r.FPDCapture) fpdCal = r.FPDCapture->Area;
    }
    const TDetectorResult fpd = EvaluateFpd(in, fpdCal, r, notes);
    broke = broke || (sampleCell && fpd.Valid && fpd.Value > in.LimitFPD);
  }

  // Decision: the time of every evaluation of a running cell goes to its label and the
  // instrument display; a breakthrough by either detector closes the cell once.
  if (sampleCell) {
    r.RunBreak = TRunBreak{n, broke, in.Elapsed};
    if (broke) {
      r.BrokeCell = n;
      r.Mark = QStringLiteral("*");
      r.BreakTime = in.Elapsed;
    }
  }
  return r;
}

}  // namespace zelvo
