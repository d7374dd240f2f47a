#include "support/acad_window_program.h"

#include <windows.h>

#include <cstdio>
#include <string_view>

namespace plendra_wine {
namespace {

bool BeginsWith(std::u16string_view text, std::u16string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// One argument quoted the way CommandLineToArgvW reads it back; acadwin's
// options never end in a backslash, so doubling quotes' backslashes is moot.
std::wstring Quoted(const std::u16string& argument) {
  std::wstring out = L"\"";
  for (char16_t c : argument) {
    if (c == u'"') out += L'\\';
    out += static_cast<wchar_t>(c);
  }
  return out + L"\"";
}

std::u16string ReadTitle(platform::WindowSystem& os, platform::Hwnd window) {
  const int n = os.TitleLength(window);
  return n > 0 ? os.Title(window, n + 1) : std::u16string();
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, std::uint32_t timeout_ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= timeout_ms) return condition();
    Sleep(10);  // the polling interval, not a guess at how long anything takes
  }
}

AcadWindowProgram::AcadWindowProgram(std::vector<std::u16string> arguments) {
  const std::u16string folder = platform::Current().Folders().ProgramFolder();
  std::wstring command_line = Quoted(folder + u"acadwin.exe");
  for (const std::u16string& a : arguments) command_line += L" " + Quoted(a);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info)) {
    // Said here, as the test then only sees that it did not start.
    std::fprintf(stderr, "acadwin.exe not started: error %lu\n", GetLastError());
    return;
  }
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  process_id_ = info.dwProcessId;
  thread_id_ = info.dwThreadId;
}

AcadWindowProgram::~AcadWindowProgram() { End(); }

void AcadWindowProgram::End() {
  if (process_ == nullptr) return;
  TerminateProcess(process_, 0);
  WaitForSingleObject(process_, kPatienceMs);
  CloseHandle(process_);
  process_ = nullptr;
  // The next test must not find this program's windows.
  auto& os = platform::Current().Windows();
  WaitUntil([&] {
    bool gone = true;
    os.EnumWindows([&](platform::Hwnd w) {
      std::uint32_t pid = 0;
      os.GetWindowThreadProcessId(w, &pid);
      if (pid == process_id_) gone = false;
      return gone;
    });
    return gone;
  });
}

platform::Hwnd AcadWindowProgram::WaitForWindow(std::u16string_view prefix) {
  auto& os = platform::Current().Windows();
  platform::Hwnd found = 0;
  WaitUntil([&] {
    os.EnumWindows([&](platform::Hwnd w) {
      std::uint32_t pid = 0;
      os.GetWindowThreadProcessId(w, &pid);
      if (pid == process_id_ && os.IsWindowVisible(w) && BeginsWith(ReadTitle(os, w), prefix)) found = w;
      return found == 0;
    });
    return found != 0;
  });
  return found;
}

platform::Hwnd AcadWindowProgram::Child(platform::Hwnd parent, std::u16string_view prefix) {
  auto& os = platform::Current().Windows();
  platform::Hwnd found = 0;
  os.EnumChildWindows(parent, [&](platform::Hwnd w) {
    if (BeginsWith(ReadTitle(os, w), prefix)) found = w;
    return found == 0;
  });
  return found;
}

std::vector<std::uint32_t> AcadWindowProgram::CopyDataSizes() {
  auto& os = platform::Current().Windows();
  // The log hangs under the main window, whose title is the one that does not
  // begin like the text window's.
  platform::Hwnd log = 0;
  os.EnumWindows([&](platform::Hwnd w) {
    std::uint32_t pid = 0;
    os.GetWindowThreadProcessId(w, &pid);
    if (pid == process_id_) log = Child(w, u"CopyDataLog");
    return log == 0;
  });
  std::vector<std::uint32_t> sizes;
  const std::intptr_t n = os.SendGetTextLength(log);
  if (n <= 0) return sizes;
  std::intptr_t copied = 0;
  const std::u16string text = os.SendGetText(log, static_cast<int>(n + 1), &copied);
  std::uint32_t value = 0;
  for (char16_t c : text) {
    if (c == u',') {
      sizes.push_back(value);
      value = 0;
    } else {
      value = value * 10 + static_cast<std::uint32_t>(c - u'0');
    }
  }
  return sizes;
}

}  // namespace plendra_wine
