#pragma once
// The program's one source of "now". Every wait and every tick reads the time here, so a
// test can stop the clock, set it and move it forward, and a run of hours passes in
// milliseconds.
#include "core/DateTime.h"

namespace zelvo {

class Clock {
 public:
  // Current local date-time: the system clock, or the manual time while a test holds it.
  static TDateTime Now();

  // Manual mode: the clock stands at `t` until advanced.
  static void SetManual(TDateTime t);
  static void Advance(double seconds);
  static bool IsManual();
  // Back to the system clock.
  static void SetReal();

  // Wait up to `ms` milliseconds while the event loop keeps running (receive events,
  // timers). Blocks in the event loop rather than spinning. On the manual clock it
  // processes what is pending and then moves the clock forward by `ms` without any real wait.
  static void WaitProcessingEvents(int ms);
};

}  // namespace zelvo
