#include "core/Utils.h"

#include "core/Version.h"

namespace zelvo {

QString PointToComma(const QString &text) {
  QString s = text;
  s.replace(u'.', u',');
  return s;
}

QString QuotedForMessage(QStringView text, qsizetype max) {
  QString out;
  const QStringView shown = text.left(max);
  out.reserve(shown.size());
  for (const QChar c : shown) {
    if (c.isPrint()) {
      out += c;
    } else if (c.unicode() <= 0xFF) {
      out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
    } else {
      out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    }
  }
  return text.size() > max ? out + QStringLiteral("...") : out;
}

QString VersionText() {
  return QStringLiteral("Version %1.%2.%3")
      .arg(ZELVO_VERSION_MAJOR)
      .arg(ZELVO_VERSION_MINOR)
      .arg(ZELVO_VERSION_PATCH);
}

int IntMax(int a, int b) { return b < a ? a : b; }
int IntMin(int a, int b) { return a < b ? a : b; }

QString TenthsText(int v) {
  const int x = static_cast<std::int16_t>(static_cast<std::uint16_t>(v & 0xFFFF));
  const int q = x / 10;  // C++ division truncates toward zero, the remainder takes x's sign
  const int r = x % 10;
  return QStringLiteral("%1%2.%3")
      .arg(x < 0 ? QStringLiteral("-") : QString())
      .arg(q < 0 ? -q : q)
      .arg(r < 0 ? -r : r);
}

namespace {
bool ValidBit(int n) { return n >= 0 && n <= 7; }
}  // namespace

bool TestBit(std::uint8_t b, int n) { return ValidBit(n) && ((b >> n) & 1) != 0; }
void SetBit(std::uint8_t &b, int n) {
  if (ValidBit(n)) b = static_cast<std::uint8_t>(b | (1u << n));
}
void ClearBit(std::uint8_t &b, int n) {
  if (ValidBit(n)) b = static_cast<std::uint8_t>(b & ~(1u << n));
}

}  // namespace zelvo
