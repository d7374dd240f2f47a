// The controls of Plendra's windows behind the logic's widget interfaces
// (app/view.h). A widget finds its control when it is used, because the
// window it lives in may come into being only then (the settings dialog is
// created on first use, also when only its rounding list is wanted).
#pragma once

#include <windows.h>

#include <functional>

#include "app/settings.h"
#include "app/view.h"

namespace plendra_gui {

// The control with this identifier inside the window `parent` returns.
class ControlRef {
 public:
  ControlRef(std::function<HWND()> parent, int id) : parent_(std::move(parent)), id_(id) {}
  HWND Get() const { return GetDlgItem(parent_(), id_); }
  int Id() const { return id_; }

 private:
  std::function<HWND()> parent_;
  int id_;
};

class Win32Combo final : public plendra::ComboBox {
 public:
  explicit Win32Combo(ControlRef control) : control_(std::move(control)) {}
  void Clear() override;
  void AddItem(std::u16string_view item) override;
  std::int32_t ListCount() const override;
  std::int32_t ListIndex() const override;
  void SetListIndex(std::int32_t index) override;
  std::u16string Item(std::int32_t index) const override;
  std::u16string Text() const override;
  void SetText(std::u16string_view text) override;
  void SetItemData(std::int32_t index, std::int32_t data) override;
  std::int32_t ItemData(std::int32_t index) const override;
  void SetEnabled(bool enabled) override;
  void SetFocus() override;

  // After the user chose an item in the list: the box's text becomes the
  // item's before the choice is handled (the edit field follows only later).
  void TakeSelection();

 private:
  ControlRef control_;
};

class Win32Button final : public plendra::Button {
 public:
  explicit Win32Button(ControlRef control) : control_(std::move(control)) {}
  std::u16string Caption() const override;
  void SetCaption(std::u16string_view caption) override;

 private:
  ControlRef control_;
};

// An item of the menu bar: a command of its own (by identifier) or a menu
// (by position).
class Win32MenuItem final : public plendra::MenuItem {
 public:
  Win32MenuItem(std::function<HWND()> window, UINT item, bool by_position)
      : window_(std::move(window)), item_(item), by_position_(by_position) {}
  void SetEnabled(bool enabled) override;

 private:
  std::function<HWND()> window_;
  UINT item_;
  bool by_position_;
};

// A horizontal scroll-bar control with its own range and steps.
class Win32Scroll final : public plendra::ScrollBar {
 public:
  // The range and steps are those of the setting the bar stands for.
  Win32Scroll(ControlRef control, const plendra::SettingLine& setting)
      : control_(std::move(control)),
        min_(setting.low),
        max_(setting.high),
        small_(setting.small_step),
        large_(setting.large_step) {}
  std::int32_t Value() const override;
  void SetValue(std::int32_t value) override;

  // Gives the control its range (when its window is created).
  void ApplyRange();
  bool Is(HWND control) const { return control != nullptr && control == control_.Get(); }
  // A WM_HSCROLL request: moves the value as the scroll bar's part that was
  // used asks. True when the value changed and the move is complete (not
  // while the thumb is being dragged).
  bool Scroll(int request, int thumb_position);

 private:
  ControlRef control_;
  int min_, max_, small_, large_;
};

class Win32Label final : public plendra::Label {
 public:
  explicit Win32Label(ControlRef control) : control_(std::move(control)) {}
  void SetCaption(std::u16string_view caption) override;

 private:
  ControlRef control_;
};

// A check box or an option button.
class Win32Toggle final : public plendra::Toggle {
 public:
  explicit Win32Toggle(ControlRef control) : control_(std::move(control)) {}
  std::int32_t Value() const override;
  void SetValue(std::int32_t value) override;

 private:
  ControlRef control_;
};

}  // namespace plendra_gui
