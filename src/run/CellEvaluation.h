#pragma once
// The evaluation of one injection: calibration capture, concentration and permeation rate of
// each detector, and the breakthrough decision of a sample cell.
//
// Plain values in, plain values out. The caller runs the peak searches first (not for an off
// position, which is not measured), hands over their results, and carries out what comes
// back: the labels, the calibration captures, then RunBreak and then BrokeCell, the record,
// and the notes. Nothing here reads a clock, a widget or a file.
#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "core/DeviceTyp.h"
#include "signal/Peak.h"

namespace zelvo {

// A calibration area counts as a calibration only above these thresholds. The field colour
// of the calibration areas follows the same test.
constexpr int kFidCalThreshold = 1000;
constexpr int kFpdCalThreshold = 10000;
inline bool FidCalibrated(int area) { return area > kFidCalThreshold; }
inline bool FpdCalibrated(int area) { return area > kFpdCalThreshold; }

// The stored form of a peak area taken as calibration area (truncated to a whole number),
// or nothing when that number is not above `threshold` or does not fit an int.
std::optional<int> CalibrationArea(double area, int threshold);

// Flow through position p for the rate: 1 zero gas 200 ml/min; 2 and 3 the reference flow;
// a sample cell the measured flow when the instrument has a sensor and the cell's auto-flow
// box is ticked, otherwise the cell's own flow; 0 for any other p.
struct TFlows {
  double CalFlow = 0;
  std::array<double, 3> SampleFlow{};  // SampleFlow1..3
  double AktFlow = 0;                  // last measured flow
  bool HasFlowSensor = false;
  std::array<bool, 3> AutoFlow{};  // cbAutoflow1..3
};
double PositionFlow(int p, const TFlows &flows);

struct TEvalInput {
  int Position = 1;  // runZelle, 1..6; sample cell n = Position - 3
  TDeviceTyp DeviceTyp = TDeviceTyp::FID;
  int LangOffset = 0;  // 0 German, 1000 English
  // The position was skipped because its cell is off: nothing was measured, the peak
  // results below are not read.
  bool OffPosition = false;
  std::array<bool, 3> CellOff{};      // off lamps ledSmpOff1..3 before this evaluation
  QString Elapsed;                    // run time of this evaluation, "hh:nn:ss"
  std::array<QString, 3> SampleInfo;  // editInfo1..3, the sample cells' labels in the record

  // FID peak of this injection (the search's NoPeak and FIDArea).
  bool NoPeak = true;
  double FIDArea = 0;
  // FPD search of this injection (FIDFPD only).
  TFpdResult Fpd;

  // Calibration.
  int FIDCalArea = 0, FPDCalArea = 0;
  double FIDCALMenge = 0, FPDCalMenge = 0;  // ppm of the calibration gases
  double FIDCalFactor = 1, FPDCalFactor = 1;
  bool IsobutanCalib = false, SulfurCalib = false;  // the capture boxes are ticked
  // Factors of the position being evaluated.
  double FIDSampleFactor = 1, FPDFactor = 1;

  TFlows Flows;
  double SampleArea = 0;  // cm²
  double LimitFID = 0, LimitFPD = 0;
};

// A capture of a peak area as the new calibration area: store Area in the settings file,
// untick the box, and paint the field green when Green.
struct TCalCapture {
  int Area = 0;
  bool Green = false;
};

// DispRunBreak(Cell, Broke, Time): the cell's time label and the instrument display.
struct TRunBreak {
  int Cell = 0;  // 1..3
  bool Broke = false;
  QString Time;
};

// Something the operator should learn about (status bar, log). Cause is stable, so the
// window can tell a repeated note from a new one; Text is in the chosen language.
enum class TEvalCause {
  FidCaptureNoPeak,    // FID capture box ticked, no peak found
  FidCaptureTooSmall,  // FID peak area not above the threshold once stored
  FidCaptureTooLarge,  // FID peak area too large to store
  FpdCaptureNoPeak,
  FpdCaptureTooSmall,
  FpdCaptureTooLarge,
  FidCalFactor,  // FIDCalFactor 0 (a divisor): FID result 0
  FidNotFinite,  // the FID result is no finite number (a huge factor or area): FID result 0
  FpdFactor,     // FPDFactor 0 (a divisor): FPD result 0
  FpdNotFinite,  // the FPD result is no finite number: FPD result 0
  SampleArea,    // SampleArea 0 (a divisor): rates 0
  Flow,          // flow of the position 0: rates 0
};
struct TEvalNote {
  TEvalCause Cause;
  QString Text;
};

struct TCellEvaluation {
  // Values of the measurement line.
  QString Mark = QStringLiteral(" ");  // "*" for a breakthrough or an off cell
  // Sample cells "--:--" or the breakthrough time; the reference positions "--:--" on FIDFPD,
  // empty with one detector.
  QString BreakTime;
  QString PositionLabel;  // zero gas, ref. gas, ref. cell, or the cell's info text
  double Flow = 0;
  double FIDppm = 0;
  double FIDMessMenge = 0, FPDMessMenge = 0;  // rate; at the reference gas FPD ppm and FID 0
  double FIDArea = 0, FPDArea = 0;
  // False for an off position: nothing was measured, so no raw data file is written.
  bool RawDataFile = true;

  // Captions of lblFIDMenge and lblFPDMenge; nothing: leave the label as it is.
  std::optional<QString> FIDLabel, FPDLabel;

  std::optional<TCalCapture> FIDCapture, FPDCapture;

  // In this order: DispRunBreak (every evaluation of a running sample cell, one call whichever
  // detector decided), then the cell that broke through now (ValveReset(n + 3),
  // offCount - 1, its off lamp on); 0 when none did.
  std::optional<TRunBreak> RunBreak;
  int BrokeCell = 0;

  std::vector<TEvalNote> Notes;
};

TCellEvaluation EvaluateCell(const TEvalInput &in);

}  // namespace zelvo
