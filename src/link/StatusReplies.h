#pragma once
// The program's images of the instrument's registers (the held bytes, each changed bit by bit
// and always sent whole) and what the status replies do to them: the loop lamp that follows
// the instrument state byte, the heating port written back after a heating report, and the
// start-up's read-back of the gas set points. Widget-free: the window shows the results on
// its lamps and toggles and queues the commands.
#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>
#include <optional>

#include "link/Protocol.h"

namespace zelvo {

// Lamp byte ("<LS"), active-low: a cleared bit lights the front-panel lamp.
constexpr int kLampRefCellBit = 0;
constexpr int kLampRefGasBit = 1;
constexpr int kLampZeroGasBit = 2;
constexpr int kLampLoopBit = 3;
constexpr int kLampSample3Bit = 5;  // bit 4 is cleared at start-up and never changed
constexpr int kLampSample2Bit = 6;
constexpr int kLampSample1Bit = 7;
// The lamp bit of gas positions 1 to 6 (zero gas, reference gas, reference cell, cells 1-3).
constexpr std::array<int, 6> kPositionLampBits = {kLampZeroGasBit, kLampRefGasBit,  kLampRefCellBit,
                                                  kLampSample1Bit, kLampSample2Bit, kLampSample3Bit};

// The bytes the start-up sends and holds: every valve closed, the lamps dark but bit 4, the
// heating port with every bit set.
constexpr std::uint8_t kValveBankClosed = 0xFF;
constexpr std::uint8_t kLampByteAtStart = 0xEF;
constexpr std::uint8_t kHeatingPortAtStart = 0xFF;

// Instrument state byte (":DG"): bit 0 set while the sample loop is on.
constexpr int kStateLoopBit = 0;
// Heating port byte (":PG", "<PS"): bit 0 measuring chamber, bit 1 valve block heating,
// 0 = on. Written back with bits 5 and 4 repeating bits 0 and 1 and bits 0 to 3 set.
constexpr int kHeatingChamberBit = 0;
constexpr int kHeatingValveBlockBit = 1;
constexpr int kHeatingChamberEchoBit = 5;
constexpr int kHeatingValveBlockEchoBit = 4;

// The instrument reported its state byte; the loop lamp follows bit 0.
struct LoopLampUpdate {
  bool loopOn;
  std::uint8_t lampByte;  // the held lamp byte with the loop bit changed
  QString command;        // "<LS" + the lamp byte + CR
};
// Empty when `reported` repeats the held state byte: then nothing changes and nothing is sent.
std::optional<LoopLampUpdate> FollowInstrumentState(std::uint8_t heldState, std::uint8_t reported,
                                                    std::uint8_t lampByte);

// The instrument reported its heating port byte: the two heating toggles follow it and the
// port is written back.
struct HeatingPortUpdate {
  bool chamberOn;     // bit 0 clear
  bool valveBlockOn;  // bit 1 clear
  std::uint8_t portByte;
  QString command;  // "<PS" + portByte + CR, queued after both toggles have run
};
// Empty when `reported` repeats the held heating port byte.
std::optional<HeatingPortUpdate> FollowHeatingPort(std::uint8_t heldPort, std::uint8_t reported);

// The text a status reply shows, in the language of the string-table offset:
//   chamber and valve block temperature: tenths with one decimal and text 18 right after
//     ("27.5°C", "-1.0°C");
//   emission cell and transfer line: whole degrees truncated toward zero, a space, text 18
//     ("150 °C", "-1 °C" for -1.00);
//   high voltage, FPD air, FPD hydrogen: the number, a space, text 25, 123 or 122 ("700 V");
//   the three pressures and the flow: the number alone.
// Empty for every other form and for a malformed reply.
QString StatusText(const proto::ParsedReply &reply, int offset);

// The start-up's read-back of a gas set point ("<BC", "<WC", "<CC").
struct SetPointReadBack {
  std::optional<int> value;  // characters 4 to 7 as a hexadecimal number; empty when garbled
  bool resend;               // the program's own set point is to be sent again
};
// A value that differs from the program's, and a missing or garbled one, ask for the
// program's set point to be sent.
SetPointReadBack ReadBackSetPoint(QStringView reply, int programValue);

}  // namespace zelvo
