// acadwin: a stand-in for AutoCAD's windows, for tests that talk to a real
// window in another process through user32.
//
// It shows what the link library looks for: a main window with a docked
// command line ("Headlands"), and a separate text window with the command-line
// window ("Headlands", whose window text is the prompt and the typed input)
// and the history ("MountTam"). Copy-data messages with tag 1 to the main
// window are typed input: Enter runs the line, Ctrl+C cancels it. A hidden
// child "CopyDataLog" of the main window lists the cbData of every copy-data
// message received, for tests of how commands are handed over.
//
// Options (all optional):
//   --main-title=T   --text-title=T   --prompt=P
//   --delay=MS       the windows appear this long after start
//   --busy=MS        after each command the command line stays empty this long
//   --refuse         copy-data messages are answered 0
//   --hang           the first copy-data message is never answered
//   --hide-command   the docked command line is hidden
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <string>

namespace {

struct Options {
  std::wstring main_title = L"AutoCAD LT 2002 - [Drawing1.dwg]";
  std::wstring text_title = L"AutoCAD LT ﾃｷｽﾄ ｳｨﾝﾄﾞｳ";
  std::wstring prompt = L"ｺﾏﾝﾄﾞ: ";
  UINT delay_ms = 0;
  UINT busy_ms = 0;
  bool refuse = false;
  bool hang = false;
  bool hide_command = false;
};

// The prompt AutoCAD shows while ID waits for a point.
constexpr wchar_t kPointPrompt[] = L"点を指定: ";
constexpr wchar_t kCancelMarker[] = L"*ｷｬﾝｾﾙ*";
constexpr UINT_PTR kBusyTimer = 1;

Options options;
std::wstring prompt;   // what the command line asks now
std::wstring typed;    // input since the last Enter
std::wstring history;  // finished lines, each ending in CR LF
std::wstring copy_data_log;
HWND main_window = nullptr;

std::wstring CommandLineText() { return prompt + typed; }

// WM_GETTEXT / WM_GETTEXTLENGTH for windows whose text is not their title.
LRESULT AnswerText(const std::wstring& text, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_GETTEXTLENGTH) return static_cast<LRESULT>(text.size());
  auto* buffer = reinterpret_cast<wchar_t*>(lparam);
  if (wparam == 0 || buffer == nullptr) return 0;
  const std::size_t n = text.size() < wparam - 1 ? text.size() : wparam - 1;
  text.copy(buffer, n);
  buffer[n] = L'\0';
  return static_cast<LRESULT>(n);
}

void RunLine() {
  const std::wstring line = typed;
  history += prompt + line + L"\r\n";
  typed.clear();
  if (prompt == options.prompt && line == L"ID") {
    prompt = kPointPrompt;
  } else if (options.busy_ms > 0) {
    prompt.clear();  // an empty command line while the command runs
    SetTimer(main_window, kBusyTimer, options.busy_ms, nullptr);
  } else {
    prompt = options.prompt;
  }
}

void Type(wchar_t c) {
  switch (c) {
    case L'\x03':
      history += prompt + typed + kCancelMarker + L"\r\n";
      typed.clear();
      prompt = options.prompt;
      break;
    case L'\r':
    case L'\n':
      RunLine();
      break;
    default:
      typed.push_back(c);
  }
}

LRESULT OnCopyData(const COPYDATASTRUCT* record) {
  if (options.hang) {
    // A hung AutoCAD: the sender waits for an answer that never comes.
    for (;;) Sleep(INFINITE);
  }
  if (options.refuse || record == nullptr || record->dwData != 1) return 0;
  copy_data_log += std::to_wstring(record->cbData) + L",";
  // AutoCAD is an ANSI program: the bytes are in the system's code page and
  // end at the first NUL, whatever cbData says.
  const char* bytes = static_cast<const char*>(record->lpData);
  std::size_t n = 0;
  while (n < record->cbData && bytes[n] != '\0') ++n;
  if (n > 0) {
    std::wstring text(n, L'\0');
    const int chars =
        MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(n), text.data(), static_cast<int>(n));
    text.resize(chars > 0 ? static_cast<std::size_t>(chars) : 0);
    for (wchar_t c : text) Type(c);
  }
  return TRUE;
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  switch (message) {
    case WM_COPYDATA:
      return OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lparam));
    case WM_TIMER:
      if (wparam == kBusyTimer) {
        KillTimer(window, kBusyTimer);
        prompt = options.prompt;
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

LRESULT CALLBACK CommandLineProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  if (message == WM_GETTEXT || message == WM_GETTEXTLENGTH)
    return AnswerText(CommandLineText(), message, wparam, lparam);
  return DefWindowProcW(window, message, wparam, lparam);
}

LRESULT CALLBACK HistoryProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  if (message == WM_GETTEXT || message == WM_GETTEXTLENGTH)
    return AnswerText(history, message, wparam, lparam);
  return DefWindowProcW(window, message, wparam, lparam);
}

LRESULT CALLBACK LogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  if (message == WM_GETTEXT || message == WM_GETTEXTLENGTH)
    return AnswerText(copy_data_log, message, wparam, lparam);
  return DefWindowProcW(window, message, wparam, lparam);
}

void Register(const wchar_t* name, WNDPROC proc) {
  WNDCLASSW c{};
  c.lpfnWndProc = proc;
  c.hInstance = GetModuleHandleW(nullptr);
  c.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  c.lpszClassName = name;
  RegisterClassW(&c);
}

HWND Make(const wchar_t* class_name, const std::wstring& title, DWORD style, HWND parent, int x, int y, int w,
          int h) {
  return CreateWindowExW(0, class_name, title.c_str(), style, x, y, w, h, parent, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

void ShowWindows() {
  Register(L"AcadWinMain", MainProc);
  Register(L"AcadWinDocked", DefWindowProcW);
  Register(L"AcadWinText", DefWindowProcW);
  Register(L"AcadWinCommandLine", CommandLineProc);
  Register(L"AcadWinHistory", HistoryProc);
  Register(L"AcadWinLog", LogProc);

  // Top-level windows are shown only once their children exist, so whoever
  // sees a visible window sees it whole.
  main_window = Make(L"AcadWinMain", options.main_title, WS_OVERLAPPEDWINDOW, nullptr, 0, 0, 640, 480);
  const DWORD docked_style = WS_CHILD | (options.hide_command ? 0 : WS_VISIBLE);
  Make(L"AcadWinDocked", L"Headlands", docked_style, main_window, 0, 400, 640, 80);
  Make(L"AcadWinLog", L"CopyDataLog", WS_CHILD, main_window, 0, 0, 10, 10);

  const HWND text =
      Make(L"AcadWinText", options.text_title, WS_OVERLAPPEDWINDOW, nullptr, 100, 100, 500, 300);
  Make(L"AcadWinCommandLine", L"Headlands", WS_CHILD | WS_VISIBLE, text, 0, 250, 500, 50);
  Make(L"AcadWinHistory", L"MountTam", WS_CHILD | WS_VISIBLE, text, 0, 0, 500, 250);

  ShowWindow(main_window, SW_SHOWNORMAL);
  ShowWindow(text, SW_SHOWNORMAL);
}

void CALLBACK ShowWindowsLater(HWND, UINT, UINT_PTR timer, DWORD) noexcept {
  KillTimer(nullptr, timer);
  ShowWindows();
}

UINT Number(const std::wstring& text) { return static_cast<UINT>(std::wcstoul(text.c_str(), nullptr, 10)); }

void ParseOptions() {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (args == nullptr) return;
  for (int i = 1; i < count; ++i) {
    const std::wstring arg = args[i];
    const std::size_t eq = arg.find(L'=');
    const std::wstring name = arg.substr(0, eq);
    const std::wstring value = eq == std::wstring::npos ? L"" : arg.substr(eq + 1);
    if (name == L"--main-title") options.main_title = value;
    if (name == L"--text-title") options.text_title = value;
    if (name == L"--prompt") options.prompt = value;
    if (name == L"--delay") options.delay_ms = Number(value);
    if (name == L"--busy") options.busy_ms = Number(value);
    if (name == L"--refuse") options.refuse = true;
    if (name == L"--hang") options.hang = true;
    if (name == L"--hide-command") options.hide_command = true;
  }
  LocalFree(args);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  ParseOptions();
  prompt = options.prompt;
  if (options.delay_ms > 0)
    SetTimer(nullptr, 0, options.delay_ms, ShowWindowsLater);
  else
    ShowWindows();
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
