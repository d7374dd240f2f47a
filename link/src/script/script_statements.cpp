// Conditions, assignments, jumps and variable expansion of the script language.
#include "guarded.h"
#include "link/pw_control.h"
#include "link/wildcard.h"
#include "number_text.h"
#include "script_runner.h"
#include "script_text.h"

namespace korvel {
namespace {

const std::u16string kSourceRun = ControlSource(u"RunScript");

// The value of an assignment: the text after its first "=", trimmed and
// stripped of one pair of quotes. Without "=" there is no value to take; the
// line is reported rather than guessed at.
std::u16string AssignedText(std::u16string_view text) {
  const std::size_t equals = text.find(u'=');
  if (equals == std::u16string_view::npos) Raise(ScriptFailed, kSourceRun, kMsgAssignmentWithoutEquals);
  return StripQuotes(TrimSpaces(text.substr(equals + 1)));
}

[[noreturn]] void RaiseRuntime(std::int32_t number) {
  Raise(number, kSourceLibrary, RuntimeErrorText(number));
}

}  // namespace

std::int32_t ScriptRunner::lExecuteCondition(std::u16string_view line) {
  std::u16string_view op;
  if (line.find(u"==") != std::u16string_view::npos)
    op = u"==";
  else if (line.find(u"!=") != std::u16string_view::npos)
    op = u"!=";
  else
    Raise(ScriptFailed, kSourceRun, kMsgNoOperator);

  // The line begins with "?". The right operand ends at the first ">" of the
  // line; one before the operator's end (or none) leaves nothing to cut out.
  const std::size_t at = line.find(op);
  const std::size_t right = at + op.size();
  const std::size_t gt = line.find(u'>');
  if (gt == std::u16string_view::npos || gt < right) RaiseRuntime(kErrInvalidCall);
  const std::u16string left_operand = lExpandVariables(StripQuotes(TrimSpaces(line.substr(1, at - 1))));
  const std::u16string right_operand =
      lExpandVariables(StripQuotes(TrimSpaces(line.substr(right, gt - right))));
  const std::u16string statement = TrimSpaces(line.substr(gt + 1));

  const bool patterns = control_.get_PatternMatch();
  if (patterns && !WildcardPatternValid(right_operand)) RaiseRuntime(kErrInvalidPattern);
  const bool equal = patterns ? WildcardMatch(left_operand, right_operand) : left_operand == right_operand;
  if (equal != (op == u"==")) return -1;
  return lExecuteStatement(statement);
}

std::int32_t ScriptRunner::lExecuteStatement(std::u16string_view text) {
  if (text.size() >= 7 && UserToken(text.substr(0, 7))) return lSetUserVariable(text);
  if (StartsWith(text, u"%COMMAND_TIMEOUT%")) return lSetProperty(text, u"COMMAND_TIMEOUT");
  if (StartsWith(text, u"%PATTERN_MATCH%")) return lSetProperty(text, u"PATTERN_MATCH");
  if (StartsWith(text, u"GOTO")) return lSetGotoLabel(text);
  return lExecuteCommand(text);
}

std::int32_t ScriptRunner::lSetUserVariable(std::u16string_view text) {
  // The variable is named by the start of the line, whatever the value holds.
  const std::u16string_view token = text.substr(0, 7);
  const auto n = static_cast<std::size_t>(*UserToken(token));
  if (n >= user_variable_.size()) Raise(ScriptFailed, kSourceRun, MsgUserVariableOutside(token));
  user_variable_[n] = lExpandVariables(AssignedText(text));
  return -1;
}

std::int32_t ScriptRunner::lSetProperty(std::u16string_view text, std::u16string_view setting) {
  const std::u16string value = lExpandVariables(AssignedText(text));
  // The new values stay on the channel after the run, as the script left them.
  if (setting == u"COMMAND_TIMEOUT")
    control_.put_CommandTimeOut(ScriptTextToLong(value));
  else
    control_.put_PatternMatch(TextToBoolean(value));
  return -1;
}

std::int32_t ScriptRunner::lSetGotoLabel(std::u16string_view text) {
  // Without a tab the whole text, "GOTO" included, is looked for (and never
  // found, which the end of the run reports with that text).
  const std::u16string reduced = ReduceTabs(text);
  const std::size_t tab = reduced.find(u'\t');
  std::u16string label = tab == std::u16string::npos ? reduced : TrimSpaces(reduced.substr(tab + 1));
  pending_label_ = lExpandVariables(StripQuotes(label));
  return -1;
}

std::u16string ScriptRunner::lExpandVariables(std::u16string_view text) const {
  std::u16string out(text);
  for (std::size_t n = 0; n < user_variable_.size(); ++n) {
    const std::u16string token = u"%USER" + std::u16string(1, static_cast<char16_t>(u'0' + n)) + u"%";
    out = ReplaceAll(out, token, user_variable_[n]);
  }
  out = ReplaceAll(out, u"%COMMAND_TIMEOUT%", DecimalText(control_.get_CommandTimeOut()));
  out = ReplaceAll(out, u"%PATTERN_MATCH%", control_.get_PatternMatch() ? u"TRUE" : u"FALSE");
  return out;
}

}  // namespace korvel
