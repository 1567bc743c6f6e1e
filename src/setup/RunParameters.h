#pragma once
// The parameters of a measurement run on the run status page: first gas position, number of
// positions, measuring time per position, number of cycles, the two breakthrough limits and
// the concentrations of the two calibration gases. Each edit field's exit handler hands its
// text to TakeRunParam and gets back what to store, what the field shows and what to tell
// the operator; StoreRunParam writes the accepted value to the settings file.
//
// The Detection section of the settings file (loop volume and flow, peak search indexes) is
// checked here too, since the run's peak width is derived from it.
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <span>

#include "core/IniFile.h"

namespace zelvo {

enum class TRunParam {
  Startzelle,
  AnzahlZellen,
  Messzeit,
  AnzahlMessreihen,
  LimitFID,
  LimitFPD,
  FIDCALMenge,
  FPDCalMenge
};

struct TRunParamDef {
  TRunParam Id;
  const char *Field;    // the edit field (objectName)
  const char *Member;   // the main-window field
  const char *Section;  // settings file
  const char *Key;
  bool Integer;   // strict whole number; otherwise a decimal in the regional format
  bool Positive;  // zero and below are refused
  int CaptionId;  // string table text that names the field in messages
};

// All eight, in the order of the page (the order of TRunParam).
std::span<const TRunParamDef> RunParamDefs();
const TRunParamDef &RunParamOf(TRunParam id);

// The values as the window keeps them; Get/Set by id (integers as whole doubles).
struct TRunParams {
  int Startzelle = 1, AnzahlZellen = 4, Messzeit = 60, AnzahlMessreihen = 10;
  double LimitFID = 100, LimitFPD = 10, FIDCALMenge = 100, FPDCalMenge = 10;

  double Get(TRunParam id) const;
  void Set(TRunParam id, double value);
};

enum class TInputStatus {
  Accepted,     // stored as typed
  Corrected,    // stored after limiting; the field shows the corrected value
  NotANumber,   // nothing stored; the field keeps the typed text
  NotPositive,  // nothing stored; the field shows the previous value again
};

struct TRunParamInput {
  TInputStatus Status = TInputStatus::Accepted;
  double Value = 0;                  // the value to store; the previous one when refused
  std::optional<QString> FieldText;  // the text the edit field shows from now on, when it changes
  QString Message;                   // for the operator; empty when there is nothing to say

  bool Stored() const { return Status == TInputStatus::Accepted || Status == TInputStatus::Corrected; }
};

// Takes the text of a run parameter's edit field.
// - Startzelle: limited to 1..6, the corrected number written back (0 -> 1, 9 -> 6).
// - AnzahlZellen: at least 1, and at most 7 - `startzelle` so the last position is at most
//   6 (start 4, count 5 -> 3); written back. `startzelle` is the stored start position at
//   the time the count field is left.
// - Messzeit, AnzahlMessreihen, the limits and the calibration concentrations: a value of 0
//   or below would make the run meaningless or divide by zero later; it is refused with a
//   message, `previous` stays and the field shows it again. Their text is otherwise not
//   rewritten.
// Integers use the strict whole-number conversion (StrToInt), decimals the regional one
// (StrToFloat); a text that does not convert stores nothing and leaves the field as typed.
// `offset` is the string table's language offset (0 German, 1000 English).
TRunParamInput TakeRunParam(TRunParam id, const QString &text, double previous, int startzelle, int offset);

// Writes an accepted value to its key: integers with the integer writer, decimals with the
// floating-point writer (regional format).
void StoreRunParam(TIniFile &ini, TRunParam id, double value);

// The text of the value in its edit field: integers in decimal, the limits with one decimal,
// the concentrations in the shortest general form (FieldNumbers.h).
QString RunParamText(TRunParam id, double value);

// A run stays within the six gas positions: the start limited to 1..6, the count to
// 1..7 - start. For the pair as the run reads it, whatever the fields and the file hold.
struct TRunPositions {
  int Startzelle = 1, AnzahlZellen = 1;
};
TRunPositions LimitRunPositions(int startzelle, int anzahlZellen);

// The eight values from the settings file with their table defaults. A decimal that does
// not convert, or a value the exit handler would refuse, takes the default; a start position
// outside 1..6 or a count below 1 is limited. Each such case is one line in Problems. The
// pair start/count is not limited against each other here (LimitRunPositions does that for
// the run).
struct TRunParamsLoad {
  TRunParams Values;
  QStringList Problems;
};
TRunParamsLoad LoadRunParams(const TIniFile &ini, int offset);

// ---------------------------------------------------------------- section Detection
struct TDetection {
  int LoopVolume = 200;      // Loopvolume, µl
  int Loopflow = 10000;      // Loopflow, µl/min
  int PeakTime = 25;         // PeakIndex, default apex in seconds
  int MinPeakStart = 10;     // MinIndex, first slope index of the peak search
  double MinPeakWith = 1.2;  // peak width in seconds: LoopVolume / (Loopflow / 60)
};

struct TDetectionCheck {
  TDetection Values;
  QStringList Problems;
};

// The values to use for the read ones: a loop volume, loop flow, peak index or minimum
// index of 0 or below takes its default (a loop flow of 0 would make the peak width
// infinite), with one line in Problems naming key, value and the default used.
TDetectionCheck CheckDetection(int loopVolume, int loopflow, int peakIndex, int minIndex, int offset);
// Reads the four keys (table defaults) and checks them.
TDetectionCheck ReadDetection(const TIniFile &ini, int offset);

}  // namespace zelvo
