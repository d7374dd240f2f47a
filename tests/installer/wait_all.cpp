#include "wait_all.h"

#include <windows.h>

namespace wine_setup {

// The program runs in a job object: its children join the job too, and the
// job's completion port reports when the last of them has ended.
Finished RunAndWaitForAll(const std::wstring& command_line, std::uint32_t limit_ms) {
  Finished result;
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  HANDLE port = CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1);
  JOBOBJECT_ASSOCIATE_COMPLETION_PORT link{job, port};
  SetInformationJobObject(job, JobObjectAssociateCompletionPortInformation, &link, sizeof link);

  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::wstring mutable_line = command_line;
  if (!CreateProcessW(nullptr, mutable_line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &si,
                      &pi)) {
    CloseHandle(port);
    CloseHandle(job);
    return result;
  }
  AssignProcessToJobObject(job, pi.hProcess);
  ResumeThread(pi.hThread);

  // Unsigned subtraction stays right across the tick counter's wrap.
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD spent = GetTickCount() - start;
    DWORD message = 0;
    ULONG_PTR key = 0;
    LPOVERLAPPED data = nullptr;
    if (spent >= limit_ms || !GetQueuedCompletionStatus(port, &message, &key, &data, limit_ms - spent)) break;
    if (key == reinterpret_cast<ULONG_PTR>(job) && message == JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO) {
      result.in_time = true;
      break;
    }
  }
  if (!result.in_time) TerminateJobObject(job, 99);
  WaitForSingleObject(pi.hProcess, 10000);
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  result.exit_code = code;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  CloseHandle(port);
  CloseHandle(job);
  return result;
}

}  // namespace wine_setup
