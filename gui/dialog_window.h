// A window made from a dialog template and bound to the C++ object behind
// it. One dialog procedure serves every such window: at WM_INITDIALOG it keeps
// the object in the window's DWLP_USER and from then on hands each message to
// it. Messages that come before (WM_SETFONT) get the default handling.
#pragma once

#include <windows.h>

namespace plendra_gui {

class DialogWindow {
 public:
  DialogWindow(const DialogWindow&) = delete;
  DialogWindow& operator=(const DialogWindow&) = delete;

  // The window if it exists, else null.
  HWND Existing() const { return window_; }
  // Whether a message for the shown window was taken as dialog navigation
  // (Tab, Enter, Esc).
  bool TakesMessage(MSG& message) const {
    return window_ != nullptr && IsWindowVisible(window_) && ::IsDialogMessageW(window_, &message);
  }

 protected:
  DialogWindow() = default;
  // A window still there gets no more messages and is destroyed; a derived
  // class that wants its messages during destruction calls Destroy() in its
  // own destructor, while it is whole.
  virtual ~DialogWindow();
  void Destroy();

  // Makes the window from template id of instance, owned by owner (null for
  // none); the window, or null when it could not be made.
  HWND Create(HINSTANCE instance, int id, HWND owner);
  // At WM_INITDIALOG, with window_ set; the dialog manager then gives the
  // first control the focus.
  virtual void OnInit() {}
  // Every later message; the value a dialog procedure returns (FALSE: not
  // handled). Nothing may unwind through user32, so it must not throw.
  virtual INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam) = 0;

  HWND window_ = nullptr;

 private:
  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept;
};

}  // namespace plendra_gui
