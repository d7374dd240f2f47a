// The one failure handler of the library's public operations.
//
// A public operation that returns a Long runs its body under Guarded: the
// error record is cleared on entry; a Failure raised inside (or any standard
// exception) is saved into the record, the operation's undo runs, and the
// number is returned. Nothing escapes to the caller.
#pragma once

#include <cstdint>
#include <exception>
#include <new>
#include <string>
#include <string_view>

#include "link/errors.h"
#include "link/mdl_common.h"
#include "link/messages.h"

namespace korvel {

// A failure on its way to the handler, carrying what the record will hold.
struct Failure {
  std::int32_t Number;
  std::u16string Source;
  std::u16string Description;
};

// The source of a PwControl operation's failure: "PwAcadCtrl.PwControl.Active".
inline std::u16string ControlSource(std::u16string_view operation) {
  return std::u16string(kSourceControl) + std::u16string(operation);
}

// Raises a failure of the given operation ("PwAcadCtrl.Acad.Search", say).
[[noreturn]] inline void Raise(std::int32_t number, std::u16string_view source,
                               std::u16string_view description) {
  throw Failure{number, std::u16string(source), std::u16string(description)};
}

// Passes on the failure a nested public operation left in the record, unchanged.
[[noreturn]] inline void RaiseRecorded() {
  const ErrorRecord& e = Shared().ErrorInfo;
  throw Failure{e.Number, e.Source, e.Description};
}

// Body returns the result (normally -1); Undo runs only on failure.
template <typename Body, typename Undo>
std::int32_t Guarded(Body&& body, Undo&& undo) noexcept {
  ClearError();
  ErrorRecord failure;
  try {
    return body();
  } catch (const Failure& f) {
    failure = ErrorRecord{f.Number, f.Source, f.Description};
  } catch (const std::bad_alloc&) {
    failure = ErrorRecord{kErrOutOfMemory, std::u16string(kSourceLibrary), RuntimeErrorText(kErrOutOfMemory)};
  } catch (...) {
    failure = ErrorRecord{kErrInvalidCall, std::u16string(kSourceLibrary), RuntimeErrorText(kErrInvalidCall)};
  }
  Shared().ErrorInfo = failure;
  try {
    undo();
  } catch (...) {
    // The undo only drops records and references; nothing it can throw is
    // worth more than the failure being reported.
  }
  return failure.Number;
}

template <typename Body>
std::int32_t Guarded(Body&& body) noexcept {
  return Guarded(std::forward<Body>(body), [] {});
}

}  // namespace korvel
