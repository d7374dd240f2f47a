// Processes over shell32, shlwapi and kernel32, ANSI forms.
#include <windows.h>
// after windows.h, which they need
#include <shellapi.h>
#include <shlwapi.h>

#include <string>

#include "win32_platform.h"

namespace platform::win32 {
namespace {

HANDLE ToHandle(ProcessHandle process) { return reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(process)); }

class Win32Processes final : public Processes {
 public:
  explicit Win32Processes(TextCodec& codec) : codec_(codec) {}

  bool FileExists(std::u16string_view path) override {
    const std::string bytes = codec_.ToAnsi(path);
    return PathFileExistsA(bytes.c_str()) != FALSE;
  }

  bool ShellExecuteOpen(std::u16string_view file, std::u16string_view parameters, Hwnd owner,
                        bool want_process, ProcessHandle* process) override {
    if (process != nullptr) *process = 0;
    const std::string file_bytes = codec_.ToAnsi(file);
    const std::string parameter_bytes = codec_.ToAnsi(parameters);
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    // No error box from the shell: the library reports a failed start itself,
    // with its own text, and a box here would block a caller that runs unattended.
    info.fMask = SEE_MASK_FLAG_NO_UI | (want_process ? SEE_MASK_NOCLOSEPROCESS : 0);
    info.hwnd = reinterpret_cast<HWND>(static_cast<INT_PTR>(owner));
    info.lpVerb = "open";
    info.lpFile = file_bytes.c_str();
    info.lpParameters = parameter_bytes.empty() ? nullptr : parameter_bytes.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExA(&info)) return false;
    if (want_process && process != nullptr)
      *process = static_cast<ProcessHandle>(reinterpret_cast<UINT_PTR>(info.hProcess));
    else if (info.hProcess != nullptr)
      ::CloseHandle(info.hProcess);
    return true;
  }

  std::int32_t WaitForInputIdle(ProcessHandle process, std::uint32_t ms) override {
    // 0, WAIT_TIMEOUT or WAIT_FAILED (all ones, read as -1).
    return static_cast<std::int32_t>(::WaitForInputIdle(ToHandle(process), ms));
  }

  bool GetExitCodeProcess(ProcessHandle process, std::uint32_t* code) override {
    DWORD exit_code = 0;
    if (!::GetExitCodeProcess(ToHandle(process), &exit_code)) return false;
    if (code != nullptr) *code = exit_code;
    return true;
  }

  void CloseHandle(ProcessHandle process) override {
    if (process != 0) ::CloseHandle(ToHandle(process));
  }

 private:
  TextCodec& codec_;
};

}  // namespace

std::unique_ptr<Processes> MakeProcesses(TextCodec& codec) { return std::make_unique<Win32Processes>(codec); }

}  // namespace platform::win32
