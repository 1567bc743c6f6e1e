#include "link/StatusReplies.h"

#include "core/Language.h"
#include "core/Utils.h"

namespace zelvo {

std::optional<LoopLampUpdate> FollowInstrumentState(std::uint8_t heldState, std::uint8_t reported,
                                                    std::uint8_t lampByte) {
  if (reported == heldState) return std::nullopt;
  const bool loopOn = TestBit(reported, kStateLoopBit);
  if (loopOn)
    ClearBit(lampByte, kLampLoopBit);
  else
    SetBit(lampByte, kLampLoopBit);
  return LoopLampUpdate{loopOn, lampByte, proto::Form(proto::Cmd::LS, lampByte)};
}

std::optional<HeatingPortUpdate> FollowHeatingPort(std::uint8_t heldPort, std::uint8_t reported) {
  if (reported == heldPort) return std::nullopt;
  std::uint8_t o = reported;
  const bool chamberOn = !TestBit(reported, kHeatingChamberBit);
  if (chamberOn)
    ClearBit(o, kHeatingChamberEchoBit);
  else
    SetBit(o, kHeatingChamberEchoBit);
  const bool valveBlockOn = !TestBit(reported, kHeatingValveBlockBit);
  if (valveBlockOn)
    ClearBit(o, kHeatingValveBlockEchoBit);
  else
    SetBit(o, kHeatingValveBlockEchoBit);
  o |= 0x0F;
  return HeatingPortUpdate{chamberOn, valveBlockOn, o, proto::Form(proto::Cmd::PS, o)};
}

QString StatusText(const proto::ParsedReply &reply, int offset) {
  using proto::Reply;
  if (!reply.value) return {};
  const int v = *reply.value;
  const auto withUnit = [&](int number, TextId unit) {
    return QString::number(number) + u' ' + GetLangString(offset, unit);
  };
  switch (reply.kind) {
    case Reply::ChamberTemperature:
    case Reply::ValveBlockTemperature:
      return TenthsText(v) + GetLangString(offset, kTextDegree);
    case Reply::EmissionTemperature:
    case Reply::TransferTemperature:
      return withUnit(v / 100, kTextDegree);  // truncates toward zero
    case Reply::HighVoltage:
      return withUnit(v, kTextVolt);
    case Reply::FpdAir:
      return withUnit(v, kTextAirMbar);
    case Reply::FpdH2:
      return withUnit(v, kTextH2Mbar);
    case Reply::AirPressure:
    case Reply::H2Pressure:
    case Reply::CarrierPressure:
    case Reply::Flow:
      return QString::number(v);
    default:
      return {};
  }
}

SetPointReadBack ReadBackSetPoint(QStringView reply, int programValue) {
  const std::optional<int> value = proto::HexField(reply, 4, 7);
  return {value, !value || *value != programValue};
}

}  // namespace zelvo
