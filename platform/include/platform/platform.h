// The bundle of platform seams, and the current platform of the calling thread.
//
// The library's objects are created by COM clients with no arguments, so they
// find their platform here: the real one by default on Windows, or whatever a
// test (or a host such as the simulated desktop) bound to its thread.
#pragma once

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/processes.h"
#include "platform/text_codec.h"
#include "platform/window_system.h"

namespace platform {

struct Platform {
  virtual ~Platform() = default;
  virtual WindowSystem& Windows() = 0;
  virtual Clock& Time() = 0;
  virtual Processes& Programs() = 0;
  virtual Files& Folders() = 0;
  virtual TextCodec& Codec() = 0;
  virtual Dialogs& Boxes() = 0;
};

// The calling thread's platform: the one bound with ScopedPlatform, else the
// build's default. On Windows that is the real desktop. Elsewhere it is a
// desktop with no windows: searches find nothing, every window operation
// fails, programs cannot be started and boxes are not shown, while the clock,
// the temporary folder and the code-page codec are the machine's own. Tests
// and tools that want an AutoCAD bind a simulated desktop (platform_sim).
Platform& Current();

// Binds a platform to the calling thread for the lifetime of the object (the
// previous binding comes back afterwards). The platform must outlive it.
class ScopedPlatform {
 public:
  explicit ScopedPlatform(Platform& platform);
  ~ScopedPlatform();
  ScopedPlatform(const ScopedPlatform&) = delete;
  ScopedPlatform& operator=(const ScopedPlatform&) = delete;

 private:
  Platform* previous_;
};

}  // namespace platform
