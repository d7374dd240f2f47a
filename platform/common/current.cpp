#include "platform/platform.h"

namespace platform {

// Supplied by the build: the real desktop on Windows, an empty simulated one
// elsewhere.
Platform& DefaultPlatform();

namespace {
thread_local Platform* bound = nullptr;
}

Platform& Current() { return bound != nullptr ? *bound : DefaultPlatform(); }

ScopedPlatform::ScopedPlatform(Platform& platform) : previous_(bound) { bound = &platform; }

ScopedPlatform::~ScopedPlatform() { bound = previous_; }

}  // namespace platform
