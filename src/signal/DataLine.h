#pragma once
// Detector data lines: one reading per line, as the converters stream them.
//
//   position 1     marker: "[" opens the sampling window, "/" is a reading inside it,
//                  "]" closes it; every line carries a reading whatever its marker
//   position 2     not interpreted
//   position 3     sign flag: "0" marks a negative reading
//   positions 4-8  up to five hexadecimal digits H (either case); later characters are ignored
//
// The reading is H, or H - 1048575 (hexadecimal FFFFF) when the sign flag is "0".
#include <QChar>
#include <QStringView>
#include <optional>

namespace zelvo {

struct TDataReading {
  QChar Marker;  // '[', '/' or ']'
  int Value = 0;  // µV
};

// The reading of one line, or nothing when the line has no hexadecimal digit at positions
// 4-8 or a character there that is not one (such a line is skipped by the caller).
std::optional<TDataReading> DecodeDataLine(QStringView line);

}  // namespace zelvo
