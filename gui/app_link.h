// What Plendra's windows share: the logic their events go to, and whether the
// program has ended (after which no event runs).
#pragma once

#include <windows.h>

#include <functional>

namespace plendra {
class Plendra;
}

namespace plendra_gui {

struct AppLink {
  plendra::Plendra* app = nullptr;
  bool ended = false;

  bool Live() const { return app != nullptr && !ended; }
};

// Runs an event procedure of the logic from a window procedure, if the
// program still runs. Nothing may unwind through user32: an error the logic
// did not handle itself is shown as the desktop shows a run-time error.
void RunEvent(AppLink& link, HWND owner, const std::function<void(plendra::Plendra&)>& event) noexcept;

}  // namespace plendra_gui
