// Clock over kernel32's tick counter.
#include <windows.h>

#include "win32_platform.h"

namespace platform::win32 {
namespace {

class Win32Clock final : public Clock {
 public:
  // GetTickCount is the 32-bit counter the library's waits subtract with
  // wrap-around; GetTickCount64 would hide the wrap they are written for.
  std::uint32_t TickCount() override { return GetTickCount(); }

  // A negative value would become an unsigned wait of about 49 days.
  void Sleep(std::int32_t ms) override { ::Sleep(ms < 0 ? 0 : static_cast<DWORD>(ms)); }
};

}  // namespace

std::unique_ptr<Clock> MakeClock() { return std::make_unique<Win32Clock>(); }

}  // namespace platform::win32
