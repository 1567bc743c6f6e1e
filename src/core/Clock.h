#pragma once
// The program's one source of "now". Every wait and every tick reads the time here, so a
// test can stop the clock, set it and move it forward, and a run of hours passes in
// milliseconds.
//
// Two readings: the wall time (local date and time of day) for what is shown or written,
// and the steady time (seconds on a monotonic clock) for every duration, due time,
// time-out and countdown. The wall time jumps at daylight-saving changes and when the
// system time is set; the steady time never does.
#include <functional>

#include "core/DateTime.h"

namespace zelvo {

// Seconds on the monotonic clock; only differences between two readings mean anything.
using TSteadySeconds = double;

class Clock {
 public:
  // Current local date-time: the system clock, or the manual time while a test holds it.
  static TDateTime Now();
  // Current steady reading in seconds: the monotonic clock, or the manual one.
  static TSteadySeconds Steady();

  // Manual mode: the wall clock stands at `t` until advanced. The manual steady reading
  // keeps its value (it starts at 1000 s the first time), so it never runs backwards.
  static void SetManual(TDateTime t);
  // Moves both readings forward together.
  static void Advance(double seconds);
  // Moves the manual wall reading alone (a daylight-saving change, a time server's step);
  // the steady reading stays where it is.
  static void ShiftWall(double seconds);
  static bool IsManual();
  // Back to the system clock.
  static void SetReal();

  // Wait up to `ms` milliseconds while the event loop keeps running (receive events,
  // timers). Blocks in the event loop rather than spinning. On the manual clock it
  // processes what is pending and then moves the clock forward by `ms` without any real wait,
  // or hands the wait to the owner of the manual time (SetManualWait).
  static void WaitProcessingEvents(int ms);
  // On the manual clock, what a wait of `seconds` means: whoever drives the manual time (a
  // simulated instrument on the same clock) lets that time pass with everything due in it.
  // Empty: back to the plain advance.
  static void SetManualWait(std::function<void(double seconds)> wait);
};

}  // namespace zelvo
