// cadsim.exe: the substitute AutoCAD as a real Windows program, for the
// MinGW build and Wine. Its windows carry the release's titles, it takes
// typed input from copy-data messages, answers WM_GETTEXT with the prompt and
// the history, draws the drawing, and lets a person pick by clicking (Esc
// cancels) or a script pick for them (see options.h).
#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "cad_windows.h"
#include "cadsim/dxf.h"
#include "cadsim/svg.h"
#include "options.h"
#include "platform/ansi_codec.h"

namespace {

std::vector<std::u16string> Arguments() {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::u16string> args;
  for (int i = 1; argv && i < count; ++i) args.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
  LocalFree(argv);
  return args;
}

void Complain(const std::u16string& text) {
  MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(text.c_str()), L"cadsim", MB_OK | MB_ICONERROR);
}

// Writes what an unattended run asked for when cadsim ends.
void WriteResults(const cadsim_win::Options& o, cadsim_win::CadWindows& windows) {
  if (!o.out.empty())
    cadsim::WriteDxfFile(std::filesystem::path(o.out), windows.Cad().TheDrawing(), windows.Codec());
  if (!o.snapshot.empty()) windows.Snapshot(std::wstring(o.snapshot.begin(), o.snapshot.end()), 960, 560);
  if (!o.log.empty()) {
    std::ofstream log(std::filesystem::path(o.log), std::ios::binary);
    for (const cadsim_win::CadWindows::Typed& t : windows.TypedLog()) {
      std::string line;
      for (char c : t.bytes)
        line += c == '\x03' ? std::string("^C")
                : c == '\r' ? std::string("^M")
                : c == '\n' ? std::string("^J")
                            : std::string(1, c);
      char head[96];
      std::snprintf(head, sizeof head, "%.3f %llu %llu %.3f ", t.ms,
                    static_cast<unsigned long long>(t.finished), static_cast<unsigned long long>(t.reads),
                    t.waited_ms);
      log << head << line << "\r\n";
    }
  }
  if (!o.svg.empty())
    std::ofstream(std::filesystem::path(o.svg), std::ios::binary)
        << cadsim::RenderSvg(windows.Cad().TheDrawing());
}

// A window titled "cadsim" for ms milliseconds, with the messages pumped: the
// program is idle for input long before its AutoCAD windows exist.
void Splash(HINSTANCE instance, std::uint32_t ms) {
  HWND splash = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"cadsim", WS_POPUP | WS_VISIBLE | SS_CENTER,
                                400, 300, 240, 80, nullptr, nullptr, instance, nullptr);
  const UINT_PTR timer = SetTimer(nullptr, 0, ms, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_TIMER && message.hwnd == nullptr && message.wParam == timer) break;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  KillTimer(nullptr, timer);
  if (splash) DestroyWindow(splash);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  std::u16string error;
  const auto options = cadsim_win::ParseOptions(Arguments(), &error);
  if (!options) {
    Complain(error +
             u"\n\ncadsim.exe [--drawing IN.dxf] [--release 0..8] [--picks SCRIPT] [--out OUT.dxf] ...");
    return 2;
  }
  auto codec = platform::MakeAnsiCodec(932);
  cadsim::Drawing drawing;
  if (!options->drawing.empty()) {
    try {
      drawing = cadsim::ReadDxfFile(std::filesystem::path(options->drawing), *codec);
    } catch (const cadsim::DxfError& e) {
      const std::string what = e.what();
      Complain(options->drawing + u": " + std::u16string(what.begin(), what.end()));
      return 1;
    }
  }
  cadsim_win::CadWindows windows(options->release, std::move(drawing), options->name);
  windows.Cad().BlockFolders() = options->block_folders;
  windows.Cad().TheFaults() = options->faults;
  windows.Cad().command_ms = options->command_ms;
  for (const cadsim::UserAction& a : options->picks) windows.Cad().Script(a);
  if (options->splash_ms != 0) Splash(instance, options->splash_ms);
  if (!windows.Create(instance, options->hide_command_line)) {
    Complain(u"cannot create the windows");
    return 1;
  }
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  WriteResults(*options, windows);
  return 0;
}
