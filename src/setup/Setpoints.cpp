#include "setup/Setpoints.h"

#include "core/Language.h"

namespace zelvo {

namespace {
const SetpointSpec kSpecs[] = {
    {SetpointId::Ventilblock, "TempValves", 30, 80, "<VS", 10, false},
    {SetpointId::Messkammer, "TempMeasurementCell", 20, 40, "<SS", 10, false},
    {SetpointId::Emmision, "TempEmissionCell", 80, 200, "<ES", 100, false},
    {SetpointId::Transfer, "TempTransferline", 80, 200, "<TS", 100, false},
    {SetpointId::HVoltage, "HighVoltage", 0, 1000, "<HS", 1, false},
    {SetpointId::FPDAir, "FPD_AIR", 0, 2000, "<XS", 1, false},
    {SetpointId::FPDH2, "FPD_H2", 0, 2000, "<YS", 1, false},
    {SetpointId::H2, "H2Set", 300, 1999, "<WS", 1, true},
    {SetpointId::Air, "AirSet", 300, 1999, "<BS", 1, true},
    {SetpointId::Carrier, "CarrierSet", 300, 1999, "<CS", 1, true},
};
}  // namespace

const SetpointSpec &SetpointOf(SetpointId id) { return kSpecs[static_cast<int>(id)]; }

ClampResult ClampSetpoint(SetpointId id, int value) {
  const SetpointSpec &s = SetpointOf(id);
  if (value > s.high) return {s.high, true};
  if (value < s.low) return {s.low, true};
  return {value, false};
}

QString SetpointCommand(SetpointId id, int value) {
  const SetpointSpec &s = SetpointOf(id);
  return QString::fromLatin1(s.prefix) +
         QStringLiteral("%1").arg(value * s.scale, 4, 16, QChar('0')).toUpper() + QChar('\r');
}

QString SetpointRangeMessage(SetpointId id, int offset) {
  switch (id) {
    case SetpointId::HVoltage: return GetLangString(offset, 86);
    case SetpointId::FPDAir:
    case SetpointId::FPDH2: return GetLangString(offset, 126);
    case SetpointId::H2: return QStringLiteral("H2 ") + GetLangString(offset, 126);
    case SetpointId::Air: return QStringLiteral("Air ") + GetLangString(offset, 126);
    case SetpointId::Carrier: return QStringLiteral("Carrier ") + GetLangString(offset, 126);
    default: return QStringLiteral("Bereichsfehler!");
  }
}

}  // namespace zelvo
