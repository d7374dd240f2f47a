#include "prompt_poll.h"

#include "guarded.h"

namespace korvel {

std::int32_t PollPrompt(PwControl& control, const bool& cancel,
                        const std::function<bool(const std::u16string&)>& done, std::u16string_view operation,
                        std::u16string* last) {
  // A handler run by the pump may drop the client's last reference.
  const auto keep_alive = control.weak_from_this().lock();
  auto& clock = Os().Time();
  const std::uint32_t start = clock.TickCount();
  std::u16string prompt;
  do {
    prompt.clear();
    const std::int32_t r = control.GetPrompt(prompt);
    // An unreadable or hidden command line means the prompt is not there yet.
    if (r != -1 && r != CommandFailed && r != WindowClosed) RaiseRecorded();
    if (r != -1) prompt.clear();
    if (last != nullptr) *last = prompt;
    if (r == -1 && done(prompt)) break;
    // Unsigned subtraction stays correct when the tick counter wraps after 49.7 days.
    const std::uint32_t elapsed = clock.TickCount() - start;
    const std::int32_t time_out = control.get_CommandTimeOut();
    if (time_out >= 0 && elapsed >= static_cast<std::uint32_t>(time_out))
      Raise(CommandFailed, std::u16string(kSourceControl) + std::u16string(operation), kMsgPromptTimeOut);
    Os().Windows().PumpMessages();
    clock.Sleep(control.get_CheckInterval());
  } while (!cancel);
  return cancel ? static_cast<std::int32_t>(CancelByUser) : -1;
}

}  // namespace korvel
