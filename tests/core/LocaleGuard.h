#pragma once
// Sets the default locale (what the program calls the system's regional format) for one
// test and restores the previous one afterwards.
#include <QLocale>

class LocaleGuard {
 public:
  explicit LocaleGuard(const QLocale &locale) { QLocale::setDefault(locale); }
  ~LocaleGuard() { QLocale::setDefault(FSaved); }
  LocaleGuard(const LocaleGuard &) = delete;
  LocaleGuard &operator=(const LocaleGuard &) = delete;

  static QLocale German() { return QLocale(QLocale::German, QLocale::Germany); }
  static QLocale English() { return QLocale(QLocale::English, QLocale::UnitedStates); }

 private:
  QLocale FSaved;
};
