#pragma once
// Small stateless helpers shared by several parts of the program.
#include <QString>
#include <cstdint>

namespace zelvo {

// Every "." replaced by ",".
QString PointToComma(const QString &text);

// A piece of a file's text fit to be quoted in a message on a terminal or in the log: every
// character that does not print (control characters, unassigned bytes) written as \xNN
// (\uNNNN above 0xFF), and cut after `max` characters with "..." appended.
QString QuotedForMessage(QStringView text, qsizetype max = 60);

// "Version " + major.minor.patch of this build (the build number is not shown).
QString VersionText();

int IntMax(int a, int b);
int IntMin(int a, int b);

// The low 16 bits of v as a signed number of tenths: 275 -> "27.5", -5 -> "-0.5",
// 65526 (0xFFF6) -> "-1.0". Always "." and one decimal.
QString TenthsText(int v);

// Bit n (0 = least significant) of a held register byte. An n outside 0..7 addresses no
// bit: TestBit gives false, SetBit and ClearBit change nothing.
bool TestBit(std::uint8_t b, int n);
void SetBit(std::uint8_t &b, int n);
void ClearBit(std::uint8_t &b, int n);

}  // namespace zelvo
