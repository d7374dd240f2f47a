// The real desktop, the default platform of every thread on Windows.
#include "platform/ansi_codec.h"
#include "win32_platform.h"

namespace platform {
namespace {

class Win32Platform final : public Platform {
 public:
  Win32Platform()
      : codec_(MakeAnsiCodec(win32::AnsiCodePage())),
        windows_(win32::MakeWindowSystem(*codec_)),
        clock_(win32::MakeClock()),
        processes_(win32::MakeProcesses(*codec_)),
        files_(win32::MakeFiles()),
        dialogs_(win32::MakeDialogs(*codec_)) {}

  WindowSystem& Windows() override { return *windows_; }
  Clock& Time() override { return *clock_; }
  Processes& Programs() override { return *processes_; }
  Files& Folders() override { return *files_; }
  TextCodec& Codec() override { return *codec_; }
  Dialogs& Boxes() override { return *dialogs_; }

 private:
  std::unique_ptr<TextCodec> codec_;
  std::unique_ptr<WindowSystem> windows_;
  std::unique_ptr<Clock> clock_;
  std::unique_ptr<Processes> processes_;
  std::unique_ptr<Files> files_;
  std::unique_ptr<Dialogs> dialogs_;
};

}  // namespace

// The seams hold no per-thread state (user32 keeps that itself), so one real
// platform serves every thread of the process.
Platform& DefaultPlatform() {
  static Win32Platform platform;
  return platform;
}

}  // namespace platform
