#include "platform/platform.h"

namespace platform {

// Supplied by the build: the real desktop on Windows (platform_win32), the
// "no desktop" platform elsewhere (no_desktop.cpp). Never the simulated
// desktop: product code does not link it.
Platform& DefaultPlatform();

namespace {
thread_local Platform* bound = nullptr;
}

Platform& Current() { return bound != nullptr ? *bound : DefaultPlatform(); }

ScopedPlatform::ScopedPlatform(Platform& platform) : previous_(bound) { bound = &platform; }

ScopedPlatform::~ScopedPlatform() { bound = previous_; }

}  // namespace platform
