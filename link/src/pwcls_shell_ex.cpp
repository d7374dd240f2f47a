#include "pwcls_shell_ex.h"

#include "link/mdl_common.h"

namespace korvel {
namespace {

// GetExitCodeProcess is polled at this interval while WaitExit waits.
constexpr std::int32_t kExitPollMs = 100;

}  // namespace

PwclsShellEx::~PwclsShellEx() {
  cancel_requested_ = true;
  if (process_ != 0) Os().Programs().CloseHandle(process_);
}

bool PwclsShellEx::ProgramRunning() {
  if (process_ == 0) return true;
  std::uint32_t code = 0;
  return !Os().Programs().GetExitCodeProcess(process_, &code) || code == platform::kStillActive;
}

bool PwclsShellEx::FileExists(std::u16string_view path) const { return Os().Programs().FileExists(path); }

std::int32_t PwclsShellEx::Execute(std::u16string_view strPathName, std::u16string_view strParameter,
                                   std::int32_t /*lngWindowStyle*/, std::int32_t lnghWnd,
                                   acExecuteMode acExecMode) {
  if (!FileExists(strPathName)) return FileNotFound;
  auto& programs = Os().Programs();
  // Only the waiting modes ask the shell for the process handle; WaitNone has
  // nothing to wait on and nothing to close.
  const bool want_process = acExecMode != WaitNone;
  platform::ProcessHandle process = 0;
  if (!programs.ShellExecuteOpen(strPathName, strParameter, lnghWnd, want_process, &process))
    return ExecuteFailed;

  switch (acExecMode) {
    case WaitNone:
      return -1;
    case WaitExit: {
      // No time-out: the wait is for the user to close the program. A process
      // whose exit code cannot be read (no handle) counts as ended, so the
      // wait cannot outlive the program unnoticed.
      std::uint32_t code = 0;
      do {
        code = 0;
        if (!programs.GetExitCodeProcess(process, &code)) code = 0;
        Os().Time().Sleep(kExitPollMs);
      } while (!cancel_requested_ && code == platform::kStillActive);
      programs.CloseHandle(process);
      return -1;
    }
    case WaitInit:
    case WaitPrompt: {
      // A negative time-out becomes INFINITE (0xFFFFFFFF) for the idle wait.
      const std::int32_t r =
          programs.WaitForInputIdle(process, static_cast<std::uint32_t>(execute_time_out_));
      if (r == 0 && acExecMode == WaitPrompt && process != 0) {
        process_ = process;
      } else {
        programs.CloseHandle(process);
      }
      return r == 0 ? -1 : static_cast<std::int32_t>(WaitFailed);
    }
  }
  return -1;
}

}  // namespace korvel
