#include "EventQueue.h"

namespace zelvo::sim {

EventQueue::Id EventQueue::At(double due, std::function<void()> fn) {
  const Id id = next_++;
  const bool first = due < NextDue();
  // upper_bound keeps events of equal due time in the order they were added.
  const auto it = events_.emplace_hint(events_.upper_bound(due), due, Event{id, std::move(fn)});
  index_.emplace(id, it);
  if (first && !running_ && changed) changed();
  return id;
}

void EventQueue::Cancel(Id id) {
  const auto found = index_.find(id);
  if (found == index_.end()) return;
  events_.erase(found->second);
  index_.erase(found);
}

int EventQueue::RunDue(double now) {
  running_ = true;
  int ran = 0;
  while (!events_.empty() && events_.begin()->first <= now) {
    const auto it = events_.begin();
    std::function<void()> fn = std::move(it->second.fn);
    index_.erase(it->second.id);
    events_.erase(it);
    fn();
    ++ran;
  }
  running_ = false;
  if (changed) changed();
  return ran;
}

}  // namespace zelvo::sim
