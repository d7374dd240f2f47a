#include "platform/sim/desktop.h"

namespace platform {

// Without a desktop bound, a thread sees an empty simulated desktop of its own:
// a search finds nothing and every channel operation reports the link as lost.
Platform& DefaultPlatform() {
  thread_local sim::Desktop desktop;
  return desktop;
}

}  // namespace platform
