#include "platform/sim/desktop.h"

#include <gtest/gtest.h>

namespace {
TEST(Placeholder, Builds) { SUCCEED(); }
}  // namespace
