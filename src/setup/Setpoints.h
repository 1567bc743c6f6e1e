#pragma once
// The set points of the instrument's heated zones, high voltage and gases: ranges, the
// messages when a typed value lies outside, the command each one sends.
#include <QString>

#include "link/Protocol.h"

namespace zelvo {

enum class SetpointId {
  Ventilblock, Messkammer, Emmision, Transfer, HVoltage, FPDAir, FPDH2, H2, Air, Carrier
};

struct SetpointDef {
  SetpointId id;
  const char *key;     // settings key in section Preferences
  int low, high;       // accepted range, inclusive
  proto::Cmd command;  // the set command (its argument form scales the value)
  bool queued;         // queued (tick) or sent at once with a wait for the reply
};

const SetpointDef &SetpointOf(SetpointId id);

struct ClampResult {
  int value;
  bool outOfRange;
};

// Forces a typed value into the set point's range. The three gas pressures test
// value >= 2000 or value < 300 and bring 2000 and above down to 1999.
ClampResult ClampSetpoint(SetpointId id, int value);

// The set command for an accepted value: code, four upper-case hex digits of the value in
// the command's unit (tenths or hundredths of a degree for the heated zones), CR.
QString SetpointCommand(SetpointId id, int value);

// The message shown when a value lies outside: "Bereichsfehler!" for the temperatures, text 86
// for the high voltage, text 126 for the FPD gases, "H2 "/"Air "/"Carrier " + text 126 for the
// pressures. `offset` is the language offset of the string table.
QString SetpointRangeMessage(SetpointId id, int offset);

}  // namespace zelvo
