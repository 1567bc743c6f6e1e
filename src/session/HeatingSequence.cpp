#include "session/HeatingSequence.h"

#include "link/Protocol.h"

namespace zelvo {

void HeatingSequence::Begin(const HeatingPortUpdate &update) {
  using proto::Cmd;
  steps_ = {
      {Step::SendSetpoint, SetpointId::Messkammer, update.chamberOn, {}},
      {Step::QueueSwitch, SetpointId::Messkammer, update.chamberOn,
       proto::Form(update.chamberOn ? Cmd::SO1 : Cmd::SO0)},
      {Step::SendSetpoint, SetpointId::Ventilblock, update.valveBlockOn, {}},
      {Step::QueueSwitch, SetpointId::Ventilblock, update.valveBlockOn,
       proto::Form(update.valveBlockOn ? Cmd::VO1 : Cmd::VO0)},
      {Step::QueuePort, SetpointId::Messkammer, false, update.command},
  };
  next_ = 0;
  awaited_.clear();
  timedOut_ = false;
}

std::optional<HeatingSequence::Step> HeatingSequence::Due(TSteadySeconds now) {
  if (!Busy()) return std::nullopt;
  if (!awaited_.isEmpty()) {
    if (now - sentAt_ <= kAnswerWaitSeconds) return std::nullopt;
    awaited_.clear();  // given up: the sequence goes on as if it had been answered
    timedOut_ = true;
  }
  return steps_[next_++];
}

void HeatingSequence::Sent(TSteadySeconds now) {
  if (next_ == 0) return;
  const Step &taken = steps_[next_ - 1];
  if (taken.kind != Step::SendSetpoint) return;
  // The answer repeats the two letters of the set command ("<SS010E" is answered ":SS...").
  awaited_ = QStringLiteral(":") + QLatin1String(proto::Info(SetpointOf(taken.setpoint).command).code, 2);
  sentAt_ = now;
  timedOut_ = false;
}

bool HeatingSequence::Answer(QStringView reply) {
  if (awaited_.isEmpty() || !reply.startsWith(awaited_)) return false;
  awaited_.clear();
  return true;
}

}  // namespace zelvo
