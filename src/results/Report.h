#pragma once
// The permeation test report of a result file: per sample cell and detector, the rate curve
// and the figures a lab states for the material it tested.
//
// Every figure has exactly one definition, so two labs reading the same file state the same
// numbers:
// - The rate curve of a cell (gas position 4..6) is its measurement lines in file order, run
//   time in minutes against the detector's rate (µg/cm²/min). A cell that broke through at the
//   run's own limit is closed, and its later lines are off lines ("*", zero amount and area):
//   the curve ends with the first line of the position marked "*", which is the breakthrough
//   measurement itself. (Such a line with every amount and area zero is an off line of a cell
//   closed before the file's first line of it, and is no measurement.)
// - The run time field is a time of day that restarts at 24 h: a run time smaller than that of
//   the line before it adds a day.
// - A breakthrough at limit L (0.1 and 1.0 µg/cm²/min) is the first evaluation whose rate is
//   strictly greater than L. Its crossing time is interpolated linearly in run time between the
//   evaluation before it and that evaluation; at the cell's first evaluation it is that
//   evaluation's own time.
// - The performance level follows the interpolated 1.0 crossing: 1 for more than 10 minutes,
//   2 for more than 30, 3 for 60, 4 for 120, 5 for 240, 6 for more than 480, 0 for 10 minutes
//   or less. Without a 1.0 crossing it is 6 when the last measured evaluation is past 480
//   minutes, else a lower bound ("≥n"): the highest level whose time that evaluation passed.
// - The cumulative permeation (µg/cm²) is the trapezoidal integral of the rate curve over run
//   time, from rate 0 at run time 0, at the last measured evaluation and at 30, 60, 120, 240
//   and 480 minutes where the curve reaches them (linear inside a segment).
// - The steady-state rate is the mean of the longest run of consecutive evaluations that ends
//   at the last measured evaluation, holds at least three, has a mean above zero and whose
//   rates all lie within ±10 % of that mean (with an allowance of 1E-9 of the mean for the
//   rounding of binary fractions); without such a run it is not reached.
//
// A result file may hold more than one run: choosing an existing file appends the lines of the
// next run to it. A run starts where the measurement number falls back (it counts from 1 at
// every run start); the report covers the last run of the file and says so in a warning.
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <span>
#include <vector>

#include "core/DeviceTyp.h"

namespace zelvo {

// The breakthrough limits of the report, µg/cm²/min, and the times of the cumulative figures.
inline constexpr std::array<double, 2> kReportLimits{0.1, 1.0};
inline constexpr std::array<double, 5> kCumulativeMinutes{30, 60, 120, 240, 480};
// Minutes a breakthrough must exceed for performance levels 1 to 6.
inline constexpr std::array<double, 6> kLevelMinutes{10, 30, 60, 120, 240, 480};

enum class TDetector { FID, FPD };
QString DetectorName(TDetector detector);  // "FID", "FPD"

// One evaluation of a cell: run time since the run started, and the detector's rate.
struct TRatePoint {
  double Minutes = 0;
  double Rate = 0;
  int Line = 0;  // line of the result file, 1 for the first
  double Ppm = 0;  // the line's concentration: FID only, an FPD point holds 0
};

struct TCrossing {
  double FirstMinutes = 0;  // run time of the first evaluation above the limit
  double Minutes = 0;       // the crossing, interpolated
};

struct TPerformanceLevel {
  int Level = 0;
  bool LowerBound = false;  // the cell was not measured up to its 1.0 crossing
};
// "3", or "≥3" for a lower bound (the CSV's form).
QString LevelText(const TPerformanceLevel &level);

struct TCellFigures {
  std::array<std::optional<TCrossing>, kReportLimits.size()> Breakthrough;  // per kReportLimits
  TPerformanceLevel Level;
  std::optional<double> SteadyRate;  // µg/cm²/min; empty: not reached
  int SteadyCount = 0;               // evaluations that make up the steady state
  double CumulativeEnd = 0;          // µg/cm² at the last evaluation
  std::array<std::optional<double>, kCumulativeMinutes.size()> Cumulative;  // per kCumulativeMinutes
  double DurationMinutes = 0;                                               // run time of the last evaluation
};

// The figures of one rate curve: at least one point, run times not decreasing.
TCellFigures ComputeFigures(std::span<const TRatePoint> curve);

// The report of one sample cell and one detector.
struct TCellReport {
  int Cell = 1;  // 1..3, gas positions 4..6
  TDetector Detector = TDetector::FID;
  std::vector<TRatePoint> Curve;
  TCellFigures Figures;
  bool EndsAtBreakthrough = false;  // the last point is the line marked "*"
  QString BreakTime;                // break time text of that line
  QString SampleText, Chemical;     // of the cell's last measured line
};

// The level as a reader is shown it, in the language `offset`: a breakthrough within the first
// level's 10 minutes reads "< 1"; a cell measured for less than that without one is not
// classified ("not classified: measured 6 min"); otherwise LevelText.
QString LevelText(const TCellFigures &figures, int offset);

// The header block of the result file, its values as the file holds them.
struct TReportHeader {
  int ID = 0;  // language of the file: 0 German, 1000 English
  TDeviceTyp DeviceTyp = TDeviceTyp::FID;
  QString ResultFile, Created, SerialNumber;
  // Set and actual values: measuring chamber, valve block and, on FIDFPD, emission chamber,
  // transfer line and PMT voltage.
  QStringList SetValues, ActualValues;
  QString FIDCalMenge, FIDCalArea, LimitFID, FIDFactor;
  QString FPDCalMenge, FPDCalArea, LimitFPD, FPDFactor;  // FIDFPD only
  QString Startzelle, AnzahlZellen, AnzahlMessreihen, SampleTime, InjectionTime, Messzeit;
  QStringList Description;  // five lines
  // The test standard told by the measuring chamber's set point: text 9 (ASTM F 739, 27 °C),
  // text 10 (EN 16523-1, 23 °C), or 0 when the set point is neither.
  int StandardTextId = 0;
};

enum class TReportWarningKind {
  EarlierRunsSkipped,  // Count runs in the file; the report covers the last, from Line on
};
struct TReportWarning {
  TReportWarningKind Kind = TReportWarningKind::EarlierRunsSkipped;
  int Line = 0;
  int Count = 0;
};

// One run of a result file (the file is appended to by every run that chooses it).
struct TReportRun {
  int Number = 0;     // 1 for the file's first run
  int FirstLine = 0;  // line of the file of its first measurement line
  QString Date, Time;  // of its first measurement line, as the file holds them
  QList<int> Positions;  // the positions measured, in order, each once
  int Evaluations = 0;   // measurement lines
  QList<int> BrokeThrough;  // sample cells (1..3) with a line marked "*" that was measured
};

struct TReport {
  QString File;  // the path it was read from
  std::vector<TReportRun> Runs;  // every run of the file
  int Run = 0;                   // the number of the run reported (0: the file has none)
  TReportHeader Header;
  std::vector<TCellReport> Cells;  // cells in order, FID before FPD; a cell without a measured line has none
  std::vector<TReportWarning> Warnings;
};

enum class TReportErrorKind {
  CannotRead,     // Detail: the system's reason
  NotResultFile,  // the first line is not a result file's
  BadHeaderLine,  // Detail: the text the line should begin with
  FieldCount,     // a measurement line with Count fields, Expected wanted
  BadField,       // field Field of a measurement line; Detail: its text
  NoSuchRun,      // run Field asked for; the file holds Count runs
};
struct TReportError {
  TReportErrorKind Kind = TReportErrorKind::CannotRead;
  QString File;
  int Line = 0;  // 0 when the file as a whole failed
  QString Detail;
  int Field = 0, Count = 0, Expected = 0;
};

struct TReportRead {
  TReport Report;
  std::optional<TReportError> Error;
  bool Ok() const { return !Error; }
};

// One measurement line of a result file as it is read.
struct TResultLine {
  int Number = 0;  // line of the file, 1 for the first
  int Position = 0;
  bool Star = false;
  QString BreakTime, Chemical, SampleText, Date, Time;
  int Seconds = 0;  // the run time field: seconds of the day
  double FIDppm = 0, FIDRate = 0, FIDArea = 0, FPDRate = 0, FPDArea = 0;
  int runAktiv = 0;
  double Minutes = 0;  // run time since the run started, days added (TRunClock)

  // Something was measured: an off line of a closed cell holds zero amounts and areas.
  bool Measured(bool fpd) const;
};

// Reads the measurement line `text` (line `number` of its file; `fpd`: an FIDFPD file's
// fields) into `line`; the error, without the file's name, when a field is not what the
// program writes.
std::optional<TReportError> ReadResultLine(const QString &text, bool fpd, int number, TResultLine &line);

// A number field of a result file (either decimal separator, optional exponent).
std::optional<double> ReadResultNumber(QStringView text);

// The run clock of the measurement lines in file order: a line whose measurement number does
// not follow the line before it begins a run; within a run a run time below the one before
// adds a day.
class TRunClock {
 public:
  // Sets the line's Minutes; true when the line begins a run.
  bool Take(TResultLine &line);

 private:
  bool fAny = false;
  int fLastAktiv = 0, fLastSeconds = 0, fDays = 0;
};

// What a line of a cell does to the cell's rate curve: a point, the last point (the
// breakthrough measurement), or the end without a point (an off line of a closed cell).
enum class TCurveStep { Point, LastPoint, End };
TCurveStep CurveStep(const TResultLine &line, bool fpd);

// The line's point on the curve of `detector`.
TRatePoint RatePoint(const TResultLine &line, TDetector detector);

// Reads a result file (Windows-1252; German or English; FID, FPD or FIDFPD; decimal comma or
// point) and computes the figures. Nothing is thrown: a file that cannot be read comes back as
// the error, with its line.
// `run` chooses the run reported (1 the first); 0 reports the last, with a warning when
// there are earlier ones.
TReportRead ReadReport(const QString &path, int run = 0);
// The same for the decoded lines of a file; `path` only names it in the report and the error.
TReportRead ParseReport(const QStringList &lines, const QString &path, int run = 0);

// The runs of a report as lines for a terminal: number, start date and time, positions,
// evaluations and the cells that broke through. Lines end with LF.
QString ReportRunList(const TReport &report);

// The error as one line in the language `offset`: "FILE:LINE: text", or "FILE: text" without a
// line.
QString ReportErrorText(const TReportError &error, int offset);
// A warning in the language `offset`.
QString ReportWarningText(const TReportWarning &warning, int offset);

// The CSV of the figures: a header line of the column names below, then one line per cell and
// detector; ";" between fields, "." as decimal point, minutes with two decimals, rates and
// cumulative permeation with four; an empty field where a figure does not exist. Lines end
// with LF; the text is meant to be written as UTF-8 (the level's "≥").
inline constexpr const char *kReportCsvHeader =
    "cell;detector;bt01_first_min;bt01_min;bt10_first_min;bt10_min;level;steady_rate;cum_end;cum_30;cum_60;"
    "cum_120;cum_240;cum_480;duration_min";
QString ReportCsv(const TReport &report);

// The figures as a plain text table for a terminal: the file's particulars, one row per cell
// and detector under the CSV's column names ("-" where a figure does not exist), and the
// warnings. Lines end with LF.
QString ReportTable(const TReport &report);

// Number texts of the report in the C form ("." decimal point, no group separator, no "-0").
QString ReportNumber(double value, int decimals);

}  // namespace zelvo
