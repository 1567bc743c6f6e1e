// Valve banks, front-panel lamps and the loop: the held bytes, one bit changed at a time and
// always sent whole.
#include "app/Zelvo730_Main.h"
#include "link/Protocol.h"
#include "ui/TZeLed.h"
#include "ui/Widgets.h"

using namespace zelvo;

std::array<TZLed *, 6> TForm1::ValveLamps(int bank) const {
  if (bank == 1) return {ledV1_0, ledV1_1, ledV1_2, ledV1_3, ledV1_4, ledV1_5};
  return {ledV2_0, ledV2_1, ledV2_2, ledV2_3, ledV2_4, ledV2_5};
}

TZLed *TForm1::ValveLamp(int x) const {
  const std::optional<TValveBit> where = ValveBit(x);
  return where ? ValveLamps(where->Bank)[where->Bit] : nullptr;
}

void TForm1::ShowLamp(const TLampChange &lamp) {
  TZLed *const positions[] = {ledZero, ledCalgas, ledCalcell, ledSample1, ledSample2, ledSample3};
  TZLed *const offLamps[] = {ledSmpOff1, ledSmpOff2, ledSmpOff3};
  switch (lamp.Kind) {
    case TLampKind::Valve:
      if (TZLed *led = ValveLamp(lamp.Number)) led->SetLedOn(lamp.On);
      break;
    case TLampKind::Position:
      if (lamp.Number >= 1 && lamp.Number <= 6) positions[lamp.Number - 1]->SetLedOn(lamp.On);
      break;
    case TLampKind::Loop:
      ledLoop->SetLedOn(lamp.On);
      LedLoopTab1->SetLedOn(lamp.On);
      break;
    case TLampKind::CellOff:
      if (lamp.Number >= 1 && lamp.Number <= 3) offLamps[lamp.Number - 1]->SetLedOn(lamp.On);
      break;
    case TLampKind::None:
      break;
  }
}

void TForm1::DispV1State() {
  const auto lamps = ValveLamps(1);
  for (int i = 0; i < 6; ++i) lamps[i]->SetLedOn(Session.Valves.ValveOpen(1, i));
}

void TForm1::DispV2State() {
  const auto lamps = ValveLamps(2);
  for (int i = 0; i < 6; ++i) lamps[i]->SetLedOn(Session.Valves.ValveOpen(2, i));
}

// A valve lamp switches its valve as the valve byte says it stands; both loop lamps switch
// the sample loop.
void TForm1::ValveLampClick(int bank, int index) { Session.ValveClick(bank, index); }

void TForm1::ledLoopClick() { Session.LoopClick(); }

void TForm1::ShowCellTime(int cell, const QString &time) {
  TLabel *const labels[] = {lblRunToBreak1, lblRunToBreak2, lblRunToBreak3};
  if (cell >= 1 && cell <= 3) labels[cell - 1]->setText(time);
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
