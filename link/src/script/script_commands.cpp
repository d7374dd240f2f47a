// lExecuteCommand: the twelve script commands, each one operation of the
// channel or the message box.
#include "guarded.h"
#include "link/control_codes.h"
#include "link/pw_control.h"
#include "number_text.h"
#include "platform/dialogs.h"
#include "script_runner.h"
#include "script_text.h"

namespace korvel {
namespace {

const std::u16string kSourceCommand = ControlSource(u"lExecuteCommand");

// A parameter the command reads but the line does not have.
const std::u16string& Field(const std::vector<std::u16string>& fields, std::size_t i) {
  if (i >= fields.size()) Raise(kErrSubscript, kSourceLibrary, RuntimeErrorText(kErrSubscript));
  return fields[i];
}

// Passes a nested operation's outcome on: -1 goes on, CancelByUser ends the
// script when the command may be cancelled, anything else is its error.
std::int32_t Outcome(std::int32_t r, bool cancellable) {
  if (r == -1) return -1;
  if (cancellable && r == CancelByUser) return r;
  RaiseRecorded();
}

std::u16string_view AnswerText(std::int32_t answer) {
  switch (answer) {
    case platform::kIdOk:
      return u"OK";
    case platform::kIdCancel:
      return u"CANCEL";
    case platform::kIdYes:
      return u"YES";
    case platform::kIdNo:
      return u"NO";
    default:
      return u"";
  }
}

std::int32_t IconStyle(char16_t c) {
  switch (c) {
    case u'i':
      return platform::kMbIconInformation;
    case u'?':
      return platform::kMbIconQuestion;
    case u'!':
      return platform::kMbIconExclamation;
    case u'x':
    case u'X':
      return platform::kMbIconStop;
    default:
      return 0;
  }
}

std::optional<std::int32_t> ButtonStyle(std::u16string_view keyword) {
  if (keyword == u"OKONLY") return platform::kMbOk;
  if (keyword == u"OKCANCEL") return platform::kMbOkCancel;
  if (keyword == u"YESNO") return platform::kMbYesNo;
  if (keyword == u"YESNOCANCEL") return platform::kMbYesNoCancel;
  return std::nullopt;
}

// A command text is refused before it is typed when one of its inputs (the
// text between two Enters, line feeds or cancels) is longer than AutoCAD's
// command line takes: AutoCAD would refuse it at its prompt, and the wait
// that follows could not tell that from an answer.
void CheckTypedLength(std::u16string_view text) {
  const std::u16string keys = ExpandControlCodes(text);
  std::size_t run = 0;
  for (char16_t c : keys) {
    run = (c == u'\r' || c == u'\n' || c == 3) ? 0 : run + 1;
    if (run > kLongestTypedInput) Raise(ScriptFailed, kSourceCommand, MsgInputTooLong());
  }
}

}  // namespace

std::size_t ScriptRunner::ResultIndex(std::u16string_view parameter) const {
  const std::optional<int> n = UserToken(parameter);
  if (!n) Raise(ScriptFailed, kSourceCommand, MsgNotUserVariable(parameter));
  if (static_cast<std::size_t>(*n) >= user_variable_.size())
    Raise(ScriptFailed, kSourceCommand, MsgUserVariableOutside(parameter));
  return static_cast<std::size_t>(*n);
}

void ScriptRunner::Store(std::u16string_view parameter, std::u16string value) {
  user_variable_[ResultIndex(parameter)] = std::move(value);
}

std::int32_t ScriptRunner::lExecuteCommand(std::u16string_view text) {
  ClearError();
  const std::vector<std::u16string> fields = SplitFields(text);
  const std::u16string& command = fields[0];
  const std::size_t parameters = fields.size() - 1;
  const auto expanded = [&](std::size_t i) { return lExpandVariables(Field(fields, i)); };
  const std::u16string command_prompt = Shared().CommandPrompt;

  if (command == u"EXIT") return 0;
  if (command == u"SLEEP") {
    // The platform's sleep reads the number as unsigned, so -1 would never
    // end: a negative time does not wait at all.
    const std::int32_t ms = ScriptTextToLong(expanded(1));
    Os().Time().Sleep(ms < 0 ? 0 : ms);
    return -1;
  }
  if (command == u"ACTIVE") return Outcome(control_.Active(), false);
  if (command == u"GET_PROMPT") {
    const std::u16string& target = Field(fields, 1);
    std::u16string prompt = user_variable_[ResultIndex(target)];
    const std::int32_t r = control_.GetPrompt(prompt);
    if (r == -1) Store(target, std::move(prompt));
    return Outcome(r, false);
  }
  if (command == u"WAIT_PROMPT")
    return Outcome(control_.WaitPrompt(parameters >= 1 ? expanded(1) : command_prompt), true);
  if (command == u"POST_COMMAND") {
    const std::u16string typed = expanded(1);
    CheckTypedLength(typed);
    return Outcome(control_.PostCommand(typed), false);
  }
  if (command == u"SEND_COMMAND") {
    const std::u16string typed = expanded(1);
    CheckTypedLength(typed);
    return Outcome(control_.SendCommand(typed, parameters >= 2 ? expanded(2) : command_prompt), true);
  }
  if (command == u"GET_VARIABLE") {
    const std::u16string name = expanded(1);
    const std::u16string& target = Field(fields, 2);
    // The variable holds what GetVariable leaves, also after a Terminate.
    std::u16string value = user_variable_[ResultIndex(target)];
    const std::int32_t r = control_.GetVariable(name, value);
    if (r == -1 || r == CancelByUser) Store(target, std::move(value));
    return Outcome(r, true);
  }
  if (command == u"SET_VARIABLE") return Outcome(control_.SetVariable(expanded(1), expanded(2)), true);
  if (command == u"GET_HISTORY") {
    const std::u16string& target = Field(fields, 1);
    ResultIndex(target);
    std::u16string history;
    const std::int32_t r = control_.GetHistory(history, parameters >= 2 ? expanded(2) : u"");
    if (r == -1) Store(target, std::move(history));
    return Outcome(r, false);
  }
  if (command == u"GET_POSITION") {
    // Parameters that are no %USERn% token are skipped; a token beyond the
    // caller's array is refused before the user is asked to pick.
    for (std::size_t i = 1; i <= 3 && i <= parameters; ++i)
      if (UserToken(fields[i])) ResultIndex(fields[i]);
    double xyz[3] = {0, 0, 0};
    const std::int32_t r = control_.GetPosition(xyz[0], xyz[1], xyz[2]);
    if (r != -1) return Outcome(r, true);
    for (std::size_t i = 0; i < 3; ++i) {
      const std::u16string& parameter = Field(fields, i + 1);
      if (UserToken(parameter)) Store(parameter, DoubleText(xyz[i]));
    }
    return -1;
  }
  if (command == u"SHOW_MESSAGE") return ShowMessageCommand(fields);
  Raise(ScriptFailed, kSourceCommand, kMsgUndefinedCommand);
}

std::int32_t ScriptRunner::ShowMessageCommand(const std::vector<std::u16string>& fields) {
  const std::size_t parameters = fields.size() - 1;
  const std::u16string& answer_parameter = Field(fields, 1);
  if (parameters == 1) Raise(ScriptFailed, kSourceCommand, kMsgParameterRequired);
  // "^M" and "^J" break lines in the message.
  const std::u16string message = ExpandControlCodes(lExpandVariables(fields[2]));
  if (parameters == 2) {
    control_.ShowMessage(message, 0, kDefaultBoxTitle);
    return -1;
  }
  // Checked before the box is shown: an answer with nowhere to go is refused.
  ResultIndex(answer_parameter);
  std::u16string buttons = lExpandVariables(fields[3]);
  std::int32_t style = buttons.empty() ? 0 : IconStyle(buttons.front());
  if (style != 0) buttons.erase(0, 1);
  const std::optional<std::int32_t> button = ButtonStyle(buttons);
  if (!button) Raise(ScriptFailed, kSourceCommand, kMsgUndefinedParameter);
  style += *button;
  const std::u16string title =
      parameters >= 4 ? lExpandVariables(fields[4]) : std::u16string(kDefaultBoxTitle);
  Store(answer_parameter, std::u16string(AnswerText(control_.ShowMessage(message, style, title))));
  return -1;
}

}  // namespace korvel
