#include "child_process.h"

#include <gtest/gtest.h>
#include <windows.h>
// after windows.h
#include <tlhelp32.h>

#include <cctype>
#include <cstdio>
#include <map>
#include <set>

namespace wine_scripts {

namespace {

// Generous, as every bound of the Windows tests: a loaded machine only makes
// a child slow, and what ends at a bound is reported as a failure.
constexpr DWORD kPatienceMs = 90000;
// A program asked to close that has not ended by then is ended.
constexpr DWORD kCloseMs = 10000;

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

std::string Seconds(DWORD ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%lu.%03lu s", static_cast<unsigned long>(ms / 1000),
                static_cast<unsigned long>(ms % 1000));
  return text;
}

struct ProcessEntry {
  DWORD parent = 0;
  std::wstring name;
};

std::map<DWORD, ProcessEntry> Processes() {
  std::map<DWORD, ProcessEntry> all;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return all;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
    all[entry.th32ProcessID] = {entry.th32ParentProcessID, entry.szExeFile};
  CloseHandle(snapshot);
  return all;
}

bool IsDesktopProcess(const std::wstring& name) { return _wcsicmp(name.c_str(), L"explorer.exe") == 0; }

// Adds to tree the running processes started by a process of the tree. A
// desktop's own process is left out: the first program on a desktop starts
// it, and every later program of the desktop needs it.
void GrowTree(std::set<DWORD>& tree) {
  const std::map<DWORD, ProcessEntry> all = Processes();
  for (bool grew = true; grew;) {
    grew = false;
    for (const auto& [pid, entry] : all)
      if (tree.count(entry.parent) != 0 && !IsDesktopProcess(entry.name) && tree.insert(pid).second)
        grew = true;
  }
}

std::string DescribeProcesses(const std::set<DWORD>& pids) {
  const std::map<DWORD, ProcessEntry> all = Processes();
  std::string text;
  for (DWORD pid : pids) {
    const auto it = all.find(pid);
    if (it == all.end()) continue;
    text += "  pid " + std::to_string(pid) + " " + Utf8(it->second.name) + " (started by pid " +
            std::to_string(it->second.parent) + ")\n";
  }
  return text.empty() ? "  none\n" : text;
}

// A window's text without waiting on a program that does not answer.
std::wstring TextOf(HWND window) {
  wchar_t text[512] = {};
  DWORD_PTR ignored = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                           &ignored))
    return L"(no answer)";
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[128] = {};
  GetClassNameW(window, name, 128);
  return name;
}

DWORD ProcessOf(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid;
}

// One top-level window; a dialog box with its controls and their texts.
BOOL CALLBACK DescribeOne(HWND window, LPARAM into) {
  auto* text = reinterpret_cast<std::string*>(into);
  const std::wstring cls = ClassOf(window);
  const bool visible = IsWindowVisible(window) != FALSE;
  const std::wstring title = TextOf(window);
  // Wine gives each thread hidden helper windows; they say nothing here.
  if (!visible && title.empty() && cls != L"#32770") return TRUE;
  *text += "  pid " + std::to_string(ProcessOf(window)) + " [" + Utf8(cls) + "] \"" + Utf8(title) + "\"" +
           (visible ? "" : " hidden") + (IsWindowEnabled(window) ? "" : " disabled");
  if (HWND owner = GetWindow(window, GW_OWNER))
    *text += " owned by \"" + Utf8(TextOf(owner)) + "\" of pid " + std::to_string(ProcessOf(owner));
  *text += "\n";
  if (cls == L"#32770") {
    EnumChildWindows(
        window,
        [](HWND child, LPARAM to) noexcept CALLBACK -> BOOL {
          *reinterpret_cast<std::string*>(to) +=
              "      [" + Utf8(ClassOf(child)) + "] \"" + Utf8(TextOf(child)) + "\"\n";
          return TRUE;
        },
        into);
  }
  return TRUE;
}

// The running test's name, fit for a file name.
std::wstring TestFileName(const std::string& what) {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string name =
      (test == nullptr ? std::string("test") : std::string(test->test_suite_name()) + "." + test->name()) +
      "-" + what;
  std::wstring file;
  for (char c : name)
    file += std::isalnum(static_cast<unsigned char>(c)) || c == '.' ? static_cast<wchar_t>(c) : L'-';
  return file;
}

// Posts WM_CLOSE to the shown top-level windows of these processes.
void AskToClose(const std::set<DWORD>& pids) {
  EnumWindows(
      [](HWND window, LPARAM p) noexcept CALLBACK -> BOOL {
        if (reinterpret_cast<const std::set<DWORD>*>(p)->count(ProcessOf(window)) != 0 &&
            IsWindowVisible(window))
          PostMessageW(window, WM_CLOSE, 0, 0);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&pids));
}

// Ends these processes: asked to close first when ask is set, each is given
// kCloseMs to end, then ended. False if one was still running after that.
bool EndProcesses(const std::set<DWORD>& pids, bool ask) {
  std::vector<HANDLE> running;
  for (DWORD pid : pids)
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) running.push_back(process);
  if (ask) AskToClose(pids);
  bool all_ended = true;
  const DWORD start = GetTickCount();
  for (HANDLE process : running) {
    const DWORD spent = GetTickCount() - start;
    if (!ask || WaitForSingleObject(process, spent < kCloseMs ? kCloseMs - spent : 0) != WAIT_OBJECT_0)
      TerminateProcess(process, 99);
    if (WaitForSingleObject(process, kPatienceMs) != WAIT_OBJECT_0) all_ended = false;
    CloseHandle(process);
  }
  return all_ended;
}

void Drain(HANDLE pipe, std::string& into) {
  DWORD available = 0;
  while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
    char buffer[4096];
    DWORD got = 0;
    if (!ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) || got == 0) break;
    into.append(buffer, got);
  }
}

}  // namespace

std::string ChildResult::Describe() const {
  std::string text = "--- output:\n" + output + "\n--- boxes:\n" + (box_log.empty() ? "  none\n" : box_log);
  if (!finished) text += "--- still running at the time limit:\n" + hang_report;
  return text;
}

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
  if (WaitForSingleObject(process, kCloseMs) == WAIT_OBJECT_0) return;
  TerminateProcess(process, 1);
  WaitForSingleObject(process, kPatienceMs);
}

std::string DescribeWindows() {
  std::string text;
  EnumWindows(DescribeOne, reinterpret_cast<LPARAM>(&text));
  return text.empty() ? "  none\n" : text;
}

std::string SaveScreenshot(const std::string& what) {
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return "(none: no screen)";
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // rows bottom-up, as the file keeps them
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP picture = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  std::string result = "(none: the screen could not be copied)";
  if (memory != nullptr && picture != nullptr && bits != nullptr) {
    HGDIOBJ old = SelectObject(memory, picture);
    const BOOL copied = BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY | CAPTUREBLT);
    GdiFlush();
    SelectObject(memory, old);
    const DWORD size = static_cast<DWORD>((width * 3 + 3) & ~3) * static_cast<DWORD>(height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + size;
    // The test's output folder: beside the other files of its working folder.
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    const std::wstring output = std::wstring(folder) + L"\\output";
    CreateDirectoryW(output.c_str(), nullptr);
    const std::wstring path = output + L"\\" + TestFileName(what) + L".bmp";
    HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    if (copied && out != INVALID_HANDLE_VALUE && WriteFile(out, &file, sizeof file, &written, nullptr) &&
        WriteFile(out, &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr) &&
        WriteFile(out, bits, size, &written, nullptr)) {
      // Named as the Linux side sees it: Wine's drive Z is the root.
      std::string shown = Utf8(path);
      if (shown.size() > 2 && (shown[0] == 'Z' || shown[0] == 'z') && shown[1] == ':') shown.erase(0, 2);
      for (char& c : shown)
        if (c == '\\') c = '/';
      result = shown;
    }
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  }
  if (picture != nullptr) DeleteObject(picture);
  if (memory != nullptr) DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return result;
}

std::string EndProgramsWithWindows(const std::wstring& title_start) {
  struct Search {
    const std::wstring* start;
    std::set<DWORD> pids;
    std::string found;
  } search{&title_start, {}, {}};
  EnumWindows(
      [](HWND window, LPARAM p) noexcept CALLBACK -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        wchar_t title[256] = {};
        GetWindowTextW(window, title, 256);
        if (std::wstring(title).rfind(*s->start, 0) == 0) {
          s->pids.insert(ProcessOf(window));
          s->found += "  pid " + std::to_string(ProcessOf(window)) + " \"" + Utf8(title) + "\"" +
                      (IsWindowVisible(window) ? "\n" : " hidden\n");
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  if (!search.pids.empty() && !EndProcesses(search.pids, true)) search.found += "  (not all of them ended)\n";
  return search.found;
}

ChildResult RunChild(const std::wstring& command_line, std::vector<BoxAnswer> answers,
                     std::uint32_t limit_ms) {
  ChildResult result;
  // The desktop's own process is started now, by this program, if it is not
  // running yet: started by the child, it would hold the child's output open.
  GetDesktopWindow();

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
    result.hang_report = "not started: error " + std::to_string(GetLastError()) + "\n";
    CloseHandle(read_end);
    return result;
  }
  // The child and what it starts, noted while they run: a program whose
  // parent has ended can still be found by the parent's id.
  std::set<DWORD> tree{pi.dwProcessId};

  // The pipe is drained while the child runs, so that it never blocks on a
  // full pipe; boxes are looked for between reads.
  // Unsigned subtraction stays right across the tick counter's wrap.
  const DWORD start = GetTickCount();
  HWND answered = nullptr;  // the box answered last, until it has closed
  bool in_time = true;
  for (;;) {
    Drain(read_end, result.output);
    GrowTree(tree);
    if (answered != nullptr && !IsWindow(answered)) {
      result.box_log += "  " + Seconds(GetTickCount() - start) + " closed\n";
      ++result.boxes_answered;
      answered = nullptr;
    }
    // The next answer must not reach a box that is still closing.
    if (answered == nullptr && !answers.empty()) {
      HWND box = FindWindowW(L"#32770", answers.front().caption.c_str());
      // A box is shown once its texts and buttons are in place and its
      // message loop runs.
      if (box != nullptr && IsWindowVisible(box)) {
        result.box_log += "  " + Seconds(GetTickCount() - start) + " \"" + Utf8(answers.front().caption) +
                          "\" shown by pid " + std::to_string(ProcessOf(box)) + ", answered " +
                          std::to_string(answers.front().command) + "\n";
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(answers.front().command, BN_CLICKED), 0);
        answers.erase(answers.begin());
        answered = box;
      }
    }
    if (WaitForSingleObject(pi.hProcess, 50) == WAIT_OBJECT_0) break;
    if (GetTickCount() - start > limit_ms) {
      in_time = false;
      break;
    }
  }
  if (answered != nullptr) {
    // A child that ends right after its last answer takes the box along.
    if (!IsWindow(answered)) {
      result.box_log += "  " + Seconds(GetTickCount() - start) + " closed\n";
      ++result.boxes_answered;
    } else {
      result.box_log += "  " + Seconds(GetTickCount() - start) + " the box answered last is still open\n";
    }
  }
  GrowTree(tree);

  if (!in_time) {
    Drain(read_end, result.output);
    result.hang_report = "windows:\n" + DescribeWindows() + "processes it started:\n" +
                         DescribeProcesses(tree) + "screenshot: " + SaveScreenshot("hang") + "\n";
    if (!EndProcesses(tree, false)) result.hang_report += "some of them could not be ended\n";
  } else {
    // What the child started and left running (the AutoCAD a script
    // started) is closed as its user would, or ended.
    tree.erase(pi.dwProcessId);
    EndProcesses(tree, true);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    result.finished = true;
    result.exit_code = code;
  }
  // Every process that could write to the pipe has ended: the rest is in it.
  Drain(read_end, result.output);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  CloseHandle(read_end);
  return result;
}

}  // namespace wine_scripts
