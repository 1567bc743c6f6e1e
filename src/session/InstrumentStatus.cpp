#include "session/InstrumentStatus.h"

#include "core/Language.h"
#include "link/StatusReplies.h"

namespace zelvo {

void InstrumentStatus::Take(const proto::ParsedReply &reply) {
  if (reply.kind == proto::Reply::Unrecognised || reply.malformed || !reply.value) return;
  last_[reply.kind] = reply;
}

std::optional<int> InstrumentStatus::Value(proto::Reply kind) const {
  const auto it = last_.find(kind);
  if (it == last_.end()) return std::nullopt;
  return it->second.value;
}

QString InstrumentStatus::Text(proto::Reply kind, int offset) const {
  using proto::Reply;
  const auto it = last_.find(kind);
  if (it != last_.end()) return StatusText(it->second, offset);
  const auto placeholder = [&](const char *dashes, TextId unit) {
    return QLatin1String(dashes) + GetLangString(offset, unit);
  };
  switch (kind) {
    case Reply::ChamberTemperature:
    case Reply::ValveBlockTemperature:
    case Reply::EmissionTemperature:
    case Reply::TransferTemperature: return placeholder("--- ", kTextDegree);
    case Reply::HighVoltage: return placeholder("---- ", kTextVolt);
    case Reply::FpdH2: return placeholder("---- ", kTextH2Mbar);
    case Reply::FpdAir: return placeholder("---- ", kTextAirMbar);
    default: return {};
  }
}

}  // namespace zelvo
