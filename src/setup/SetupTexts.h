#pragma once
// The operator messages of the setup code that the string table has no entry for, in the
// language of the string table offset (0 German, 1000 English). Private to src/setup.
#include <QString>

#include "core/Language.h"

namespace zelvo::setuptext {

inline QString Pick(int offset, const char *german, const char *english) {
  return QString::fromUtf8(offset == kGermanOffset ? german : english);
}

inline QString NotANumber(int offset, const QString &text) {
  return Pick(offset, "'%1' ist keine gültige Zahl.", "'%1' is not a valid number.").arg(text);
}

inline QString NotAWholeNumber(int offset, const QString &text) {
  return Pick(offset, "'%1' ist keine ganze Zahl.", "'%1' is not a whole number.").arg(text);
}

// An operator input of zero or below.
inline QString Refused(int offset, const QString &text) {
  return Pick(offset, "%1 ist nicht zulässig, der Wert muss größer als 0 sein.",
              "%1 is not allowed, the value must be greater than 0.")
      .arg(text);
}

inline QString PreviousKept(int offset, const QString &text) {
  return Pick(offset, "Der bisherige Wert %1 bleibt.", "The previous value %1 is kept.").arg(text);
}

// Settings problems: "[Section] Key = value: " + reason + " (default used)".
inline QString SettingsEntry(const QString &section, const QString &key, const QString &value) {
  return QStringLiteral("[%1] %2 = %3: ").arg(section, key, value);
}
inline QString MustBePositive(int offset) {
  return Pick(offset, "der Wert muss größer als 0 sein", "the value must be greater than 0");
}
inline QString OutOfRange(int offset) { return Pick(offset, "außerhalb des Bereichs", "out of range"); }
inline QString DefaultUsed(int offset, const QString &value) {
  return Pick(offset, " (%1 verwendet)", " (%1 used)").arg(value);
}

}  // namespace zelvo::setuptext
