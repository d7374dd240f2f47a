// The 64-bit tick count that Windows XP gets in place of GetTickCount64.
#include "platform/tick_extension.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace platform {
namespace {

TEST(TickExtension, CountsOnAcrossEachWrapOfTheCounter) {
  struct Case {
    std::uint32_t tick;
    std::uint64_t expected;
  } cases[] = {
      {0xFFFFFF00u, 0x00000000FFFFFF00ull},  // started near the wrap
      {0xFFFFFF00u, 0x00000000FFFFFF00ull},  // read twice in the same millisecond
      {0xFFFFFFFFu, 0x00000000FFFFFFFFull}, {0x00000000u, 0x0000000100000000ull},  // wrapped
      {0x00000010u, 0x0000000100000010ull}, {0x80000000u, 0x0000000180000000ull},
      {0x00000001u, 0x0000000200000001ull},  // wrapped again
  };
  TickExtension extension;
  for (const Case& c : cases) EXPECT_EQ(extension.Extend(c.tick), c.expected) << std::hex << c.tick;
}

}  // namespace
}  // namespace platform
