#include "child_process.h"

#include <windows.h>

namespace wine_scripts {

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, n);
  return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

std::wstring WindowsPath(const std::string& unix_path) {
  std::wstring path = L"Z:";
  for (char c : unix_path) path += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
  return path;
}

void WaitForEndOrEnd(void* process) {
  if (WaitForSingleObject(process, 10000) == WAIT_OBJECT_0) return;
  TerminateProcess(process, 1);
  WaitForSingleObject(process, 90000);
}

ChildResult RunChild(const std::wstring& command_line, std::vector<BoxAnswer> answers,
                     std::uint32_t limit_ms) {
  ChildResult result;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read_end = nullptr, write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, &inherit, 1 << 16)) return result;
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = write_end;
  si.hStdError = write_end;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi{};
  std::wstring mutable_line = command_line;
  const BOOL started =
      CreateProcessW(nullptr, mutable_line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  CloseHandle(write_end);
  if (!started) {
    CloseHandle(read_end);
    return result;
  }

  // The pipe is drained while the child runs, so that it never blocks on a
  // full pipe; boxes are looked for between reads.
  // Unsigned subtraction stays right across the tick counter's wrap.
  const DWORD start = GetTickCount();
  for (;;) {
    DWORD available = 0;
    while (PeekNamedPipe(read_end, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
      char buffer[4096];
      DWORD got = 0;
      if (!ReadFile(read_end, buffer, sizeof buffer, &got, nullptr) || got == 0) break;
      result.output.append(buffer, got);
    }
    if (!answers.empty()) {
      if (HWND box = FindWindowW(L"#32770", answers.front().caption.c_str())) {
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(answers.front().command, BN_CLICKED), 0);
        answers.erase(answers.begin());
        ++result.boxes_answered;
        // The next answer must not reach this box while it is closing; a
        // loaded machine closes it late, so the wait ends only at the limit.
        while (IsWindow(box) && GetTickCount() - start <= limit_ms) Sleep(20);
      }
    }
    if (WaitForSingleObject(pi.hProcess, 50) == WAIT_OBJECT_0) break;
    if (GetTickCount() - start > limit_ms) {
      TerminateProcess(pi.hProcess, 99);
      WaitForSingleObject(pi.hProcess, 5000);
      CloseHandle(pi.hThread);
      CloseHandle(pi.hProcess);
      CloseHandle(read_end);
      return result;
    }
  }
  // What the child wrote is in the pipe by now. No waiting for the end of
  // the pipe: a program the child started (cscript starting cadsim.exe, Wine
  // its desktop process) may hold the inherited write end for long after.
  DWORD available = 0;
  while (PeekNamedPipe(read_end, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
    char buffer[4096];
    DWORD got = 0;
    if (!ReadFile(read_end, buffer, sizeof buffer, &got, nullptr) || got == 0) break;
    result.output.append(buffer, got);
  }
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  result.finished = true;
  result.exit_code = code;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  CloseHandle(read_end);
  return result;
}

}  // namespace wine_scripts
