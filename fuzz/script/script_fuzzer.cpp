// libFuzzer target for the script interpreter.
//
// The first input byte chooses how many user variables the caller passes
// (0 to 11); the rest is the script file, run against a minimal AutoCAD on the
// simulated desktop that accepts every command and always shows its command
// prompt. Whatever the script says, the run must end (a user's Terminate
// after one virtual hour ends any wait without limit), the caller's array
// keeps its size, and the result agrees with the error record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "link/errors.h"
#include "link/pw_acad.h"
#include "link/pw_control.h"
#include "platform/sim/desktop.h"

namespace {

using platform::sim::WindowSpec;

struct MinimalAcad {
  explicit MinimalAcad(platform::sim::Desktop& d) {
    const std::uint32_t process = d.NewProcessId(), thread = d.NewThreadId();
    WindowSpec m{.class_name = u"Afx", .title = u"AutoCAD LT 2002", .thread = thread, .process = process};
    m.on_copy_data = [](std::uintptr_t, std::span<const std::byte>) -> std::intptr_t { return 1; };
    const platform::Hwnd main = d.CreateWindow(std::move(m));
    d.CreateWindow(WindowSpec{.class_name = u"AfxWnd42",
                              .title = u"Headlands",
                              .parent = main,
                              .thread = thread,
                              .process = process});
    const platform::Hwnd text = d.CreateWindow(
        WindowSpec{.class_name = u"Afx", .title = u"AutoCAD LT ﾃｷｽﾄ", .thread = thread, .process = process});
    WindowSpec c{
        .class_name = u"Edit", .title = u"Headlands", .parent = text, .thread = thread, .process = process};
    c.text = [] { return std::u16string(u"ｺﾏﾝﾄﾞ: "); };
    d.CreateWindow(std::move(c));
    WindowSpec h{
        .class_name = u"Edit", .title = u"MountTam", .parent = text, .thread = thread, .process = process};
    h.text = [] { return std::u16string(u"ｺﾏﾝﾄﾞ: _id 点を指定:  X = 1  Y = 2  Z = 3\r\n"); };
    d.CreateWindow(std::move(h));
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  platform::sim::Desktop desktop;
  platform::ScopedPlatform bind(desktop);
  MinimalAcad cad(desktop);
  korvel::PwAcad acad;
  if (acad.Search() != -1) std::abort();
  const auto control = acad.get_Control();
  control->put_CheckInterval(60'000);  // few cycles in a wait without limit
  desktop.UserEvent(3'600'000, [&] { control->Terminate(); });

  const std::filesystem::path path = desktop.TempFolder() / "fuzz.scr";
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
  std::vector<std::u16string> vars(data[0] % 12, u"v");
  const std::size_t before = vars.size();
  const std::int32_t r = control->RunScript(path.u16string(), &vars);
  if (vars.size() != before) std::abort();
  const std::int32_t recorded = acad.get_ErrNumber();
  if (r == -1 || r == korvel::CancelByUser) {
    if (recorded != 0) std::abort();
  } else if (r != recorded || acad.get_ErrDescription().empty()) {
    std::abort();
  }
  return 0;
}
