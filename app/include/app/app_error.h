// The run-time errors of Plendra's own conversions and arithmetic (a text that
// is no number, an overflow, an index out of range). They carry the number and
// the Japanese text the user is shown, as the desktop's own run-time errors do.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace plendra {

struct AppError : std::exception {
  explicit AppError(std::int32_t number);
  // An error reported by a call into the link library: its number and text.
  AppError(std::int32_t number, std::u16string description);

  std::int32_t number;
  std::u16string description;

  const char* what() const noexcept override { return what_.c_str(); }

 private:
  std::string what_;  // "run-time error 13", for logs and test output
};

// The Japanese text of a run-time error number: 5, 6, 9, 13 and 53 have their
// own; any other number gets the text for an application-defined error.
std::u16string AppErrorText(std::int32_t number);

[[noreturn]] void RaiseAppError(std::int32_t number);

}  // namespace plendra
