#pragma once
// The program's texts in German and English, and the choice of language.
//
// Text n is German under id n (1-999) and English under id n + 1000 (1001-1999); the
// language offset (TForm1::ID) is 0 for German and 1000 for English, and every lookup adds
// it: GetLangString(ID, n).
#include <QChar>
#include <QLocale>
#include <QString>

namespace zelvo {

constexpr int kGermanOffset = 0;
constexpr int kEnglishOffset = 1000;

// The texts the code looks up by number (captions of controls come from their Tags instead).
// The comments give the German text.
enum TextId : int {
  kTextDegree = 18,                // "° C"
  kTextOn = 23,                    // "An"
  kTextVolt = 25,                  // "V"
  kTextOff = 26,                   // "Aus"
  kTextPortMissing = 27,           // "Fehler: Schnittstelle nicht verfügbar" (German in both languages)
  kTextPortNotOpened = 28,         // "Fehler: Beim öffnen dsr seriellen Anschlusses" (likewise)
  kTextStop = 30,                  // "Stop"
  kTextRunTimeNone = 39,           // "Laufzeit --:-- "
  kTextFidChannel = 53,            // "FID Kanal (µV)"
  kTextFpdChannel = 54,            // "FPD Kanal (µV)"
  kTextHighVoltageRange = 86,      // "Achtung ! Wert soll zwischen 0 V und 1000 V liegen."
  kTextNoMeasurement = 88,         // "Keine Messung"
  kTextConverterNoI2c = 90,        // "AD-Wandler hat keine I2C Schnittstelle ! Programm Abbruch"
  kTextConverterNotFound = 91,     // "AD-Wandler nicht gefunden. Programm wird beendet."
  kTextFpdConverterNotFound = 92,  // "AD-Wandler für FPD nicht gefunden! Schalte auf FID Mode."
  kTextChartTitle = 106,           // "Diagramm"
  kTextMicrovolt = 107,            // "µV"
  kTextH2Mbar = 122,               // "H2 mbar"
  kTextAirMbar = 123,              // "Air mbar"
  kTextPressureRange = 126,        // "Achtung! Wert soll zwischen300 mbar und 2000 mbar liegen"
  // The connection to the instrument lost and regained, and settings that cannot be saved.
  kTextLinkLost = 161,             // "Die Verbindung zum Gerät ist unterbrochen; …"
  kTextRunEndsLinkLost = 162,      // "Der Lauf endet: die Verbindung an %1 ist unterbrochen"
  kTextRunEndedKept = 163,         // "Der Lauf ist beendet; die bisher ausgewerteten …"
  kTextLinkBack = 164,             // "%1: die Verbindung zum Gerät ist wieder da; …"
  kTextNoStartWhileLost = 165,     // "Kein Lauf kann starten, solange …"
  kTextSettingsNotSaved = 166,     // "%1. Die Änderung gilt bis zum Programmende, …"
  // Messages of the setup code: input fields, settings entries, substance lists.
  kTextNotANumber = 200,           // "'%1' ist keine gültige Zahl."
  kTextNotAWholeNumber = 201,      // "'%1' ist keine ganze Zahl."
  kTextRefusedNotPositive = 202,   // "%1 ist nicht zulässig, der Wert muss größer als 0 sein."
  kTextPreviousKept = 203,         // "Der bisherige Wert %1 bleibt."
  kTextMustBePositive = 204,       // "der Wert muss größer als 0 sein"
  kTextOutOfRange = 205,           // "außerhalb des Bereichs"
  kTextDefaultUsed = 206,          // " (%1 verwendet)"
  kTextCalFlow = 207,              // "Kalibrierfluss"
  kTextSampleFlow = 208,           // "Probenfluss %1"
  kTextFidCalFactor = 209,         // "FID-Kalibrierfaktor"
  kTextFpdCalFactor = 210,         // "FPD-Kalibrierfaktor"
  kTextFidCellFactor = 211,        // "FID-Faktor Zelle %1"
  kTextFpdCellFactor = 212,        // "FPD-Faktor Zelle %1"
  kTextFieldNotStored = 213,       // "Das Feld wurde nicht übernommen."
  kTextFieldsNotStored = 214,      // "Das Feld und die folgenden wurden nicht übernommen."
  kTextSubstanceTwice = 215,         // "%1, Zeile %2: "%3" steht schon in der Liste, …"
  kTextSubstanceNameSplit = 216,     // "%1: der Name "%2" enthält "=" und wird beim Lesen …"
  kTextSubstanceNotEncodable = 217,  // "%1: "%2=%3" enthält Zeichen, die die Datei nicht …"
  // Ending the program during a run.
  kTextCloseDuringRun = 350,       // "Ein Lauf ist aktiv. Soll der Lauf beendet und …"
  kTextCloseEndRun = 351,          // "Lauf beenden und schließen"
  kTextCloseKeepRunning = 352,     // "Weiter messen"
  kTextRunEndsProgramExit = 353,   // "Der Lauf endet: das Programm wird beendet (%1)"
  kTextLinkLostSince = 354,        // "Verbindung zum Gerät unterbrochen seit %1 – …"
  // The report of one run of a result file.
  kTextNoSuchRun = 355,            // "Die Datei enthält keinen Lauf %1 (Läufe: %2)"
  kTextLevelNotClassified = 356,   // "nicht klassifiziert: %1 min gemessen"
  kTextReplaceReport = 357,        // "Der Bericht %1 ist schon da. Soll er ersetzt werden?"
  kTextReplace = 358,              // "Ersetzen"
  kTextCancel = 359,               // "Abbrechen"
  // Starting without a result file.
  kTextNoResultFileAsk = 360,      // "Keine Ergebnisdatei gewählt: diese Messung würde …"
  kTextChooseResultFile = 361,     // "Ergebnisdatei wählen …"
  kTextRunWithoutSaving = 362,     // "Ohne Speichern messen"
  kTextFirstPositionRange = 300,   // "Die erste Position muss 1 bis 6 sein, nicht '%1'."
  kTextNoFpdSignalInFile = 320,    // "Die Datei enthält kein FPD-Signal: keine Kalibrierung …"
  kTextPositionNotEvaluated = 321, // "Position %1 nicht ausgewertet: %2"
  // The permeation view beside the signal chart.
  kTextViewSignal = 400,           // "Signal"
  kTextViewPermeation = 401,       // "Permeation"
  kTextRunTimeHoursAxis = 402,     // "Laufzeit (h:min)"
  kTextLogarithmic = 403,          // "Logarithmisch"
  kTextSavePng = 404,              // "Als PNG speichern …"
  kTextSavePdf = 405,              // "Als PDF speichern …"
  kTextChartSaved = 406,           // "%1 gespeichert"
  kTextChartNotSaved = 407,        // "%1 kann nicht gespeichert werden"
  kTextCellDetector = 408,         // "Zelle %1 %2"
  kTextLastRate = 409,             // "Letzte Rate (µg/cm²/min)"
  kTextAboveLimit = 410,           // "> %1: erste / interp. (min)"
  kTextLevelShort = 411,           // "Stufe"
  kTextCumulativeShort = 412,      // "Kumuliert (µg/cm²)"
  kTextSteadyShort = 413,          // "Stationäre Rate"
  kTextPointTip = 414,             // "Laufzeit %1 (%2 min)\nRate %3 µg/cm²/min"
  kTextPpm = 415,                  // "%1 ppm"
  kTextBelowFloor = 416,           // "unter %1 (Achsenboden)"
  kTextBreakthroughMark = 417,     // "Durchbruch Zelle %1: %2"
  kTextShownRun = 418,             // "Lauf %1 von %2: %3"
  // The session's run: evaluation notes and the records' reports.
  kTextFpdTooFewReadings = 500,     // "FPD: zu wenige Messpunkte (%1), keine Peaksuche"
  kTextResultFileAppended = 501,    // "%1 besteht schon: die Messzeilen werden angehängt."
  kTextResultFileRecreated = 502,   // "%1 fehlte und wurde mit Kopf neu angelegt."
  kTextRawDataRenamed = 503,        // "Rohdaten dieser Messung heißen %2_n.txt, weil es …"
  kTextHeldWritten = 504,           // "%1 zurückgehaltene Einträge nachträglich geschri …"
  kTextRecordsHeld = 505,           // "%1 Messzeilen und %2 Rohdatendateien werden zurü …"
  kTextNotWritten = 506,            // "Nicht geschrieben:"
  kTextResultsCannotBeWritten = 507, // "Ergebnisse können nicht geschrieben werden:\n%1\ …"
  kTextNoResultFileChosen = 508,    // "Keine Ergebnisdatei gewählt: diese Messung speic …"
  kTextFidNotCalibrated = 509,      // "FID nicht kalibriert: diese Messung berechnet ke …"
  kTextMustBeAboveZero = 510,       // "der Wert muss größer als 0 sein"
  kTextNoPeakNoCalibration = 511,   // "Kein %1-Peak gefunden: keine Kalibrierung gespei …"
  kTextAreaNotStorable = 512,       // "%1-Fläche %2 ist nicht als Kalibrierung speicher …"
  kTextNoImportDuringRun = 513,     // "Während einer Messung kann keine Rohdatendatei g …"
  kTextScaleMaxAboveMin = 514,      // "Der Skalierungs-Höchstwert (%1 µV) muss größer a …"
};

// The texts of the permeation test report (the report itself, the report tool and the
// window's report button). Texts with "%1" and "%2" take numbers or names filled in by the
// caller. The comments give the English text.
namespace report_text {
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

}  // namespace report_text

// The text with id `offset + id`, or the empty text when there is none.
QString GetLangString(int offset, int id);

// The language offset for the settings value Language/Code: exactly "DE" gives German (0),
// any other text (other case, "US", empty) English (1000).
int LanguageOffset(const QString &code);

// The regional format of the chosen language (TForm1::dtFormat): German (Germany) or
// English (United States), with the short date format "dd.MM.yy hh:mm" (Qt notation: day,
// month, two-digit year, hours, minutes). It is shown only in lblLocalChar; the number
// conversions of the program use the system's format, QLocale().
struct TFormatSettings {
  QLocale Locale;
  QChar DecimalSeparator;  // TForm1::ChDeciSep
  QString ShortDateFormat;
};
TFormatSettings LanguageFormat(int offset);

// The caption of lblLocalChar: "< " + separator + " >".
QString LocalCharCaption(QChar decimalSeparator);

}  // namespace zelvo
