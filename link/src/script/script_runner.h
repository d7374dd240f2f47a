// The private operations of RunScript: one run of a script over a channel and
// the caller's user variables.
//
// Each operation returns a status: -1 to go on, 0 when EXIT ends the script,
// CancelByUser when a wait was ended by Terminate. Errors are raised as a
// Failure that carries the number, source and description (a nested public
// operation's record passed on unchanged); RunScript adds the line number.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

class PwControl;

class ScriptRunner {
 public:
  ScriptRunner(PwControl& control, std::vector<std::u16string>& user_variable)
      : control_(control), user_variable_(user_variable) {}

  // The label a GOTO is looking for; empty when no jump is pending.
  const std::u16string& PendingLabel() const { return pending_label_; }
  void ClearPendingLabel() { pending_label_.clear(); }

  // "?" left "=="|"!=" right ">" statement.
  std::int32_t lExecuteCondition(std::u16string_view line);
  // An assignment, a GOTO or a command.
  std::int32_t lExecuteStatement(std::u16string_view text);
  std::int32_t lSetUserVariable(std::u16string_view text);
  // setting is "COMMAND_TIMEOUT" or "PATTERN_MATCH".
  std::int32_t lSetProperty(std::u16string_view text, std::u16string_view setting);
  std::int32_t lSetGotoLabel(std::u16string_view text);
  // Replaces %USER0% .. %USERn% (n the array's last index), then
  // %COMMAND_TIMEOUT% and %PATTERN_MATCH%, in one pass in this order.
  std::u16string lExpandVariables(std::u16string_view text) const;
  // One command line (script_commands.cpp).
  std::int32_t lExecuteCommand(std::u16string_view text);

 private:
  // The index of the caller's element that a result parameter names; raises
  // ScriptFailed when the parameter is no %USERn% token or n lies beyond the
  // array.
  std::size_t ResultIndex(std::u16string_view parameter) const;
  // Stores a command's result. The index is checked again: a handler run
  // during the command's wait may have changed the caller's array.
  void Store(std::u16string_view parameter, std::u16string value);
  std::int32_t ShowMessageCommand(const std::vector<std::u16string>& fields);

  PwControl& control_;
  std::vector<std::u16string>& user_variable_;
  std::u16string pending_label_;
};

}  // namespace korvel
