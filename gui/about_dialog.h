// frmAbout: the title, the version text, OK, and a button that starts the
// system's information tool. Shown without being modal; OK hides it.
#pragma once

#include <windows.h>

#include <functional>

#include "app/view.h"
#include "dialog_window.h"

namespace plendra_gui {

class AboutDialog final : public plendra::AboutView, public DialogWindow {
 public:
  AboutDialog(HINSTANCE instance, std::function<HWND()> owner)
      : instance_(instance), owner_(std::move(owner)) {}
  ~AboutDialog() override;
  void Show(std::u16string_view title, std::u16string_view version_text) override;

 private:
  INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

  HINSTANCE instance_;
  std::function<HWND()> owner_;
};

// Starts msinfo32.exe, where the system says it lies (or by name); tells the
// user when it cannot be started.
void StartSysInfo(HWND owner);

}  // namespace plendra_gui
