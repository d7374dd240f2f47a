// The default platform of a thread outside Windows when nothing was bound: a
// desktop with no windows. There is no AutoCAD to find here, and product code
// must not quietly get a simulated one (whose virtual clock would make a
// sixty-second wait end at once): window operations find nothing and fail,
// programs cannot be started and no box can be shown, while time, files and
// the code page are the machine's own. A search therefore fails, and every
// channel operation reports the link as lost, as on a Windows desktop where
// AutoCAD is not running. Programs that want AutoCAD (the tools over cadsim,
// the tests) bind a simulated desktop with ScopedPlatform.
#include <chrono>
#include <filesystem>
#include <memory>
#include <system_error>
#include <thread>

#include "platform/ansi_codec.h"
#include "platform/platform.h"

namespace platform {
namespace {

class NoDesktop final : public Platform,
                        private WindowSystem,
                        private Clock,
                        private Processes,
                        private Files,
                        private Dialogs {
 public:
  NoDesktop() : codec_(MakeAnsiCodec(932)) {}

  WindowSystem& Windows() override { return *this; }
  Clock& Time() override { return *this; }
  Processes& Programs() override { return *this; }
  Files& Folders() override { return *this; }
  TextCodec& Codec() override { return *codec_; }
  Dialogs& Boxes() override { return *this; }

 private:
  // WindowSystem: no window exists, so every call fails as user32 fails for a
  // handle that is not a window.
  bool EnumWindows(const EnumWindowsCallback&) override { return true; }
  bool EnumChildWindows(Hwnd, const EnumWindowsCallback&) override { return false; }
  int TitleLength(Hwnd) override { return 0; }
  std::u16string Title(Hwnd, int) override { return {}; }
  std::u16string ClassName(Hwnd, int) override { return {}; }
  std::uint32_t GetWindowThreadProcessId(Hwnd, std::uint32_t* process_id) override {
    if (process_id != nullptr) *process_id = 0;
    return 0;
  }
  bool IsWindow(Hwnd) override { return false; }
  bool IsWindowVisible(Hwnd) override { return false; }
  std::intptr_t SendCopyData(Hwnd, std::uintptr_t, std::span<const std::byte>, std::uint32_t,
                             const SendLimit&) override {
    return 0;
  }
  std::intptr_t SendGetTextLength(Hwnd, const SendLimit&) override { return 0; }
  std::u16string SendGetText(Hwnd, int, std::intptr_t* copied, const SendLimit&) override {
    if (copied != nullptr) *copied = 0;
    return {};
  }
  bool PostNull(Hwnd) override { return false; }
  Hwnd GetLastActivePopup(Hwnd) override { return 0; }
  bool SetForegroundWindow(Hwnd) override { return false; }
  void PumpMessages() override {}

  // Clock: the machine's monotonic time, cut to 32 bits as GetTickCount is.
  std::uint32_t TickCount() override {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
  }
  void Sleep(std::int32_t ms) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms < 0 ? 0 : ms));
  }

  // Processes: files are looked up for real; there is no shell to start
  // anything with, so nothing is ever running.
  bool FileExists(std::u16string_view path) override {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::path(path), ec);
  }
  bool ShellExecuteOpen(std::u16string_view, std::u16string_view, Hwnd, bool,
                        ProcessHandle* process) override {
    if (process != nullptr) *process = 0;
    return false;
  }
  std::int32_t WaitForInputIdle(ProcessHandle, std::uint32_t) override { return kWaitFailed; }
  bool GetExitCodeProcess(ProcessHandle, std::uint32_t*) override { return false; }
  void CloseHandle(ProcessHandle) override {}

  // Files: the machine's temporary folder and this program's folder, in the
  // code page's bytes as GetTempPathA hands them over.
  std::string TempPathAnsi(int buffer_bytes) override {
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
    if (ec) return {};
    std::string bytes = codec_->ToAnsi(WithSeparator(folder));
    // GetTempPathA reports the size it needs and copies nothing when the
    // buffer is too small.
    if (buffer_bytes <= 0 || bytes.size() + 1 > static_cast<std::size_t>(buffer_bytes)) return {};
    return bytes;
  }
  std::u16string ProgramFolder() override {
    std::error_code ec;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    return WithSeparator(ec ? std::filesystem::current_path(ec) : program.parent_path());
  }

  // Dialogs: nobody to show a box to; 0 is what MessageBox returns when it
  // could not show one.
  std::int32_t ShowBox(Hwnd, std::u16string_view, std::u16string_view, std::uint32_t) override { return 0; }

  static std::u16string WithSeparator(const std::filesystem::path& folder) {
    std::u16string text = folder.u16string();
    if (text.empty() || text.back() != u'/') text += u'/';
    return text;
  }

  std::unique_ptr<TextCodec> codec_;
};

}  // namespace

// One per thread: the codec keeps conversion state, and a thread's platform is
// only ever used by that thread.
Platform& DefaultPlatform() {
  thread_local NoDesktop desktop;
  return desktop;
}

}  // namespace platform
