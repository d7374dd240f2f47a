// The plan dialog of 番号の振り直し: the system to renumber, the entries whose
// number changes (old, new, length, text point), what stays, and 実行 /
// キャンセル. Modal over the main window; nothing is typed into AutoCAD while
// it is open.
#pragma once

#include <windows.h>

#include <functional>

#include "app/view.h"

namespace plendra_gui {

class RenumberDialog final : public plendra::RenumberView {
 public:
  RenumberDialog(HINSTANCE instance, std::function<HWND()> owner)
      : instance_(instance), owner_(std::move(owner)) {}
  std::optional<std::u16string> Ask(
      const std::vector<std::u16string>& systems, std::u16string_view system,
      const std::function<plendra::RenumberShown(std::u16string_view)>& plan) override;

 private:
  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept;
  INT_PTR Handle(HWND window, UINT message, WPARAM wparam);
  void Fill(HWND window);

  HINSTANCE instance_;
  std::function<HWND()> owner_;
  // What the current Ask shows.
  const std::vector<std::u16string>* systems_ = nullptr;
  std::u16string system_;
  const std::function<plendra::RenumberShown(std::u16string_view)>* plan_ = nullptr;
};

}  // namespace plendra_gui
