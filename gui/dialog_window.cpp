#include "dialog_window.h"

namespace plendra_gui {

DialogWindow::~DialogWindow() {
  if (window_ == nullptr) return;
  ::SetWindowLongPtrW(window_, DWLP_USER, 0);
  DestroyWindow(window_);
}

void DialogWindow::Destroy() {
  if (window_ != nullptr) DestroyWindow(window_);
  window_ = nullptr;
}

HWND DialogWindow::Create(HINSTANCE instance, int id, HWND owner) {
  const HWND made =
      CreateDialogParamW(instance, MAKEINTRESOURCEW(id), owner, Procedure, reinterpret_cast<LPARAM>(this));
  if (made == nullptr) window_ = nullptr;
  return made;
}

INT_PTR CALLBACK DialogWindow::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  if (message == WM_INITDIALOG) {
    ::SetWindowLongPtrW(window, DWLP_USER, lparam);
    auto* self = reinterpret_cast<DialogWindow*>(lparam);
    self->window_ = window;
    self->OnInit();
    return TRUE;
  }
  auto* self = reinterpret_cast<DialogWindow*>(::GetWindowLongPtrW(window, DWLP_USER));
  return self == nullptr ? FALSE : self->OnMessage(message, wparam, lparam);
}

}  // namespace plendra_gui
