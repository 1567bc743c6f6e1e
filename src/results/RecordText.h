#pragma once
// Number, date and field texts of the result file and the raw data files.
//
// The result file follows the system's regional format (QLocale(), the default locale):
// its decimal separator and short date; the time of day is always "hh:nn:ss". The raw data
// files write their peak levels in a fixed scientific form that always uses ".".
#include <QLocale>
#include <QString>

#include "core/DateTime.h"

namespace zelvo {

// A whole number: optional "-" and decimal digits, never a group separator.
QString IntText(long long value);

// The locale's short date with the year in four digits ("13.03.2023" in German,
// "3/13/2023" in English): a two-digit year in a result file is ambiguous for a test
// that is read years later.
QString ShortDateText(TDateTime value, const QLocale &locale = QLocale());

// The long time format of the program, "hh:nn:ss" (24 hours, leading zeros).
QString LongTimeText(TDateTime value);

// An elapsed time in seconds as "hh:nn:ss", wrapping after 24 hours like the run-time
// display; a negative time gives "00:00:00".
QString ElapsedText(double seconds);

// Scientific-23: a sign position (space or "-"), one digit, ".", 14 digits, "E", the
// exponent's sign and four exponent digits, rounded to 15 significant digits and always
// with "." (150 -> " 1.50000000000000E+0002"). A value that is not finite is written as
// "NAN", "INF" or "-INF", right-aligned in the same 23 characters.
QString Sci23(double value);

// A free text (sample text, chemical, description line, file name, label text) made safe
// for one field of a ";"-separated line: ";" becomes "," (it would shift every later
// column), and a line break or other control character becomes a space (it would cut the
// line in two).
QString FieldText(const QString &text);

}  // namespace zelvo
