#pragma once
// String table numbers of the report's texts (German n, English n + 1000). Texts with "%1"
// and "%2" take numbers or names filled in by the caller.
namespace zelvo::report_text {

inline constexpr int kTitle = 128;          // "Permeation test report"
inline constexpr int kButton = 129;         // caption of the window's report button
inline constexpr int kConditions = 130;     // "Test conditions"
inline constexpr int kCalibration = 131;    // "Calibration"
inline constexpr int kRunParameters = 132;  // "Run parameters"
inline constexpr int kDetector = 133;       // "Detector"
inline constexpr int kBreakFirst = 134;     // "Breakthrough > %1 µg/cm²/min, first evaluation (min)"
inline constexpr int kBreakInterp = 135;    // "Breakthrough at %1 µg/cm²/min, interpolated (min)"
inline constexpr int kLevel = 136;          // "Performance level (EN ISO 374-1)"
inline constexpr int kSteadyRate = 137;     // "Steady-state permeation rate (µg/cm²/min)"
inline constexpr int kNotReached = 138;     // "not reached"
inline constexpr int kCumulativeEnd = 139;  // "Cumulative permeation at the last evaluation (µg/cm²)"
inline constexpr int kCumulativeAt = 140;   // "Cumulative permeation at %1 min (µg/cm²)"
inline constexpr int kDuration = 141;       // "Duration (min)"
inline constexpr int kRateAxis = 142;       // "Permeation rate (µg/cm²/min)"
inline constexpr int kTimeAxis = 143;       // "Run time (min)"
inline constexpr int kLimitLine = 144;      // "Limit %1"
inline constexpr int kNotes = 145;          // "Notes"
inline constexpr int kPage = 146;           // "Page %1 of %2"
inline constexpr int kEndedAtBreak = 147;   // "Measurement ended by breakthrough at"
inline constexpr int kCreated = 148;        // "Report created"
inline constexpr int kUnknown = 149;        // "unknown"
inline constexpr int kEarlierRuns = 150;    // "The file holds %1 runs; ... (from line %2)."
inline constexpr int kCannotRead = 151;     // "The file cannot be read: %1"
inline constexpr int kNotResultFile = 152;  // "Not a result file of this program"
inline constexpr int kBadHeaderLine = 153;  // "Unexpected header line, expected: "%1""
inline constexpr int kFieldCount = 154;     // "Measurement line with %1 fields, expected %2"
inline constexpr int kBadField = 155;       // "Measurement line: field %1 ("%2") cannot be read"
inline constexpr int kCannotWrite = 156;    // "The report cannot be written: %1"
inline constexpr int kNoCells = 157;        // "No measurement of a sample cell"
inline constexpr int kRunLimit = 158;       // "Breakthrough limit of the run"
inline constexpr int kWritten = 159;       // "Report written: %1" (the window's status bar)
inline constexpr int kNoResultFile = 160;  // "No result file chosen: ..." (the window's message)
inline constexpr int kLast = 160;

}  // namespace zelvo::report_text
