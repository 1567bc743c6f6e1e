// Valve banks, front-panel lamps and the loop: the held bytes, one bit changed at a time and
// always sent whole.
#include "app/Zelvo730_Main.h"
#include "core/Utils.h"
#include "link/Protocol.h"
#include "link/StatusReplies.h"
#include "ui/TZeLed.h"
#include "ui/Widgets.h"

using namespace zelvo;

std::array<TZLed *, 6> TForm1::ValveLamps(int bank) const {
  if (bank == 1) return {ledV1_0, ledV1_1, ledV1_2, ledV1_3, ledV1_4, ledV1_5};
  return {ledV2_0, ledV2_1, ledV2_2, ledV2_3, ledV2_4, ledV2_5};
}

TZLed *TForm1::ValveLamp(int x) const {
  if (x >= 11 && x <= 16) return ValveLamps(1)[x - 11];
  if (x == 17) return ValveLamps(2)[0];
  if (x >= 2 && x <= 6) return ValveLamps(2)[x - 1];
  return nullptr;
}

static void SwitchValve(TForm1 &f, int x, bool open) {
  std::uint8_t *byte = nullptr;
  int bit = 0;
  proto::Cmd command = proto::Cmd::V1S;
  if (x >= 11 && x <= 16) {
    byte = &f.ValveByte1, bit = x - 11, command = proto::Cmd::V1S;
  } else if (x == 17) {
    byte = &f.ValveByte2, bit = 0, command = proto::Cmd::V2S;
  } else if (x >= 2 && x <= 6) {
    byte = &f.ValveByte2, bit = x - 1, command = proto::Cmd::V2S;
  } else {
    return;
  }
  if (open)
    ClearBit(*byte, bit);
  else
    SetBit(*byte, bit);
  f.FifoPutString(proto::Form(command, *byte));
  if (TZLed *led = f.ValveLamp(x)) led->SetLedOn(open);
}

void TForm1::ValveSet(int x) { SwitchValve(*this, x, true); }
void TForm1::ValveReset(int x) { SwitchValve(*this, x, false); }

static void SwitchPositionLamp(TForm1 &f, int x, bool on) {
  if (x < 11 || x > 16) return;
  const int bit = kPositionLampBits[static_cast<std::size_t>(x - 11)];
  TZLed *const leds[] = {f.ledZero, f.ledCalgas, f.ledCalcell, f.ledSample1, f.ledSample2, f.ledSample3};
  if (on)
    ClearBit(f.LampByte, bit);
  else
    SetBit(f.LampByte, bit);
  f.FifoPutString(proto::Form(proto::Cmd::LS, f.LampByte));
  if (TZLed *led = leds[x - 11]) led->SetLedOn(on);
}

void TForm1::DispSet(int x) { SwitchPositionLamp(*this, x, true); }
void TForm1::DispReset(int x) { SwitchPositionLamp(*this, x, false); }

static void ShowBank(const std::array<TZLed *, 6> &lamps, std::uint8_t byte) {
  for (int i = 0; i < 6; ++i)
    if (lamps[i]) lamps[i]->SetLedOn(!TestBit(byte, i));
}

void TForm1::DispV1State() { ShowBank(ValveLamps(1), ValveByte1); }
void TForm1::DispV2State() { ShowBank(ValveLamps(2), ValveByte2); }

void TForm1::ValveLampClick(int bank, int index) {
  TZLed *led = ValveLamps(bank)[index];
  const int x = bank == 1 ? 11 + index : (index == 0 ? 17 : index + 1);
  if (led && led->LedOn())
    ValveReset(x);
  else
    ValveSet(x);
  if (bank == 1)
    DispV1State();
  else
    DispV2State();
}

void TForm1::ledLoopClick() {
  const bool on = ledLoop && ledLoop->LedOn();
  FifoPutString(proto::Form(on ? proto::Cmd::D0 : proto::Cmd::D1));
  if (ledLoop) ledLoop->SetLedOn(!on);
  if (LedLoopTab1) LedLoopTab1->SetLedOn(!on);
  if (on)
    SetBit(LampByte, kLampLoopBit);
  else
    ClearBit(LampByte, kLampLoopBit);
  FifoPutString(proto::Form(proto::Cmd::LS, LampByte));
}

void TForm1::DispRunBreak(int f, bool b, const QString &sTime) {
  TLabel *const labels[] = {lblRunToBreak1, lblRunToBreak2, lblRunToBreak3};
  if (f < 1 || f > 3) return;
  if (labels[f - 1]) labels[f - 1]->setText(sTime);
  FifoPutString(proto::FormCellTime(f, b, sTime));
}

void TForm1::ledV1_0Click() { ValveLampClick(1, 0); }
void TForm1::ledV1_1Click() { ValveLampClick(1, 1); }
void TForm1::ledV1_2Click() { ValveLampClick(1, 2); }
void TForm1::ledV1_3Click() { ValveLampClick(1, 3); }
void TForm1::ledV1_4Click() { ValveLampClick(1, 4); }
void TForm1::ledV1_5Click() { ValveLampClick(1, 5); }
void TForm1::ledV2_0Click() { ValveLampClick(2, 0); }
void TForm1::ledV2_1Click() { ValveLampClick(2, 1); }
void TForm1::ledV2_2Click() { ValveLampClick(2, 2); }
void TForm1::ledV2_3Click() { ValveLampClick(2, 3); }
void TForm1::ledV2_4Click() { ValveLampClick(2, 4); }
void TForm1::ledV2_5Click() { ValveLampClick(2, 5); }
