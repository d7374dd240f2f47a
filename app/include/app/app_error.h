// The run-time errors of Plendra's own conversions and arithmetic (a text that
// is no number, an overflow, an index out of range). They carry the number and
// the Japanese text the user is shown, as the desktop's own run-time errors do.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace plendra {

struct AppError : std::exception {
  // A run-time error of the desktop's: its number and the desktop's text of it.
  explicit AppError(std::int32_t number);
  // An error reported by a call into the link library: its number and text.
  AppError(std::int32_t number, std::u16string description);

  std::int32_t number;
  std::u16string description;

  const char* what() const noexcept override { return what_.c_str(); }

 private:
  std::string what_;  // "run-time error 13", for logs and test output
};

// What the box of a run-time error that no procedure handled says: the
// number in the desktop's words, a blank line and the description. The
// main window's run and the Windows program's event frame both show it.
std::u16string RunTimeErrorMessage(const AppError& error);

[[noreturn]] void RaiseAppError(std::int32_t number);

}  // namespace plendra
