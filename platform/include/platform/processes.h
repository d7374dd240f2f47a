// Starting programs and following them (shell32, kernel32).
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/types.h"

namespace platform {

inline constexpr std::uint32_t kStillActive = 259;  // GetExitCodeProcess while running
inline constexpr std::int32_t kWaitTimeout = 258;   // WaitForInputIdle on time-out
inline constexpr std::int32_t kWaitFailed = -1;     // WaitForInputIdle on failure

struct Processes {
  virtual ~Processes() = default;
  // PathFileExistsA.
  virtual bool FileExists(std::u16string_view path) = 0;
  // ShellExecuteExA with the verb "open". When want_process is true and the
  // start succeeded, *process receives a handle the caller must close (it may
  // still be 0 when the shell started no new process). False on failure.
  virtual bool ShellExecuteOpen(std::u16string_view file, std::u16string_view parameters, Hwnd owner,
                                bool want_process, ProcessHandle* process) = 0;
  // 0 when the process is idle for input, kWaitTimeout on time-out, kWaitFailed
  // on failure.
  virtual std::int32_t WaitForInputIdle(ProcessHandle process, std::uint32_t ms) = 0;
  // kStillActive while the process runs, its exit code afterwards. False on failure.
  virtual bool GetExitCodeProcess(ProcessHandle process, std::uint32_t* code) = 0;
  virtual void CloseHandle(ProcessHandle process) = 0;
};

}  // namespace platform
