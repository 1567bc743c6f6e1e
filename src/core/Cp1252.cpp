#include "core/Cp1252.h"

#include <array>

namespace zelvo {

namespace {

// Code points of bytes 0x80-0x9F. Unassigned bytes map to the C1 control of the same value.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

// The byte for one UTF-16 code unit, or -1 when the code page has none.
int ByteFor(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] == c) return 0x80 + i;
  return -1;
}

}  // namespace

QString Cp1252Decode(QByteArrayView bytes) {
  QString out(bytes.size(), Qt::Uninitialized);
  QChar *d = out.data();
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    d[i] = QChar((b >= 0x80 && b < 0xA0) ? kHigh[b - 0x80] : char16_t(b));
  }
  return out;
}

QByteArray Cp1252Encode(QStringView text) {
  QByteArray out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
      ++i;  // one character, one "?"
      out.append('?');
      continue;
    }
    const int b = ByteFor(c);
    out.append(b < 0 ? '?' : static_cast<char>(b));
  }
  return out;
}

bool Cp1252CanEncode(QStringView text) {
  for (QChar c : text)
    if (ByteFor(c.unicode()) < 0) return false;
  return true;
}

}  // namespace zelvo
