// Settei_Form, the settings dialog: created once (hidden) from the
// IDD_SETTEI template when first needed, shown modally, hidden again by its
// OK and キャンセル buttons as the logic decides.
#pragma once

#include <windows.h>

#include <functional>

#include "app/view.h"
#include "app_link.h"
#include "dialog_window.h"
#include "widgets.h"

namespace plendra_gui {

class SetteiDialog final : public plendra::SetteiView, public DialogWindow {
 public:
  // owner: the main window, disabled while the dialog is up.
  SetteiDialog(HINSTANCE instance, AppLink& link, std::function<HWND()> owner);
  ~SetteiDialog() override;

  plendra::ScrollBar& Okisa_Scroll() override { return okisa_; }
  plendra::ScrollBar& Hanare_Scroll() override { return hanare_; }
  plendra::ScrollBar& Toumei_Scroll() override { return toumei_; }
  plendra::Label& Okisa_Label() override { return okisa_label_; }
  plendra::Label& Hanare_Label() override { return hanare_label_; }
  plendra::Toggle& Mae_Option() override { return mae_; }
  plendra::Toggle& Usiro_Option() override { return usiro_; }
  plendra::Toggle& Ue_Option() override { return ue_; }
  plendra::Toggle& Sita_Option() override { return sita_; }
  plendra::Toggle& Renzoku_Check() override { return renzoku_; }
  plendra::Toggle& Temae_Hyouji_Check() override { return temae_; }
  plendra::Toggle& Keitou_Layer_Check() override { return keitou_layer_; }
  plendra::Toggle& Keitou_Check_Check() override { return keitou_check_; }
  plendra::ComboBox& Marume_Combo() override { return marume_; }
  void ShowModal() override;
  void Hide() override;

 private:
  void OnInit() override;
  INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  HWND Window();
  void OnScroll(HWND bar, int request, int position);

  HINSTANCE instance_;
  AppLink& link_;
  std::function<HWND()> owner_;
  bool modal_ = false;

  Win32Scroll okisa_, hanare_, toumei_;
  Win32Label okisa_label_, hanare_label_;
  Win32Toggle mae_, usiro_, ue_, sita_, renzoku_, temae_, keitou_layer_, keitou_check_;
  Win32Combo marume_;
};

// Paints the small sample dimension of the position frame: two extension
// lines, the dimension line with its end marks, and the text "1000".
void PaintSampleDimension(const DRAWITEMSTRUCT& item);

}  // namespace plendra_gui
