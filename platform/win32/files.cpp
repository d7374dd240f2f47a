// Files over kernel32.
#include <windows.h>

#include <string>

#include "win32_platform.h"

namespace platform::win32 {
namespace {

class Win32Files final : public Files {
 public:
  std::string TempPathAnsi(int buffer_bytes) override {
    if (buffer_bytes <= 0) return {};
    std::string buffer(static_cast<std::size_t>(buffer_bytes), '\0');
    const DWORD n = GetTempPathA(static_cast<DWORD>(buffer_bytes), buffer.data());
    // A result not below the buffer size is the size needed: nothing was copied.
    if (n == 0 || n >= static_cast<DWORD>(buffer_bytes)) return {};
    buffer.resize(n);
    return buffer;
  }

  std::u16string ProgramFolder() override {
    // The wide form: a folder name outside the code page must still come back whole.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
      const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
      if (n == 0) return {};
      if (n < path.size()) {
        path.resize(n);
        break;
      }
      path.resize(path.size() * 2);  // truncated: try a larger buffer
    }
    const std::size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return {};
    path.resize(slash + 1);
    return std::u16string(path.begin(), path.end());
  }
};

}  // namespace

std::unique_ptr<Files> MakeFiles() { return std::make_unique<Win32Files>(); }

}  // namespace platform::win32
