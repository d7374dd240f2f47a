// The polling wait of GetVariable, SetVariable and GetPosition.
//
// Like the prompt wait of SendCommand, but ended by any condition on the
// prompt, and the last prompt read is handed back: GetVariable takes its value
// from it whatever ended the wait.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "link/pw_control.h"

namespace korvel {

// Polls until done(prompt) holds, the channel's CommandTimeOut has passed
// (CommandFailed with source "PwAcadCtrl.PwControl." + operation), or cancel
// is set (checked after each cycle). *last receives the last prompt read
// (empty when that read failed). Returns -1 or CancelByUser; raises on
// failure, a lost link included.
std::int32_t PollPrompt(PwControl& control, const bool& cancel,
                        const std::function<bool(const std::u16string&)>& done, std::u16string_view operation,
                        std::u16string* last);

}  // namespace korvel
