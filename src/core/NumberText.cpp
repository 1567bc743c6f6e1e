#include "core/NumberText.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

#include "core/Errors.h"

namespace zelvo {

namespace {
bool IsDigit(QChar c) { return c >= u'0' && c <= u'9'; }
bool IsHexDigit(QChar c) { return HexDigit(c) >= 0; }

// Copies the ASCII digits at s[i...] to `out`; returns how many there were.
int TakeDigits(const QString &s, qsizetype &i, QString &out) {
  int n = 0;
  for (; i < s.size() && IsDigit(s[i]); ++i, ++n) out += s[i];
  return n;
}
}  // namespace

QString FloatToStr(double value, const QLocale &locale) {
  if (std::isnan(value)) return QStringLiteral("NAN");
  if (std::isinf(value)) return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
  if (value == 0) return QStringLiteral("0");

  // 15 significant digits, rounded: "d.dddddddddddddde+XX" (to_chars ignores every locale).
  char buf[40];
  const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14);
  const std::string_view sci(buf, res.ptr);
  const auto e = sci.find('e');
  QString digits = QString::fromLatin1(sci.substr(0, 1)) + QString::fromLatin1(sci.substr(2, e - 2));
  std::string_view exponentText = sci.substr(e + 1);  // value = d.ddd * 10^exponent
  if (exponentText.front() == '+') exponentText.remove_prefix(1);
  int exponent = 0;
  std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);
  while (digits.size() > 1 && digits.endsWith(u'0')) digits.chop(1);

  const QString sep = locale.decimalPoint();
  QString text = value < 0 ? QStringLiteral("-") : QString();
  if (exponent >= 15 || exponent < -4) {
    text += digits.left(1);
    if (digits.size() > 1) text += sep + digits.mid(1);
    text += QStringLiteral("E") + QString::number(exponent);
  } else if (exponent < 0) {
    text += QStringLiteral("0") + sep + QString(-exponent - 1, u'0') + digits;
  } else if (digits.size() <= exponent + 1) {
    text += digits + QString(exponent + 1 - digits.size(), u'0');
  } else {
    text += digits.left(exponent + 1) + sep + digits.mid(exponent + 1);
  }
  return text;
}

QString FloatToStrF(double value, int precision, int digits, const QLocale &locale) {
  if (!std::isfinite(value)) return FloatToStr(value, locale);
  // The integer digits are counted on the rounded text: 99999.96 with one decimal is
  // 100000.0, six digits.
  QString text = QString::number(value, 'f', digits);
  const qsizetype sign = text.startsWith(u'-') ? 1 : 0;
  const qsizetype dot = text.indexOf(u'.');
  if ((dot < 0 ? text.size() : dot) - sign > precision) {
    text = QString::number(value, 'E', precision - 1);  // d.dddE+XX in C form
  } else if (sign && text.count(u'0') == text.size() - 1 - (dot < 0 ? 0 : 1)) {
    text.remove(0, 1);  // a negative value that rounds to zero is written as 0
  }
  text.replace(u'.', locale.decimalPoint());
  return text;
}

std::optional<double> TryStrToFloat(const QString &text, const QLocale &locale) {
  const QString s = text.trimmed();
  const QString sep = locale.decimalPoint();
  // Rewrite into the C form, checking the grammar on the way.
  QString c;
  qsizetype i = 0;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) c += s[i++];
  int mantissaDigits = TakeDigits(s, i, c);
  if (!sep.isEmpty() && QStringView(s).mid(i).startsWith(sep)) {
    c += u'.';
    i += sep.size();
    mantissaDigits += TakeDigits(s, i, c);
  }
  if (mantissaDigits == 0) return std::nullopt;
  if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
    c += u'e';
    ++i;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) c += s[i++];
    if (TakeDigits(s, i, c) == 0) return std::nullopt;
  }
  if (i != s.size()) return std::nullopt;
  bool ok = false;
  const double v = QLocale::c().toDouble(c, &ok);
  if (!ok || !std::isfinite(v)) return std::nullopt;
  return v;
}

double StrToFloat(const QString &text, const QLocale &locale) {
  if (auto v = TryStrToFloat(text, locale)) return *v;
  throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
}

std::optional<int> TryStrToInt(const QString &text) {
  QString s = text.trimmed();
  bool negative = false;
  if (!s.isEmpty() && (s[0] == u'+' || s[0] == u'-')) {
    negative = s[0] == u'-';
    s.remove(0, 1);
  }
  int base = 10;
  if (s.startsWith(u'$')) {
    base = 16;
    s.remove(0, 1);
  } else if (s.size() > 2 && s[0] == u'0' && (s[1] == u'x' || s[1] == u'X')) {
    base = 16;
    s.remove(0, 2);
  }
  if (s.isEmpty()) return std::nullopt;
  for (QChar ch : s) {
    if (!(base == 10 ? IsDigit(ch) : IsHexDigit(ch))) return std::nullopt;
  }
  bool ok = false;
  const qlonglong magnitude = s.toLongLong(&ok, base);
  if (!ok) return std::nullopt;
  if (base == 16) {
    if (magnitude > 0xFFFFFFFFLL) return std::nullopt;
    const auto bits = static_cast<quint32>(magnitude);  // FFFFFFFF is -1
    return static_cast<int>(negative ? 0u - bits : bits);
  }
  const qlonglong v = negative ? -magnitude : magnitude;
  if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max()) return std::nullopt;
  return static_cast<int>(v);
}

int StrToInt(const QString &text) {
  if (auto v = TryStrToInt(text)) return *v;
  throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

int StrToIntDef(const QString &text, int defaultValue) { return TryStrToInt(text).value_or(defaultValue); }

}  // namespace zelvo
