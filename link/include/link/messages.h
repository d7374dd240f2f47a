// The library's user-visible texts. They are shown to Japanese users exactly as
// written and compared by callers, so they live in one place.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

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

// The description of a runtime-style error number (5, 7, 9, 13, 53, 62, ...).
std::u16string RuntimeErrorText(std::int32_t number);

}  // namespace korvel
