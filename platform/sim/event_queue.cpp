#include "platform/sim/event_queue.h"

namespace platform::sim {

void EventQueue::Sleep(std::int32_t ms) { SleepUntil(ms, nullptr); }

bool EventQueue::SleepUntil(std::int32_t ms, const std::function<bool()>& stop) {
  ++sleeps_;
  const std::uint64_t target = elapsed_ + static_cast<std::uint64_t>(ms < 0 ? 0 : ms);
  if (stop && stop()) return true;
  // An action may schedule further events, possibly due before target, so the
  // earliest event is looked up afresh each time.
  while (!events_.empty() && events_.begin()->first.first <= target) {
    auto node = events_.extract(events_.begin());
    elapsed_ = node.key().first;
    node.mapped()();
    if (stop && stop()) return true;
  }
  elapsed_ = target;
  return false;
}

void EventQueue::After(std::uint64_t delay_ms, std::function<void()> action) {
  events_.emplace(std::make_pair(elapsed_ + delay_ms, next_order_++), std::move(action));
}

void EventQueue::RunDue() {
  while (!events_.empty() && events_.begin()->first.first <= elapsed_) {
    auto node = events_.extract(events_.begin());
    node.mapped()();
  }
}

}  // namespace platform::sim
