// The widgets of Plendra's windows as its logic sees them.
//
// The logic (Form1, Settei_Form, frmAbout) holds no widget state of its own: it
// reads and sets controls through these interfaces, as a form's code reads
// and sets its controls. The Win32 program implements them over real
// controls; tests and the scenario runner over recording fakes. Setting a
// control never runs an event procedure: where a window system would raise one
// (a list selection made in code), the logic calls the procedure itself.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plendra {

struct ComboBox {
  virtual ~ComboBox() = default;
  virtual void Clear() = 0;
  virtual void AddItem(std::u16string_view item) = 0;
  virtual std::int32_t ListCount() const = 0;
  // -1 when the text is not one of the items (typed by the user).
  virtual std::int32_t ListIndex() const = 0;
  // Selects the item (its text becomes the box's text); -1 selects nothing.
  virtual void SetListIndex(std::int32_t index) = 0;
  virtual std::u16string Item(std::int32_t index) const = 0;
  virtual std::u16string Text() const = 0;
  virtual void SetText(std::u16string_view text) = 0;
  virtual void SetItemData(std::int32_t index, std::int32_t data) = 0;
  virtual std::int32_t ItemData(std::int32_t index) const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual void SetFocus() = 0;
};

struct Button {
  virtual ~Button() = default;
  virtual std::u16string Caption() const = 0;
  virtual void SetCaption(std::u16string_view caption) = 0;
};

struct MenuItem {
  virtual ~MenuItem() = default;
  virtual void SetEnabled(bool enabled) = 0;
};

// A horizontal scroll bar; its range and steps are those of the setting it
// stands for (kSettingLines in settings.h), given when the widget is made.
struct ScrollBar {
  virtual ~ScrollBar() = default;
  virtual std::int32_t Value() const = 0;
  // A value outside the range is brought into it, as a scroll bar does.
  virtual void SetValue(std::int32_t value) = 0;
};

struct Label {
  virtual ~Label() = default;
  virtual void SetCaption(std::u16string_view caption) = 0;
};

// A check box (0 unchecked, 1 checked) or an option button (0 or 1 as well).
struct Toggle {
  virtual ~Toggle() = default;
  virtual std::int32_t Value() const = 0;
  virtual void SetValue(std::int32_t value) = 0;
};

// What a message box of the application's own is for; the window system
// gives each kind its icon. Both have an OK button only.
enum class BoxKind {
  kWarning,      // something went wrong or cannot be done
  kInformation,  // a report, nothing to decide
};

// Which window the focus left when the main window became the active one.
enum class FocusFrom {
  kAboutBox,
  kSettingsDialog,
  kElsewhere,  // another program, or no window at all
};

// The main window (caption "Plendra").
struct Form1View {
  virtual ~Form1View() = default;
  virtual ComboBox& Keitou_Combo() = 0;
  virtual ComboBox& Bangou_Combo() = 0;
  virtual Button& Kaisi_Button() = 0;
  virtual MenuItem& Mnu_Settei() = 0;
  virtual MenuItem& Mnu_Help() = 0;
  // The menu 検査 with its items "番号の検査" and "集計表の出力".
  virtual MenuItem& Mnu_Kensa() = 0;
  // The first panel of StatusBar1.
  virtual std::u16string Status() const = 0;
  virtual void SetStatus(std::u16string_view text) = 0;

  // The window's edges on the screen, in twips.
  virtual float Top() const = 0;
  virtual float Left() const = 0;
  virtual void Move(std::int32_t top, std::int32_t left) = 0;
  virtual void Show() = 0;
  // Whether the window stays above the other programs' windows.
  virtual void SetTopmost(bool topmost) = 0;
  // How opaque the window is: 0 (invisible) to 255 (opaque).
  virtual void SetOpacity(std::int32_t alpha) = 0;
  // Opens the help file at its first topic, the window its owner.
  virtual void ShowHelp(std::u16string_view path) = 0;
  // A message box of the application's own (not through the link library),
  // owned by the window; returns when the user has closed it.
  virtual void MessageBox(std::u16string_view text, std::u16string_view title, BoxKind kind) = 0;
};

// The settings dialog (caption "設定").
struct SetteiView {
  virtual ~SetteiView() = default;
  virtual ScrollBar& Okisa_Scroll() = 0;
  virtual ScrollBar& Hanare_Scroll() = 0;
  virtual ScrollBar& Toumei_Scroll() = 0;
  virtual Label& Okisa_Label() = 0;
  virtual Label& Hanare_Label() = 0;
  virtual Toggle& Mae_Option() = 0;
  virtual Toggle& Usiro_Option() = 0;
  virtual Toggle& Ue_Option() = 0;
  virtual Toggle& Sita_Option() = 0;
  virtual Toggle& Renzoku_Check() = 0;
  virtual Toggle& Temae_Hyouji_Check() = 0;
  virtual Toggle& Keitou_Layer_Check() = 0;
  virtual Toggle& Keitou_Check_Check() = 0;
  virtual ComboBox& Marume_Combo() = 0;
  // Shows the dialog modally; returns once it has been hidden.
  virtual void ShowModal() = 0;
  virtual void Hide() = 0;
};

// One row of the findings list: the kind in words, the system, the number
// (or the run of missing numbers) and what was found.
struct KensaRow {
  std::u16string kind, system, number, detail;
};

// The findings list of 番号の検査 (caption "番号の検査"), a window beside the
// main one. A double-click on a row runs Form1::Kensa_List_DblClick with the
// row's index.
struct KensaView {
  virtual ~KensaView() = default;
  // Shows the window with these rows, replacing those of an earlier check.
  virtual void Show(const std::vector<KensaRow>& rows) = 0;
};

// One row of the plan of 番号の振り直し: an entry whose number changes, with
// its written length and the text point it recorded ("X,Y").
struct RenumberRow {
  std::u16string old_number, new_number, length, point;
};

// What the plan dialog shows for one system: the rows, and below them the
// count of entries that keep their number and the entries that are left
// alone, or why there is nothing to do.
struct RenumberShown {
  std::vector<RenumberRow> rows;
  std::u16string summary;
};

// The plan dialog of 番号の振り直し (caption "番号の振り直し"), modal: a
// system box (the drawing's systems to choose from, or one typed), the plan's
// rows, the summary, 実行 and キャンセル. Whenever the system box changes the
// dialog asks `plan` for what to show.
struct RenumberView {
  virtual ~RenumberView() = default;
  // Returns the system shown when 実行 is pressed; nothing for キャンセル or
  // the close box.
  virtual std::optional<std::u16string> Ask(
      const std::vector<std::u16string>& systems, std::u16string_view system,
      const std::function<RenumberShown(std::u16string_view)>& plan) = 0;
};

// The about box.
struct AboutView {
  virtual ~AboutView() = default;
  virtual void Show(std::u16string_view title, std::u16string_view version_text) = 0;
};

}  // namespace plendra
