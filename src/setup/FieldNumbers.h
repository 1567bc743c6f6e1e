#pragma once
// The texts of the numbers the program writes into edit fields that it reads back later
// (start-up values, the test standard's limit, restored values after a refused input).
//
// Each text is in the regional format of `locale` (QLocale(), the default locale, unless
// given) without group separators, so StrToFloat reads it back: a limit of 1000 is "1000,0"
// in German, never "1.000,0". The fixed forms keep their usual number of decimals and add
// more only when the value has them ("0,05" as a limit rather than "0,1"), so leaving a field
// without touching it never changes the value behind it.
#include <QLocale>
#include <QString>

namespace zelvo {

// editLimitFID, editLimitFPD: one decimal, at most 5 significant digits ("0,1", "100,0").
QString LimitText(double value, const QLocale &locale = QLocale());
// editCalFlow, editSampleFlow1..3: one decimal, at most 5 significant digits ("120,0").
QString FlowText(double value, const QLocale &locale = QLocale());
// The eight factor fields: two decimals, at most 6 significant digits ("2,05", "1,00").
QString FactorText(double value, const QLocale &locale = QLocale());
// editIsobutan, editSulfur: the shortest general text ("100", "2,5").
QString CalPpmText(double value, const QLocale &locale = QLocale());

// The fixed-point text with `digits` decimals (FloatToStrF with `precision`), widened to as
// many decimals as the value needs to read back; where no fixed text does (a value beyond
// `precision` integer digits, or below 1E-4), the shortest general text (FloatToStr).
QString FixedFieldText(double value, int precision, int digits, const QLocale &locale = QLocale());

}  // namespace zelvo
