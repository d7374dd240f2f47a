// cadsim on the simulated desktop: the windows the link library looks for,
// answering copy-data and WM_GETTEXT from a Cad, and time from the desktop's
// virtual clock. Every native test and the demo use it.
//
//   platform::sim::Desktop desktop;
//   cadsim::SimCad acad(desktop, cadsim::ReadDxfFile("data/sample.dxf", desktop.Codec()),
//                       {.release = 8});
//   acad.Cad().Script(cadsim::UserAction::Pick(0x2F, 2000));  // picks 2 s after asked
//   platform::ScopedPlatform bind(desktop);  // then korvel::PwAcad::Search() finds it
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cadsim/cad.h"
#include "platform/sim/desktop.h"

namespace cadsim {

struct SimCadOptions {
  int release = 1;  // which release it shows (see release_profile.h)
  std::u16string drawing_path = u"C:\\図面\\Drawing1.dwg";
  // Where -INSERT looks for "X.dxf" when asked for a "X.dwg" it cannot find.
  std::vector<std::u16string> block_folders;
  // Windows folders and the folders on disk that stand for them (Cad::FolderMap).
  std::vector<std::pair<std::u16string, std::u16string>> folders;
  bool main_command_line = true;  // the command line docked in the main window
  bool saveas_renames = true;     // Cad::saveas_renames
  std::uint32_t command_ms = 0;   // Cad::command_ms, on the desktop's virtual clock
  std::uint32_t process = 0;      // the process its windows belong to; 0: a new one
};

class SimCad final : public Host {
 public:
  SimCad(platform::sim::Desktop& desktop, Drawing drawing, SimCadOptions options = {});
  ~SimCad() override;
  SimCad(const SimCad&) = delete;
  SimCad& operator=(const SimCad&) = delete;

  cadsim::Cad& Cad() { return *cad_; }
  Drawing& TheDrawing() { return cad_->TheDrawing(); }

  // Hides or shows the command line docked in the main window.
  void HideCommandLine(bool hidden);
  // All windows go away, as when AutoCAD quits or crashes.
  void Vanish() override;
  // Every window of it answers no message for ms milliseconds.
  void Busy(std::uint32_t ms) override;

  std::uint32_t process = 0, thread = 0;
  platform::Hwnd main = 0, main_command = 0, text = 0, command = 0, history = 0;
  platform::Hwnd dialog = 0;  // while one is shown

  // Host.
  void After(std::uint32_t ms, std::function<void()> fn) override;
  platform::TextCodec& Codec() override { return desktop_.Codec(); }
  void Changed() override;
  // A dialog box: a window of its own in AutoCAD's thread, the main window's
  // last active popup while it is up.
  void DialogShown(std::u16string_view title) override;
  void DialogClosed() override;

 private:
  platform::sim::Desktop& desktop_;
  std::unique_ptr<cadsim::Cad> cad_;
  std::u16string shown_prompt_;  // the command line's text as last announced
};

// cadsim as a program the simulated shell starts by path (PwAcad::Execute):
// started, it shows its windows windows_after_ms later and is ready for input
// (WaitForInputIdle) from idle_after_ms. *running receives it.
platform::sim::LaunchableProgram Launchable(platform::sim::Desktop& desktop, Drawing drawing,
                                            SimCadOptions options, std::uint64_t windows_after_ms,
                                            std::uint64_t idle_after_ms,
                                            std::shared_ptr<std::unique_ptr<SimCad>> running);

}  // namespace cadsim
