// Plendra.exe and cadsim.exe as a user has them: a folder with Plendra and its
// files, the programs started as processes, and uidrive doing what the user
// does in Plendra's windows.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

namespace gui_test {

// A loaded machine only makes waits longer, never a test wrong; the first
// program of a fresh Wine session takes long to show a window.
constexpr DWORD kPatienceMs = 90000;

// The desktop the programs run on. By default a Wine virtual desktop of its
// own, a window with the desktop's windows inside, so that their captions
// and frames are drawn (no window manager runs on the virtual X display) and
// screenshots show the programs as a user sees them; other tests' windows
// stay on the default desktop, out of the way. Wine 8 stops drawing a
// layered window (Plendra's opacity setting makes the main window one) inside
// a virtual desktop once another program's window has been activated over
// it, as AutoCAD is during a pick; a test that watches a run picks the
// default desktop instead. Applies to the programs started and the driver
// runs from then on.
constexpr wchar_t kDesktop[] = L"PlendraGui";
constexpr wchar_t kDesktopSize[] = L"1024x700";
void UseVirtualDesktop(bool use);

std::filesystem::path SourceDir();
std::filesystem::path ProgramFolder();
// A Linux path as Wine's drive Z: shows it.
std::wstring WinePath(const std::filesystem::path& p);

class Process {
 public:
  Process() = default;
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  bool Start(const std::wstring& command_line, const std::filesystem::path& folder);
  // Waits for the end; false if it is still running after timeout_ms.
  bool WaitEnd(DWORD timeout_ms);
  DWORD ExitCode() const;
  bool Running() const;

 private:
  PROCESS_INFORMATION info_{};
};

struct Driven {
  int status = -1;
  std::string output;  // UTF-8, what uidrive saw
};

// Runs uidrive on the chosen desktop with these arguments and waits for it (its own waits end at
// their time-outs, which the longest argument that is a number bounds).
Driven Drive(const std::vector<std::wstring>& args);

std::string Utf8(const std::wstring& text);

// Reads a code page 932 text file's lines (CRLF), decoded.
std::vector<std::u16string> ReadLines932(const std::filesystem::path& file);

}  // namespace gui_test
