// The findings list of 番号の検査: a window beside the main one with one row
// per finding; a double-click on a row has AutoCAD show that entry.
#pragma once

#include <windows.h>

#include <functional>

#include "app/view.h"
#include "app_link.h"
#include "dialog_window.h"

namespace plendra_gui {

class KensaDialog final : public plendra::KensaView, public DialogWindow {
 public:
  KensaDialog(HINSTANCE instance, AppLink& link, std::function<HWND()> owner)
      : instance_(instance), link_(link), owner_(std::move(owner)) {}
  ~KensaDialog() override;
  void Show(const std::vector<plendra::KensaRow>& rows) override;

 private:
  INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void AddColumns(HWND list);

  HINSTANCE instance_;
  AppLink& link_;
  std::function<HWND()> owner_;
};

}  // namespace plendra_gui
