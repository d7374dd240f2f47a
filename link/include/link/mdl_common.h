// The shared state of the link library and its small helpers.
//
// One copy exists per client thread and is shared by every PwAcad and
// PwControl of that thread: a search through one object redirects every
// channel of the thread, and ErrNumber of any object reports the most recent
// operation of the thread, whichever object ran it. Nothing is locked.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace korvel {

struct WindowInfo {
  std::int32_t Handle = 0;
  std::u16string Class;
  std::u16string Title;
  std::int32_t ThreadID = 0;
  std::int32_t ProcessID = 0;
};

struct ErrorRecord {
  std::int32_t Number = 0;
  std::u16string Source;
  std::u16string Description;
};

struct SharedState {
  WindowInfo Main, Text, Command, History, MainCommand;
  std::u16string MainCompareTitle, TextCompareTitle, CommandCompareTitle, HistoryCompareTitle;
  bool CheckMainCmdWindow = true;
  std::u16string CommandPrompt;
  ErrorRecord ErrorInfo;
};

// The calling thread's shared state.
SharedState& Shared();

// The calling thread's platform (the real desktop, or the one a test bound).
inline platform::Platform& Os() { return platform::Current(); }

// True while Main, Text, Command and History all still exist (MainCommand is
// not tested).
bool CheckAcadWindows();
bool IsWindowShown(std::int32_t handle);
void ClearWindowInfo();
// Removes one double quote at the start and then one at the end of what remains.
std::u16string StripQuotes(std::u16string_view text);
void ClearError();

}  // namespace korvel
