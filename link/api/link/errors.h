// The link library's enumerations. Their values are part of the COM interface.
#pragma once

#include <cstdint>

namespace korvel {

// Object-error base (0x80040000) plus an offset; the gaps (615, 617-622) are
// deliberate and callers test the values, so they never move.
enum acPrivateError : std::int32_t {
  CancelByUser = static_cast<std::int32_t>(0x80040201),
  FileNotFound = static_cast<std::int32_t>(0x80040265),
  ExecuteFailed = static_cast<std::int32_t>(0x80040266),
  WaitFailed = static_cast<std::int32_t>(0x80040268),
  SearchFailed = static_cast<std::int32_t>(0x8004026F),
  LinkFailed = static_cast<std::int32_t>(0x80040270),
  CommandFailed = static_cast<std::int32_t>(0x80040271),
  ScriptFailed = static_cast<std::int32_t>(0x80040272),
  WindowClosed = static_cast<std::int32_t>(0x80040273),
};

enum acExecuteMode : std::int32_t {
  WaitNone = 0,
  WaitExit = 1,
  WaitInit = 2,
  WaitPrompt = 3,
};

// COM booleans.
inline constexpr std::int32_t kTrue = -1;
inline constexpr std::int32_t kFalse = 0;

// Runtime-style error numbers, for failures that are not the library's own.
enum RuntimeError : std::int32_t {
  kErrInvalidCall = 5,
  kErrOutOfMemory = 7,
  kErrSubscript = 9,
  kErrTypeMismatch = 13,
  kErrFileNotFound = 53,
  kErrPastEndOfFile = 62,
  kErrInvalidPattern = 93,
};

}  // namespace korvel
