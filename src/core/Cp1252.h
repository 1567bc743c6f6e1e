#pragma once
// Windows-1252, the single-byte code page of every file the program reads or writes
// (settings, substance lists, result and raw data files), so files move unchanged between
// this program and the instrument's Windows PCs.
//
// Bytes 0x00-0x7F and 0xA0-0xFF are the same code points; 0x80-0x9F carry the typographic
// characters of the code page (0x80 is the euro sign). The five unassigned bytes 0x81, 0x8D,
// 0x8F, 0x90 and 0x9D decode to U+0081 etc. and encode back to themselves, so any byte
// sequence survives a decode/encode round trip. A character the code page lacks is written
// as "?" (one per character, also for characters outside the BMP).
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace zelvo {

QString Cp1252Decode(QByteArrayView bytes);
QByteArray Cp1252Encode(QStringView text);

// True when every character of `text` has a byte of its own in the code page.
bool Cp1252CanEncode(QStringView text);

}  // namespace zelvo
