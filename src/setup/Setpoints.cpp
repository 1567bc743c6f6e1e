#include "setup/Setpoints.h"

#include "core/Language.h"

namespace zelvo {

namespace {
const SetpointDef kDefs[] = {
    {SetpointId::Ventilblock, "TempValves", 30, 80, proto::Cmd::VS, false},
    {SetpointId::Messkammer, "TempMeasurementCell", 20, 40, proto::Cmd::SS, false},
    {SetpointId::Emmision, "TempEmissionCell", 80, 200, proto::Cmd::ES, false},
    {SetpointId::Transfer, "TempTransferline", 80, 200, proto::Cmd::TS, false},
    {SetpointId::HVoltage, "HighVoltage", 0, 1000, proto::Cmd::HS, false},
    {SetpointId::FPDAir, "FPD_AIR", 0, 2000, proto::Cmd::XS, false},
    {SetpointId::FPDH2, "FPD_H2", 0, 2000, proto::Cmd::YS, false},
    {SetpointId::H2, "H2Set", 300, 1999, proto::Cmd::WS, true},
    {SetpointId::Air, "AirSet", 300, 1999, proto::Cmd::BS, true},
    {SetpointId::Carrier, "CarrierSet", 300, 1999, proto::Cmd::CS, true},
};
}  // namespace

const SetpointDef &SetpointOf(SetpointId id) { return kDefs[static_cast<int>(id)]; }

ClampResult ClampSetpoint(SetpointId id, int value) {
  const SetpointDef &s = SetpointOf(id);
  if (value > s.high) return {s.high, true};
  if (value < s.low) return {s.low, true};
  return {value, false};
}

QString SetpointCommand(SetpointId id, int value) { return proto::Form(SetpointOf(id).command, value); }

QString SetpointRangeMessage(SetpointId id, int offset) {
  switch (id) {
    case SetpointId::HVoltage: return GetLangString(offset, kTextHighVoltageRange);
    case SetpointId::FPDAir:
    case SetpointId::FPDH2: return GetLangString(offset, kTextPressureRange);
    case SetpointId::H2: return QStringLiteral("H2 ") + GetLangString(offset, kTextPressureRange);
    case SetpointId::Air: return QStringLiteral("Air ") + GetLangString(offset, kTextPressureRange);
    case SetpointId::Carrier: return QStringLiteral("Carrier ") + GetLangString(offset, kTextPressureRange);
    default: return QStringLiteral("Bereichsfehler!");
  }
}

}  // namespace zelvo
