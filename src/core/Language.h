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
