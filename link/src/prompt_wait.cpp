// The prompt wait, and SendCommand and WaitPrompt over it: polling AutoCAD's
// command line until its prompt reads as expected.
#include "prompt_wait.h"

#include <algorithm>
#include <memory>

#include "guarded.h"
#include "link/pw_control.h"
#include "link/wildcard.h"

namespace korvel {
namespace {

// A broken pattern is refused before anything is typed or waited for, as a
// Like comparison refuses it: waiting on it could only end by the time-out.
void CheckPattern(bool pattern_match, const std::u16string& expected) {
  if (pattern_match && !WildcardPatternValid(expected))
    Raise(kErrInvalidPattern, kSourceLibrary, RuntimeErrorText(kErrInvalidPattern));
}

}  // namespace

std::int32_t PwControl::WaitForPrompt(const PromptWait& wait) {
  // A handler run by the pump may drop the client's last reference to this
  // channel; the wait keeps it alive until it returns.
  const auto keep_alive = weak_from_this().lock();
  auto& clock = Os().Time();
  const std::uint32_t start = clock.TickCount();
  // Each read waits for AutoCAD's answer at most one check interval, never
  // past the time-out: a busy AutoCAD that does not answer yet leaves the
  // prompt "not there yet", and the loop goes on pumping the client's messages
  // until the operation's own time-out. The bound is put back for a wait that
  // a handler started inside this one.
  const std::optional<std::int32_t> outer_bound = wait_send_bound_ms_;
  struct Restore {
    PwControl& self;
    std::optional<std::int32_t> bound;
    ~Restore() { self.wait_send_bound_ms_ = bound; }
  } restore{*this, outer_bound};
  // Between two reads the wait also wakes when the command line says its
  // text changed, so that a prompt AutoCAD shows is read at once rather than up
  // to a whole interval later. The read after a change is the only extra one,
  // and a command line that raises no event is read once per interval as
  // before.
  const std::int32_t command_line = Shared().Command.Handle;
  const std::unique_ptr<platform::TextWatch> watch =
      command_line != 0 ? Os().Windows().WatchText(command_line) : nullptr;
  std::u16string prompt;
  do {
    if (watch) watch->Reset();
    prompt.clear();
    wait_send_bound_ms_ = ReadBound(clock.TickCount() - start);
    const std::int32_t r = GetPrompt(prompt);
    // An empty or unreadable command line, or a hidden one, only means the
    // prompt is not there yet; anything else (the link lost) ends the wait.
    if (r != -1 && r != CommandFailed && r != WindowClosed) RaiseRecorded();
    if (r != -1) prompt.clear();
    if (wait.last != nullptr) *wait.last = prompt;
    if (r == -1 && wait.done(prompt)) break;
    // Unsigned subtraction stays correct when the tick counter wraps after
    // 49.7 days. The time-out and the interval are read in every cycle: a
    // handler may change them while the wait runs.
    const std::uint32_t elapsed = clock.TickCount() - start;
    if (command_time_out_ >= 0 && elapsed >= static_cast<std::uint32_t>(command_time_out_))
      Raise(CommandFailed, ControlSource(wait.operation), kMsgPromptTimeOut);
    Os().Windows().PumpMessages();
    if (watch)
      watch->Wait(check_interval_);
    else
      clock.Sleep(check_interval_);
  } while (!cancel_requested_);
  // The cancel is returned, not recorded: the record keeps what the last
  // prompt read left there.
  return cancel_requested_ ? static_cast<std::int32_t>(CancelByUser) : -1;
}

std::int32_t PwControl::SendCommand(std::u16string_view AcadCommand, std::u16string_view CommandPrompt) {
  const std::u16string command(AcadCommand), expected(CommandPrompt);
  return Guarded([&] {
    cancel_requested_ = false;
    CheckPattern(pattern_match_, expected);
    if (PostCommand(command) != -1) RaiseRecorded();
    return WaitForPrompt(
        {.done = [&](const std::u16string& p) { return Matches(p, expected); }, .operation = u"SendCommand"});
  });
}

std::int32_t PwControl::WaitPrompt(std::u16string_view CommandPrompt) {
  const std::u16string expected(CommandPrompt);
  return Guarded([&] {
    cancel_requested_ = false;
    CheckPattern(pattern_match_, expected);
    return WaitForPrompt(
        {.done = [&](const std::u16string& p) { return Matches(p, expected); }, .operation = u"WaitPrompt"});
  });
}

std::int32_t PwControl::ReadBound(std::uint32_t elapsed) const {
  // At least a millisecond: a bound of 0 would let no busy AutoCAD's time pass
  // in a loop whose interval is 0 either.
  const std::int64_t interval = std::max<std::int32_t>(check_interval_, 1);
  if (command_time_out_ < 0) return static_cast<std::int32_t>(interval);
  const std::int64_t left = static_cast<std::int64_t>(command_time_out_) - elapsed;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(left, 1, interval));
}

bool PwControl::Matches(const std::u16string& prompt, const std::u16string& expected) const {
  return pattern_match_ ? WildcardMatch(prompt, expected) : prompt == expected;
}

}  // namespace korvel
