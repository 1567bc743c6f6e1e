#pragma once
// Numbers as text in the user's regional format (QLocale(), the default locale), the way the
// settings file, the result file and the operator's input fields have always held them.
#include <QLocale>
#include <QString>
#include <optional>

namespace zelvo {

// The shortest general text of `value` with up to 15 significant digits: fixed notation
// with the locale's decimal separator and no group separators ("19,6" in German, "19.6" in
// English, "100", "0,0001"), scientific below 1E-4 and from 1E15 on ("1E-5", "1,5E20").
// Not finite: "NAN", "INF", "-INF".
QString FloatToStr(double value, const QLocale &locale = QLocale());

// A number in the locale's format: optional sign, digits with at most one decimal separator
// of the locale, optional exponent ("e" or "E", optional sign, digits); blanks around it are
// allowed, group separators are not (so "1.000" is no number in German rather than 1000).
// StrToFloat raises EConvertError "'<text>' is not a valid floating point value".
// Fixed-point text with `digits` decimals and the locale's separator, no group separators;
// a value whose integer part needs more than `precision` digits is written in scientific
// notation instead ("120,0" for a flow, "1,00" for a factor).
QString FloatToStrF(double value, int precision, int digits, const QLocale &locale = QLocale());

std::optional<double> TryStrToFloat(const QString &text, const QLocale &locale = QLocale());
double StrToFloat(const QString &text, const QLocale &locale = QLocale());

// A 32-bit integer: optional sign and decimal digits, or hexadecimal after "0x", "0X" or "$"
// (up to 8 hex digits, FFFFFFFF being -1). Blanks around it are allowed.
// StrToInt raises EConvertError "'<text>' is not a valid integer value".
std::optional<int> TryStrToInt(const QString &text);
int StrToInt(const QString &text);
int StrToIntDef(const QString &text, int defaultValue);

// The value of one hexadecimal digit ("0"-"9", "a"-"f", "A"-"F"), or -1 for any other character.
constexpr int HexDigit(QChar c) {
  const char16_t u = c.unicode();
  if (u >= u'0' && u <= u'9') return u - u'0';
  if (u >= u'a' && u <= u'f') return u - u'a' + 10;
  if (u >= u'A' && u <= u'F') return u - u'A' + 10;
  return -1;
}

}  // namespace zelvo
