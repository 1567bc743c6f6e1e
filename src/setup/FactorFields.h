#pragma once
// The factor and flow fields of the factors tab: one calibration factor and three sample
// factors per detector, each with its substance name (the caption of the field's label), the
// calibration flow and three sample flows. One table names, for every field, the edit field,
// the main-window field, the settings keys and the info displays on the run status page;
// the start-up loads all of them from it, and the store sequence (when the focus leaves the
// tab area) takes them back from it, in the table's order.
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <span>

#include "core/IniFile.h"

namespace zelvo {

// In the order of the store sequence.
enum class TFactorField {
  CalFlow,
  SampleFlow1,
  SampleFlow2,
  SampleFlow3,
  FIDCal,
  FIDSample1,
  FIDSample2,
  FIDSample3,
  FPDCal,
  FPDSample1,
  FPDSample2,
  FPDSample3,
};
inline constexpr int kFactorFieldCount = 12;

// What the store sequence shows on the run status page for a factor field.
enum class TInfoRule {
  None,         // flows and the FPD sample factors
  Calibration,  // FactorLabel := "[" + factor text + "]"; InfoLabel := name (+ " (ppm)" at start-up)
  Sample,       // InfoLabel := name + "[" + factor text + "]"
};

struct TFactorFieldDef {
  TFactorField Id;
  const char *Field;     // the edit field (objectName)
  const char *Member;    // the main-window field (Double)
  const char *Section;   // of both keys
  const char *ValueKey;  // the factor or flow
  const char *NameKey;   // the substance name; nullptr for the flows
  TInfoRule Info;
  const char *FactorLabel;  // Calibration: the bracketed factor; else nullptr
  const char *InfoLabel;    // Calibration, Sample: the name display; else nullptr
  int DropList;             // the list whose entries may be dropped on it: 1 CH, 2 S, 0 none

  bool IsFlow() const { return NameKey == nullptr; }
};

std::span<const TFactorFieldDef> FactorFieldDefs();
const TFactorFieldDef &FactorFieldOf(TFactorField id);
// The field with that objectName, or nullptr.
const TFactorFieldDef *FindFactorField(const QString &objectName);

// The field as it is named in messages ("FID-Faktor Zelle 2", "Sample flow 1").
QString FactorFieldCaption(TFactorField id, int offset);

// One text for a display on the run status page (objectName of a label, its new caption).
struct TDisplayText {
  const char *Label;
  QString Text;
};

// The info displays of a field for its factor text and substance name; `atStartup` gives
// the start-up's form of the calibration displays (name + " (ppm)").
QList<TDisplayText> FactorDisplays(TFactorField id, const QString &fieldText, const QString &name,
                                   bool atStartup);

// A field's content: the value behind it, the field's text and the label's caption (the
// substance name; empty for a flow).
struct TFactorFieldValue {
  TFactorField Id;
  double Value = 0;
  QString Text;
  QString Name;
};

// Start-up: every field from the settings file, in table order. Flows are shown with one
// decimal, factors with two (FieldNumbers.h). A value that does not convert, or one of 0 or
// below (it would divide by zero in the evaluation), takes the key's default, with one line
// in Problems.
struct TFactorFieldsLoad {
  QList<TFactorFieldValue> Fields;
  QList<TDisplayText> Displays;
  QStringList Problems;
};
TFactorFieldsLoad LoadFactorFields(const TIniFile &ini, int offset);

// What the window reads from a field before the store sequence.
struct TFactorFieldInput {
  QString Text;  // the edit field's text
  QString Name;  // the caption of its label (ignored for the flows)
};

// The store sequence, in table order: each field's text is converted in the regional format;
// the sequence stops at the first field whose text does not convert or whose value is 0 or
// below, and names that field in Message. The fields before it are stored: their values,
// their settings writes (the value with the floating-point writer, the name with the text
// writer, in order), and their info displays (the bracketed text is the field's text as
// typed or dropped). Nothing of the failed field or the ones after it is stored.
//
// The window assigns Stored to its fields, writes Writes with TIniFile::WriteStrings (one
// replacement of the file), sets the Displays and shows Message when it is not empty.
struct TFactorStore {
  QList<TFactorFieldValue> Stored;
  QList<TIniFile::Entry> Writes;
  QList<TDisplayText> Displays;
  std::optional<TFactorField> Failed;
  QString Message;
  QList<TFactorField> Skipped;  // refused fields the run does not use (StoreFactorFieldsForRun)
};
TFactorStore StoreFactorFields(const std::array<TFactorFieldInput, kFactorFieldCount> &inputs, int offset);

// Whether the run reads the field when it measures gas position 1..6: the calibration
// factors at every position (the FID divides by its calibration factor, the FPD's ratio is
// calibration over sample), the calibration flow at positions 2 and 3, a sample cell's flow
// and factors at its own position (4..6).
bool FactorFieldServesPosition(TFactorField id, int position);

// The store sequence before a run: only a field that a position of the run's range uses can
// refuse the start. A refused field that none of them uses is passed over (listed in
// Skipped, nothing of it stored) and the sequence goes on with the fields after it. The
// range is the first position and the number of positions as typed, read as the run reads
// them (the count at least 1, the range ending at 6); a range the run would refuse has no
// positions here, so the run's own message tells what is wrong.
TFactorStore StoreFactorFieldsForRun(const std::array<TFactorFieldInput, kFactorFieldCount> &inputs,
                                     int offset, const QString &firstText, const QString &countText);

}  // namespace zelvo
