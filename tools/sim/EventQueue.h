#pragma once
// The simulated instrument's timers as one queue of due times: the model says when it next
// has something to do (NextDue) and runs what is due (RunDue). The simulator program wakes
// it with a real-time timer; a run in one process on the manual clock steps from one due
// time to the next, so a simulated day costs no real waiting.
#include <QtGlobal>
#include <functional>
#include <limits>
#include <map>
#include <unordered_map>

namespace zelvo::sim {

class EventQueue {
 public:
  using Id = quint64;
  static constexpr double kNone = std::numeric_limits<double>::infinity();

  // `fn` runs at time `due` (the owner's seconds); events due at the same time run in the
  // order they were added.
  Id At(double due, std::function<void()> fn);
  // Does nothing for an event that ran or was cancelled.
  void Cancel(Id id);
  bool Pending(Id id) const { return index_.count(id) != 0; }
  // The earliest due time, kNone when nothing waits.
  double NextDue() const { return events_.empty() ? kNone : events_.begin()->first; }
  // Runs every event due at `now` or before, also those the running ones add for then.
  // Returns how many ran.
  int RunDue(double now);
  std::size_t Size() const { return events_.size(); }
  // Called after a change of NextDue() outside RunDue (the program re-arms its timer).
  std::function<void()> changed;

 private:
  struct Event {
    Id id;
    std::function<void()> fn;
  };
  using Map = std::multimap<double, Event>;
  Map events_;
  std::unordered_map<Id, Map::iterator> index_;
  Id next_ = 1;
  bool running_ = false;
};

}  // namespace zelvo::sim
