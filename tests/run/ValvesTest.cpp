#include <gtest/gtest.h>

#include "run/Valves.h"

using namespace zelvo;

namespace {
enum class Op { Set, Reset, Disp, Undisp, Loop, Unloop };

TByteChange Do(TValveBytes &b, Op op, int x) {
  switch (op) {
    case Op::Set:
      return b.ValveSet(x);
    case Op::Reset:
      return b.ValveReset(x);
    case Op::Disp:
      return b.DispSet(x);
    case Op::Undisp:
      return b.DispReset(x);
    case Op::Loop:
      return b.SetLoopLamp(true);
    case Op::Unloop:
      return b.SetLoopLamp(false);
  }
  return {};
}
}  // namespace

// One sequence of operations from the start-up bytes (FF, FF, EF); each step names the
// command it must queue and the lamp it must switch. Bits are active-low.
TEST(ValveBytes, EachOperationChangesOneBitAndSendsTheWholeByte) {
  const struct {
    Op op;
    int x;
    const char *command;
    TLampChange lamp;
  } steps[] = {
      {Op::Set, 11, "<V1SFE\r", {TLampKind::Valve, 11, true}},  // bank 1 bit 0
      {Op::Reset, 11, "<V1SFF\r", {TLampKind::Valve, 11, false}},
      {Op::Set, 16, "<V1SDF\r", {TLampKind::Valve, 16, true}},  // bank 1 bit 5
      {Op::Set, 4, "<V2SF7\r", {TLampKind::Valve, 4, true}},    // bank 2 bit 3
      {Op::Set, 17, "<V2SF6\r", {TLampKind::Valve, 17, true}},  // bank 2 bit 0, V4 stays open
      {Op::Set, 2, "<V2SF4\r", {TLampKind::Valve, 2, true}},    // bank 2 bit 1
      {Op::Set, 6, "<V2SD4\r", {TLampKind::Valve, 6, true}},    // bank 2 bit 5
      {Op::Set, 6, "<V2SD4\r", {TLampKind::Valve, 6, true}},    // again: same byte, sent again
      {Op::Reset, 4, "<V2SDC\r", {TLampKind::Valve, 4, false}},
      {Op::Disp, 14, "<LS6F\r", {TLampKind::Position, 4, true}},  // sample cell 1 lamp: bit 7
      {Op::Undisp, 14, "<LSEF\r", {TLampKind::Position, 4, false}},
      {Op::Disp, 11, "<LSEB\r", {TLampKind::Position, 1, true}},  // zero gas: bit 2
      {Op::Disp, 12, "<LSE9\r", {TLampKind::Position, 2, true}},  // reference gas: bit 1
      {Op::Disp, 13, "<LSE8\r", {TLampKind::Position, 3, true}},  // reference cell: bit 0
      {Op::Disp, 15, "<LSA8\r", {TLampKind::Position, 5, true}},  // cell 2: bit 6
      {Op::Disp, 16, "<LS88\r", {TLampKind::Position, 6, true}},  // cell 3: bit 5
      {Op::Loop, 0, "<LS80\r", {TLampKind::Loop, 0, true}},       // loop: bit 3
      {Op::Unloop, 0, "<LS88\r", {TLampKind::Loop, 0, false}},
      // No valve or lamp: nothing changes, nothing is sent.
      {Op::Set, 1, "", {}},
      {Op::Set, 7, "", {}},
      {Op::Set, 10, "", {}},
      {Op::Reset, 18, "", {}},
      {Op::Set, 0, "", {}},
      {Op::Disp, 17, "", {}},
      {Op::Undisp, 10, "", {}},
  };
  TValveBytes b;
  for (const auto &s : steps) {
    const TByteChange c = Do(b, s.op, s.x);
    EXPECT_EQ(c.Command, QString::fromLatin1(s.command)) << int(s.op) << " " << s.x;
    EXPECT_EQ(c.Lamp, s.lamp) << int(s.op) << " " << s.x;
  }
  EXPECT_EQ(b.ValveByte1, 0xDF);
  EXPECT_EQ(b.ValveByte2, 0xDC);
  EXPECT_EQ(b.LampByte, 0x88);
  EXPECT_TRUE(b.ValveOpen(1, 5));
  EXPECT_FALSE(b.ValveOpen(1, 0));
  EXPECT_TRUE(b.ValveOpen(2, 0));
  EXPECT_FALSE(b.ValveOpen(2, 3));

  const auto close = b.CloseAllValves();
  EXPECT_EQ(close[0], "<V1SFF\r");
  EXPECT_EQ(close[1], "<V2SFF\r");
  EXPECT_EQ(b.ValveByte1, 0xFF);
  EXPECT_EQ(b.ValveByte2, 0xFF);
  EXPECT_EQ(b.LampByte, 0x88);  // lamps are not valves
}

TEST(ValveBytes, ValveNumbersAndBankBitsMapBothWays) {
  for (int x = -1; x <= 20; ++x) {
    const auto where = ValveBit(x);
    const bool valve = (x >= 2 && x <= 6) || (x >= 11 && x <= 17);
    ASSERT_EQ(where.has_value(), valve) << x;
    if (where) {
      EXPECT_EQ(ValveNumber(where->Bank, where->Bit), x);
    }
  }
  EXPECT_EQ(ValveBit(17), (TValveBit{2, 0}));
  EXPECT_EQ(ValveBit(3), (TValveBit{2, 2}));
  EXPECT_EQ(ValveNumber(1, 6), 0);
  EXPECT_EQ(ValveNumber(3, 0), 0);
  EXPECT_EQ(PositionLampBit(10), -1);
  EXPECT_EQ(PositionLampBit(17), -1);
}
