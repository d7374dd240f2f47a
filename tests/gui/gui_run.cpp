#include "gui_run.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "child_process.h"
#include "platform/ansi_codec.h"

namespace gui_test {

namespace {

bool use_virtual_desktop = true;

void PrepareDesktop() {
  static HDESK desktop = nullptr;
  if (desktop != nullptr) return;
  // Wine makes a desktop other than the default one a virtual desktop of
  // the size its registry names for it.
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\Explorer\\Desktops", 0, nullptr, 0, KEY_SET_VALUE,
                      nullptr, &key, nullptr) == ERROR_SUCCESS) {
    RegSetValueExW(key, kDesktop, 0, REG_SZ, reinterpret_cast<const BYTE*>(kDesktopSize),
                   sizeof kDesktopSize);
    RegCloseKey(key);
  }
  // Held open for the whole test program, so that the desktop stays between runs.
  desktop = CreateDesktopW(kDesktop, nullptr, nullptr, 0, GENERIC_ALL, nullptr);
  // So is its own process (explorer.exe /desktop=...), which otherwise ends
  // some seconds after the last program on the desktop: a program started
  // meanwhile was given the desktop window of the ending process and died on
  // an X error (BadWindow in X_CreateWindow). desktop_keeper.exe on the
  // desktop holds it until this program ends.
  static struct Keeper {
    PROCESS_INFORMATION info{};
    ~Keeper() {
      if (info.hProcess == nullptr) return;
      TerminateProcess(info.hProcess, 0);
      WaitForSingleObject(info.hProcess, kPatienceMs);
      CloseHandle(info.hProcess);
      CloseHandle(info.hThread);
    }
  } keeper;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read_end = nullptr, write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, &inherit, 0)) return;
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  std::wstring name = kDesktop;
  startup.lpDesktop = name.data();
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write_end;
  startup.hStdError = write_end;
  std::wstring line = L"\"" + (ProgramFolder() / L"desktop_keeper.exe").wstring() + L"\"";
  const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                      &startup, &keeper.info);
  CloseHandle(write_end);
  // Its first line says the desktop is up; the end of the pipe, that it failed.
  std::string said;
  char buffer[64];
  DWORD got = 0;
  while (started && said.find('\n') == std::string::npos &&
         ReadFile(read_end, buffer, sizeof buffer, &got, nullptr) && got > 0)
    said.append(buffer, got);
  CloseHandle(read_end);
}

}  // namespace

void UseVirtualDesktop(bool use) { use_virtual_desktop = use; }

std::filesystem::path SourceDir() {
  const char* dir = std::getenv("PLENDRA_SOURCE_DIR");
  return dir ? std::filesystem::path(dir) : std::filesystem::current_path();
}

std::filesystem::path ProgramFolder() {
  wchar_t buffer[MAX_PATH];
  GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  return std::filesystem::path(buffer).parent_path();
}

std::wstring WinePath(const std::filesystem::path& p) {
  std::wstring s = p.wstring();
  if (!s.empty() && s[0] == L'/') {
    std::replace(s.begin(), s.end(), L'/', L'\\');
    s = L"Z:" + s;
  }
  return s;
}

Process::~Process() {
  if (info_.hProcess == nullptr) return;
  if (Running()) TerminateProcess(info_.hProcess, 99);
  WaitForSingleObject(info_.hProcess, kPatienceMs);
  CloseHandle(info_.hProcess);
  CloseHandle(info_.hThread);
}

bool Process::Start(const std::wstring& command_line, const std::filesystem::path& folder) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  std::wstring desktop = kDesktop;
  if (use_virtual_desktop) {
    PrepareDesktop();
    startup.lpDesktop = desktop.data();
  }
  std::wstring line = command_line;
  const std::wstring dir = folder.wstring();
  return CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        dir.empty() ? nullptr : dir.c_str(), &startup, &info_) != FALSE;
}

bool Process::WaitEnd(DWORD timeout_ms) {
  return info_.hProcess != nullptr && WaitForSingleObject(info_.hProcess, timeout_ms) == WAIT_OBJECT_0;
}

DWORD Process::ExitCode() const {
  DWORD code = 0;
  GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

bool Process::Running() const {
  return info_.hProcess != nullptr && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

std::string Utf8(const std::wstring& text) {
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                        nullptr, nullptr);
  std::string out(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), bytes, nullptr,
                      nullptr);
  return out;
}

Driven Drive(const std::vector<std::wstring>& args) {
  std::wstring line = L"\"" + (ProgramFolder() / L"uidrive.exe").wstring() + L"\"";
  if (use_virtual_desktop) {
    PrepareDesktop();
    line += L" --desktop " + std::wstring(kDesktop);
  }
  DWORD longest = 0;
  for (const std::wstring& a : args) {
    line += L" \"" + a + L"\"";
    wchar_t* end = nullptr;
    const unsigned long n = wcstoul(a.c_str(), &end, 10);
    if (!a.empty() && *end == L'\0') longest = std::max<DWORD>(longest, n);
  }
  // uidrive ends its own waits; this limit only catches a driver that hangs.
  const wine_scripts::ChildResult r = wine_scripts::RunChild(line, {}, longest + kPatienceMs);
  // A driver that did not start or did not end says why in the output, so that
  // a failure that happens only once can be told from the report.
  if (!r.finished) return {-1, r.output + "uidrive did not finish: " + r.hang_report};
  return {static_cast<int>(r.exit_code), r.output};
}

std::vector<std::u16string> ReadLines932(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  const std::u16string text = platform::MakeAnsiCodec(932)->FromAnsi(bytes.str());
  std::vector<std::u16string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(u"\r\n", start);
    if (end == std::u16string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

}  // namespace gui_test
