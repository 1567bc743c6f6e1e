#pragma once
// The instrument's heating report switches the measuring chamber's and the valve block's
// heating. For each heating in turn its set point goes out first and its answer is awaited
// (at most kAnswerWaitSeconds on the steady clock) before its switch command is queued; the
// heating port byte is written back last. Nothing here waits: the tick asks for the step that
// is due, carries it out, says when a set point went out, and hands over the replies it takes.
#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

#include "core/Clock.h"
#include "link/StatusReplies.h"
#include "setup/Setpoints.h"

namespace zelvo {

class HeatingSequence {
 public:
  static constexpr double kAnswerWaitSeconds = 5.0;

  struct Step {
    enum Kind {
      SendSetpoint,  // send the heating's set point now; then call Sent()
      QueueSwitch,   // the heating's toggle takes `on`, `command` is queued
      QueuePort,     // `command` ("<PS" + the port byte) is queued; the sequence is done
    } kind;
    SetpointId setpoint;  // the heating (SendSetpoint and QueueSwitch)
    bool on;
    QString command;  // the command to queue (QueueSwitch and QueuePort)
  };

  // A sequence is under way: a report that arrives meanwhile is left for the next poll.
  bool Busy() const { return next_ < steps_.size(); }
  // Starts the steps of one heating report (the chamber first, then the valve block).
  void Begin(const HeatingPortUpdate &update);
  // The step to carry out now; empty while a set point's answer is awaited and its time has
  // not run out, and when nothing is left.
  std::optional<Step> Due(TSteadySeconds now);
  // The set point of the step just taken went out: its answer is awaited from `now`. (A set
  // point that could not be sent is not awaited: the switch follows at once.)
  void Sent(TSteadySeconds now);
  // A reply taken from the instrument; true when it answers the awaited set point (it repeats
  // the command's letters: ":SS..." answers "<SS").
  bool Answer(QStringView reply);
  // True when the awaited answer did not come in time (for the log), until the next wait.
  bool TimedOut() const { return timedOut_; }

 private:
  std::vector<Step> steps_;
  std::size_t next_ = 0;
  QString awaited_;  // the answer's prefix, empty when nothing is awaited
  TSteadySeconds sentAt_ = 0;
  bool timedOut_ = false;
};

}  // namespace zelvo
