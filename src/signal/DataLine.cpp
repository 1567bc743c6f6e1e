#include "signal/DataLine.h"

#include "core/NumberText.h"

namespace zelvo {

namespace {

constexpr int kNegativeOffset = 0xFFFFF;  // a reading with sign flag "0" is H - FFFFF

}  // namespace

std::optional<TDataReading> DecodeDataLine(QStringView line) {
  if (line.size() < 4) return std::nullopt;  // no digit at position 4
  const QStringView digits = line.mid(3, 5);
  int value = 0;
  for (const QChar c : digits) {
    const int d = HexDigit(c);
    if (d < 0) return std::nullopt;
    value = value * 16 + d;
  }
  if (line[2] == u'0') value -= kNegativeOffset;
  return TDataReading{line[0], value};
}

}  // namespace zelvo
