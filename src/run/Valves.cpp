#include "run/Valves.h"

#include "core/Utils.h"
#include "link/Protocol.h"

namespace zelvo {

std::optional<TValveBit> ValveBit(int x) {
  if (x >= 11 && x <= 16) return TValveBit{1, x - 11};
  if (x == 17) return TValveBit{2, 0};
  if (x >= 2 && x <= 6) return TValveBit{2, x - 1};
  return std::nullopt;
}

int ValveNumber(int bank, int bit) {
  if (bit < 0 || bit > 5) return 0;
  if (bank == 1) return 11 + bit;
  if (bank == 2) return bit == 0 ? 17 : bit + 1;
  return 0;
}

int PositionLampBit(int x) {
  static constexpr int kBits[] = {2, 1, 0, 7, 6, 5};  // positions 1..6
  return x >= 11 && x <= 16 ? kBits[x - 11] : -1;
}

namespace {

void Switch(std::uint8_t &byte, int bit, bool active) {
  if (active)
    ClearBit(byte, bit);  // active-low: 0 = open / lit
  else
    SetBit(byte, bit);
}

TByteChange SwitchValve(TValveBytes &b, int x, bool open) {
  const auto where = ValveBit(x);
  if (!where) return {};
  std::uint8_t &byte = where->Bank == 1 ? b.ValveByte1 : b.ValveByte2;
  Switch(byte, where->Bit, open);
  const proto::Cmd cmd = where->Bank == 1 ? proto::Cmd::V1S : proto::Cmd::V2S;
  return {proto::Form(cmd, byte), {TLampKind::Valve, x, open}};
}

TByteChange SwitchPosition(TValveBytes &b, int x, bool on) {
  const int bit = PositionLampBit(x);
  if (bit < 0) return {};
  Switch(b.LampByte, bit, on);
  return {proto::Form(proto::Cmd::LS, b.LampByte), {TLampKind::Position, x - 10, on}};
}

}  // namespace

TByteChange TValveBytes::ValveSet(int x) { return SwitchValve(*this, x, true); }
TByteChange TValveBytes::ValveReset(int x) { return SwitchValve(*this, x, false); }
TByteChange TValveBytes::DispSet(int x) { return SwitchPosition(*this, x, true); }
TByteChange TValveBytes::DispReset(int x) { return SwitchPosition(*this, x, false); }

TByteChange TValveBytes::SetLoopLamp(bool on) {
  Switch(LampByte, kLoopLampBit, on);
  return {proto::Form(proto::Cmd::LS, LampByte), {TLampKind::Loop, 0, on}};
}

std::array<QString, 2> TValveBytes::CloseAllValves() {
  ValveByte1 = 0xFF;
  ValveByte2 = 0xFF;
  return {proto::Form(proto::Cmd::V1S, ValveByte1), proto::Form(proto::Cmd::V2S, ValveByte2)};
}

bool TValveBytes::ValveOpen(int bank, int bit) const {
  if (bit < 0 || bit > 5) return false;
  if (bank == 1) return !TestBit(ValveByte1, bit);
  if (bank == 2) return !TestBit(ValveByte2, bit);
  return false;
}

}  // namespace zelvo
