// Form1, the main window: the system and number lists, the start button, the
// status bar and the menus, as a dialog made from the IDD_FORM1 template.
#pragma once

#include <windows.h>

#include <functional>

#include "app/view.h"
#include "app_link.h"
#include "dialog_window.h"
#include "platform/text_codec.h"
#include "twips.h"
#include "widgets.h"

namespace plendra_gui {

class Form1Window final : public plendra::Form1View, public DialogWindow {
 public:
  Form1Window(HINSTANCE instance, AppLink& link, platform::TextCodec& codec);
  ~Form1Window() override;

  plendra::ComboBox& Keitou_Combo() override { return keitou_; }
  plendra::ComboBox& Bangou_Combo() override { return bangou_; }
  plendra::Button& Kaisi_Button() override { return kaisi_; }
  plendra::MenuItem& Mnu_Settei() override { return settei_menu_; }
  plendra::MenuItem& Mnu_Help() override { return help_menu_; }
  plendra::MenuItem& Mnu_Kensa() override { return kensa_menu_; }
  std::u16string Status() const override;
  void SetStatus(std::u16string_view text) override;
  float Top() const override;
  float Left() const override;
  void Move(std::int32_t top, std::int32_t left) override;
  void Show() override;
  void SetTopmost(bool topmost) override;
  void SetOpacity(std::int32_t alpha) override;
  void ShowHelp(std::u16string_view path) override;
  void MessageBox(std::u16string_view text, std::u16string_view title, plendra::BoxKind kind) override;

  // The window, created (hidden) on first use.
  HWND Handle();
  // Which of Plendra's windows a window that gave up the focus to this one is.
  void SetFocusSources(std::function<plendra::FocusFrom(HWND)> sources) {
    focus_sources_ = std::move(sources);
  }

 private:
  void OnInit() override;
  INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void OnCommand(int id, int code);
  int PixelsPerInch(int index) const;

  HINSTANCE instance_;
  AppLink& link_;
  platform::TextCodec& codec_;
  HWND status_ = nullptr;
  std::function<plendra::FocusFrom(HWND)> focus_sources_;
  TwipsPosition top_, left_;

  Win32Combo keitou_, bangou_;
  Win32Button kaisi_;
  Win32MenuItem settei_menu_, help_menu_, kensa_menu_;
};

}  // namespace plendra_gui
