#include "setup/FieldNumbers.h"

#include "core/NumberText.h"

namespace zelvo {

QString FixedFieldText(double value, int precision, int digits, const QLocale &locale) {
  const QString general = FloatToStr(value, locale);
  // The value as the settings file holds it (15 significant digits): what the text must give.
  const std::optional<double> wanted = TryStrToFloat(general, locale);
  if (!wanted) return general;  // not finite
  for (int d = digits; d <= 15; ++d) {
    const QString text = FloatToStrF(value, precision, d, locale);
    if (TryStrToFloat(text, locale) == wanted) return text;
  }
  return general;
}

QString LimitText(double value, const QLocale &locale) { return FixedFieldText(value, 5, 1, locale); }
QString FlowText(double value, const QLocale &locale) { return FixedFieldText(value, 5, 1, locale); }
QString FactorText(double value, const QLocale &locale) { return FixedFieldText(value, 6, 2, locale); }
QString CalPpmText(double value, const QLocale &locale) { return FloatToStr(value, locale); }

}  // namespace zelvo
