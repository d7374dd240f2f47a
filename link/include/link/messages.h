// The library's user-visible texts. They are shown to Japanese users exactly as
// written and compared by callers, so they live in one place.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "link/errors.h"  // RuntimeErrorText, with the application

namespace korvel {

extern const std::u16string_view kTitle;          // the library's application title
extern const std::u16string_view kDefaultPrompt;  // half-width "ｺﾏﾝﾄﾞ: "
extern const std::u16string_view kDefaultMainTitle;
extern const std::u16string_view kDefaultTextTitle;
extern const std::u16string_view kDefaultCommandTitle;
extern const std::u16string_view kDefaultHistoryTitle;
extern const std::u16string_view kDefaultBoxTitle;

extern const std::u16string_view kSourceLibrary;  // "PwAcadCtrl"
extern const std::u16string_view kSourceAcad;     // "PwAcadCtrl.Acad."
extern const std::u16string_view kSourceControl;  // "PwAcadCtrl.PwControl."

extern const std::u16string_view kMsgSearchError;
extern const std::u16string_view kMsgNotFoundCheckVersion;  // two lines, LF before CR
extern const std::u16string_view kMsgNotRunning;
extern const std::u16string_view kMsgPromptTimeOut;
extern const std::u16string_view kMsgWindowClosed;
extern const std::u16string_view kMsgFileNotFound;
extern const std::u16string_view kMsgExecuteFailed;
extern const std::u16string_view kMsgWaitFailed;

// System variables, point pick and launch.
extern const std::u16string_view kMsgPositionFailed;
extern const std::u16string_view kMsgExecuteError;      // any other launcher failure
extern const std::u16string_view kMsgExecuteModeWrong;  // a wait mode outside 0 to 3

// DXF export.
extern const std::u16string_view kMsgCancelledByUser;  // a pick ended by Terminate
// DxfOut: AutoCAD did not finish writing the scratch file (or wrote none).
extern const std::u16string_view kMsgExportIncomplete;
// DxfOut: the scratch file left by an earlier export cannot be emptied.
extern const std::u16string_view kMsgScratchNotWritable;

// Scripts.
extern const std::u16string_view kMsgTooManyUserVariables;
extern const std::u16string_view kMsgScriptOpenFailed;
extern const std::u16string_view kMsgScriptLineError;   // the first line of every run-time report
extern const std::u16string_view kMsgScriptLineSuffix;  // after the line number: "行目: "
extern const std::u16string_view kMsgNoOperator;
extern const std::u16string_view kMsgUndefinedCommand;
extern const std::u16string_view kMsgParameterRequired;
extern const std::u16string_view kMsgUndefinedParameter;
extern const std::u16string_view kMsgAssignmentWithoutEquals;
// A command text with an input longer than AutoCAD's command line takes.
std::u16string MsgInputTooLong();
std::u16string MsgLabelNotFound(std::u16string_view label);
// A user variable the caller's array does not hold (digit beyond its end).
std::u16string MsgUserVariableOutside(std::u16string_view token);
// A result parameter that is no "%USERn%" token.
std::u16string MsgNotUserVariable(std::u16string_view parameter);

}  // namespace korvel
