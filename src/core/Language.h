#pragma once
// The program's texts in German and English, and the choice of language.
//
// Text n is German under id n (1-127) and English under id n + 1000 (1001-1127); the
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
};

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
