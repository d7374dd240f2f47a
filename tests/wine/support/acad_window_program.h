// Starting and ending acadwin.exe, the stand-in for AutoCAD's windows, from a
// test running under Wine, and waiting for what it does.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace plendra_wine {

// How long a test waits for something acadwin does before it fails. Generous:
// a loaded machine only makes the wait longer, never the test wrong, and the
// first window of a fresh Wine session waits for Wine's own services.
inline constexpr std::uint32_t kPatienceMs = 90000;

// Polls condition until it holds or timeout_ms have passed; true when it held.
bool WaitUntil(const std::function<bool()>& condition, std::uint32_t timeout_ms = kPatienceMs);

// acadwin.exe, started from the test program's folder with the given options
// (see acadwin.cpp) and ended, with its windows gone, when this goes away.
class AcadWindowProgram {
 public:
  explicit AcadWindowProgram(std::vector<std::u16string> arguments = {});
  ~AcadWindowProgram();
  AcadWindowProgram(const AcadWindowProgram&) = delete;
  AcadWindowProgram& operator=(const AcadWindowProgram&) = delete;

  bool Started() const { return process_ != nullptr; }
  std::uint32_t ProcessId() const { return process_id_; }
  std::uint32_t ThreadId() const { return thread_id_; }

  // The first shown top-level window of this program whose title begins with
  // prefix, once it is there; 0 if it does not appear in time. acadwin shows
  // its windows only after making their children.
  platform::Hwnd WaitForWindow(std::u16string_view prefix);
  // The first descendant of parent with that title prefix, or 0.
  static platform::Hwnd Child(platform::Hwnd parent, std::u16string_view prefix);
  // The cbData of every copy-data message it has accepted, in order.
  std::vector<std::uint32_t> CopyDataSizes();

  // Ends the program now and waits until its windows are gone.
  void End();

 private:
  void* process_ = nullptr;
  std::uint32_t process_id_ = 0;
  std::uint32_t thread_id_ = 0;
};

}  // namespace plendra_wine
