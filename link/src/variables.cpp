// GetVariable and SetVariable: a system variable read from the default that
// AutoCAD shows in its prompt for a new value, or set by typing it.
#include "guarded.h"
#include "link/pw_control.h"
#include "link/wildcard.h"
#include "prompt_wait.h"

namespace korvel {
namespace {

// AutoCAD asks for a new value as "<name> に新しい値を入力 <current>: ".
constexpr std::u16string_view kValuePrompt = u"* <*>: ";

// A bare name is typed after two cancels (ending whatever command runs) and
// followed by Enter; text that already holds keystrokes is typed as it is.
std::u16string Keystrokes(std::u16string_view variable) {
  if (variable.find(u"^M") != std::u16string_view::npos || variable.find(u"^C") != std::u16string_view::npos)
    return std::u16string(variable);
  return u"^C^C" + std::u16string(variable) + u"^M";
}

std::u16string TrimBlanks(std::u16string_view text) {
  const std::size_t first = text.find_first_not_of(u' ');
  if (first == std::u16string_view::npos) return {};
  return std::u16string(text.substr(first, text.find_last_not_of(u' ') - first + 1));
}

}  // namespace

std::int32_t PwControl::GetVariable(std::u16string_view SystemVariable, std::u16string& Value) {
  const std::u16string typed = Keystrokes(SystemVariable);
  return Guarded([&] {
    cancel_requested_ = false;
    if (PostCommand(typed) != -1) RaiseRecorded();
    std::u16string prompt;
    const auto is_value_prompt = [](const std::u16string& p) { return WildcardMatch(p, kValuePrompt); };
    const std::int32_t result =
        WaitForPrompt({.done = is_value_prompt, .operation = u"GetVariable", .last = &prompt});
    // Also after a Terminate the value comes from the last prompt read. The ">"
    // looked for is the first one after the "<": a prompt with an earlier ">"
    // still yields its value, and one with no "<" before a ">" (a command
    // prompt, say) leaves Value as it was.
    const std::size_t open = prompt.find(u'<');
    if (open != std::u16string::npos) {
      const std::size_t close = prompt.find(u'>', open + 1);
      if (close != std::u16string::npos) Value = TrimBlanks(prompt.substr(open + 1, close - open - 1));
    }
    // The raw cancel character ends the value prompt without changing the
    // variable. Its result does not decide the outcome, so a refused post
    // leaves no error behind either.
    if (PostCommand(std::u16string(1, u'\x03')) != -1) ClearError();
    return result;
  });
}

std::int32_t PwControl::SetVariable(std::u16string_view SystemVariable, std::u16string_view Value) {
  const std::u16string typed = Keystrokes(SystemVariable);
  const std::u16string value = std::u16string(Value) + u"^M";
  return Guarded([&] {
    cancel_requested_ = false;
    if (PostCommand(typed) != -1) RaiseRecorded();
    if (PostCommand(value) != -1) RaiseRecorded();
    // Exact comparison: the shared prompt is text, never a pattern here.
    const std::u16string command_prompt = Shared().CommandPrompt;
    const auto is_command_prompt = [&](const std::u16string& p) { return p == command_prompt; };
    return WaitForPrompt({.done = is_command_prompt, .operation = u"SetVariable"});
  });
}

}  // namespace korvel
