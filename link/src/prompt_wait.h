// The one prompt wait of the library: SendCommand, WaitPrompt, GetVariable,
// SetVariable and GetPosition (and through them DxfOut and the script
// commands) all wait here, so what counts as "not there yet", the time-out
// and the cancel are decided in one place.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace korvel {

// What one wait looks for; PwControl::WaitForPrompt runs it.
struct PromptWait {
  // Ends the wait when it holds for a prompt that was read.
  std::function<bool(const std::u16string& prompt)> done;
  // The operation whose time-out this is: the failure's source is
  // "PwAcadCtrl.PwControl." followed by it.
  std::u16string_view operation;
  // When set, receives every prompt read, so that the last one is there
  // whatever ended the wait (empty when that read failed). GetVariable takes
  // its value from it.
  std::u16string* last = nullptr;
};

}  // namespace korvel
