// The time source of the link library's waits.
#pragma once

#include <cstdint>

namespace platform {

// Milliseconds since an arbitrary start; wraps after 2^32 ms, as GetTickCount does.
struct Clock {
  virtual ~Clock() = default;
  virtual std::uint32_t TickCount() = 0;
  // Suspends the thread. In the simulation this is the only way time passes.
  // A negative value is treated as 0.
  virtual void Sleep(std::int32_t ms) = 0;
};

}  // namespace platform
