#pragma once
// The valve banks and the front-panel lamp row as the program holds them: one byte per
// register, changed one bit at a time and always sent whole. All bits are active-low
// (0 = valve open or lamp lit).
//
//   ValveByte1  bits 0-5: V11..V16                                  "<V1S" + hh
//   ValveByte2  bit 0: V17, bits 1-5: V2..V6                         "<V2S" + hh
//   LampByte    bit 0 reference cell, 1 reference gas, 2 zero gas,   "<LS" + hh
//               3 loop, 4 always 0, 5 cell 3, 6 cell 2, 7 cell 1
//
// Each operation changes its byte first and returns the command to queue and the on-screen
// lamp to switch; the caller queues the command and then switches the lamp. Widget-free.
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace zelvo {

// The on-screen lamp an operation switches.
enum class TLampKind {
  None,
  Valve,     // Number: the valve number (11..17, 2..6); lamp ledV1_0..ledV2_5
  Position,  // Number: the gas position 1..6; lamps ledZero .. ledSample3
  Loop,      // both loop lamps, ledLoop and LedLoopTab1
  CellOff,   // Number: sample cell 1..3; lamps ledSmpOff1..ledSmpOff3
};

struct TLampChange {
  TLampKind Kind = TLampKind::None;
  int Number = 0;
  bool On = false;
  bool operator==(const TLampChange &) const = default;
};

// What one operation did. An argument that addresses no valve or lamp changes nothing:
// the command is empty and the lamp kind is None.
struct TByteChange {
  QString Command;  // complete command with its CR
  TLampChange Lamp;
  bool Changed() const { return !Command.isEmpty(); }
};

// Where valve x has its bit: bank 1 (ValveByte1) or bank 2 (ValveByte2), bit 0..5.
// 11..16 are bank 1 bits 0..5, 17 is bank 2 bit 0, 2..6 are bank 2 bits 1..5; any other
// number is no valve.
struct TValveBit {
  int Bank = 0;
  int Bit = 0;
  bool operator==(const TValveBit &) const = default;
};
std::optional<TValveBit> ValveBit(int x);
// The valve number of lamp ledV<bank>_<bit>, the inverse of ValveBit; 0 when there is none.
int ValveNumber(int bank, int bit);
// The LampByte bit of position lamp x (11..16 for positions 1..6), or -1.
int PositionLampBit(int x);
constexpr int kLoopLampBit = 3;

struct TValveBytes {
  // The start-up values (after "<V1SFF", "<V2SFF", "<LSEF").
  std::uint8_t ValveByte1 = 0xFF, ValveByte2 = 0xFF, LampByte = 0xEF;

  // Opens / closes valve x.
  TByteChange ValveSet(int x);
  TByteChange ValveReset(int x);
  // Lights / darkens the lamp of position x - 10 (x = 11..16).
  TByteChange DispSet(int x);
  TByteChange DispReset(int x);
  // The loop lamp bit (the loop itself is switched by "<D1" / "<D0").
  TByteChange SetLoopLamp(bool on);
  // Closes every valve: both valve bytes to FF; the two commands in order "<V1SFF", "<V2SFF".
  std::array<QString, 2> CloseAllValves();

  // Whether the valve of lamp ledV<bank>_<bit> is open, as the byte says (for redrawing a bank).
  bool ValveOpen(int bank, int bit) const;
};

}  // namespace zelvo
