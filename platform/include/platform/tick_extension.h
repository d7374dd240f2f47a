// A 64-bit millisecond count made from the 32-bit tick counter, which wraps
// after 49.7 days: each time the counter reads lower than the time before,
// it has wrapped once. Right as long as it is read at least once per wrap.
#pragma once

#include <cstdint>

namespace platform {

class TickExtension {
 public:
  std::uint64_t Extend(std::uint32_t tick) {
    if (tick < last_) ++wraps_;
    last_ = tick;
    return (static_cast<std::uint64_t>(wraps_) << 32) | tick;
  }

 private:
  std::uint32_t last_ = 0;
  std::uint32_t wraps_ = 0;
};

}  // namespace platform
