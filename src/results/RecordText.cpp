#include "results/RecordText.h"

#include <charconv>
#include <cmath>
#include <string_view>

namespace zelvo {

QString IntText(long long value) { return QString::number(value); }

QString ShortDateText(TDateTime value, const QLocale &locale) {
  QString format = locale.dateFormat(QLocale::ShortFormat);
  if (!format.contains(QStringLiteral("yyyy"))) format.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
  return locale.toString(FromDateTime(value).date(), format);
}

QString LongTimeText(TDateTime value) { return TimeText(value); }

QString ElapsedText(double seconds) {
  long long s = std::isfinite(seconds) && seconds > 0 ? static_cast<long long>(seconds) : 0;
  s %= 86400;
  return QStringLiteral("%1:%2:%3")
      .arg(s / 3600, 2, 10, QLatin1Char('0'))
      .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
      .arg(s % 60, 2, 10, QLatin1Char('0'));
}

QString Sci23(double value) {
  constexpr int kWidth = 23;
  if (!std::isfinite(value)) {
    const QString word = std::isnan(value) ? QStringLiteral("NAN")
                         : value < 0       ? QStringLiteral("-INF")
                                           : QStringLiteral("INF");
    return word.rightJustified(kWidth);
  }
  char buf[48];
  // "d.dddddddddddddde+XX": 15 significant digits, correctly rounded, in the C form.
  const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14);
  const std::string_view text(buf, res.ptr);
  const auto e = text.find('e');
  int exponent = 0;
  const std::string_view exponentText = text.substr(e + 1);
  std::from_chars(exponentText.data() + (exponentText.front() == '+' ? 1 : 0),
                  exponentText.data() + exponentText.size(), exponent);
  QString out;
  out.reserve(kWidth);
  out += value < 0 ? u'-' : u' ';
  out += QLatin1String(text.data(), static_cast<qsizetype>(e));
  out += u'E';
  out += exponent < 0 ? u'-' : u'+';
  out += QString::number(std::abs(exponent)).rightJustified(4, u'0');
  return out;
}

QString FieldText(const QString &text) {
  QString out = text;
  for (QChar &c : out) {
    if (c == u';')
      c = u',';
    else if (c.category() == QChar::Other_Control)
      c = u' ';
  }
  return out;
}

}  // namespace zelvo
