#pragma once
// Operator messages of the setup code that are put together from several texts of the
// string table, in the language of the offset (0 German, 1000 English). Private to src/setup.
#include <QString>

#include "core/Language.h"

namespace zelvo::setuptext {

inline QString NotANumber(int offset, const QString &text) {
  return GetLangString(offset, kTextNotANumber).arg(text);
}

inline QString NotAWholeNumber(int offset, const QString &text) {
  return GetLangString(offset, kTextNotAWholeNumber).arg(text);
}

// An operator input of zero or below.
inline QString Refused(int offset, const QString &text) {
  return GetLangString(offset, kTextRefusedNotPositive).arg(text);
}

inline QString PreviousKept(int offset, const QString &text) {
  return GetLangString(offset, kTextPreviousKept).arg(text);
}

// Settings problems: "[Section] Key = value: " + reason + " (default used)".
inline QString SettingsEntry(const QString &section, const QString &key, const QString &value) {
  return QStringLiteral("[%1] %2 = %3: ").arg(section, key, value);
}
inline QString MustBePositive(int offset) { return GetLangString(offset, kTextMustBePositive); }
inline QString OutOfRange(int offset) { return GetLangString(offset, kTextOutOfRange); }
inline QString DefaultUsed(int offset, const QString &value) {
  return GetLangString(offset, kTextDefaultUsed).arg(value);
}

}  // namespace zelvo::setuptext
