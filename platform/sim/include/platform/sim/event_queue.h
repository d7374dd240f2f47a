// The simulated desktop's notion of time: a virtual millisecond clock and the
// events scheduled on it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <utility>

#include "platform/clock.h"

namespace platform::sim {

// Events fire in (due time, order added) order. Time passes only in Sleep, and
// while an event fires the clock reads its due time, so an event that schedules
// another "after 0 ms" sees it fire within the same Sleep.
class EventQueue final : public Clock {
 public:
  explicit EventQueue(std::uint32_t start_tick = 0) : start_tick_(start_tick) {}

  std::uint32_t TickCount() override {
    // The tick counter wraps after 2^32 ms like GetTickCount; the elapsed time
    // is kept in 64 bits so the order of events never wraps.
    return static_cast<std::uint32_t>(start_tick_ + elapsed_);
  }
  void Sleep(std::int32_t ms) override;
  // Sleeps as Sleep does but stops at the first event after which stop()
  // holds (the clock then reads that event's time); true when it stopped early.
  bool SleepUntil(std::int32_t ms, const std::function<bool()>& stop);

  // Milliseconds since the desktop was made; never wraps.
  std::uint64_t Elapsed() const { return elapsed_; }

  // Runs action when the clock reaches now + delay_ms (inside a Sleep).
  void After(std::uint64_t delay_ms, std::function<void()> action);
  // Runs whatever is due at the current time. Used by the message pump so that
  // an event scheduled "after 0 ms" does not need a Sleep.
  void RunDue();
  bool Idle() const { return events_.empty(); }
  // Times the clock has been slept, for tests that count wait cycles.
  std::uint64_t SleepCount() const { return sleeps_; }

 private:
  std::uint32_t start_tick_;
  std::uint64_t elapsed_ = 0;
  std::uint64_t next_order_ = 0;
  std::uint64_t sleeps_ = 0;
  std::multimap<std::pair<std::uint64_t, std::uint64_t>, std::function<void()>> events_;
};

}  // namespace platform::sim
