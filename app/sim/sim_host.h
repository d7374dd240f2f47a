// Plendra on the simulated desktop: recording widgets for its windows and the
// host that gives it korvel's own objects, its folder and its files. The
// scenario runner and the application's tests use it; the Windows program
// has real widgets instead.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/plendra.h"
#include "platform/sim/desktop.h"

namespace scenario {

// What the user would have seen, one line each, in order.
class Transcript {
 public:
  void Add(std::string line);
  // A failure: kept in order with the other lines, but printed to fail_echo
  // (standard error) when that is set, so that the transcript on standard
  // output stays what the user saw.
  void AddFailure(std::string line);
  const std::vector<std::string>& Lines() const { return lines_; }
  // Lines are also printed here as they come, when set.
  std::ostream* echo = nullptr;
  std::ostream* fail_echo = nullptr;

 private:
  std::vector<std::string> lines_;
};

class FakeCombo final : public plendra::ComboBox {
 public:
  void Clear() override;
  void AddItem(std::u16string_view item) override;
  std::int32_t ListCount() const override { return static_cast<std::int32_t>(items_.size()); }
  std::int32_t ListIndex() const override;
  void SetListIndex(std::int32_t index) override;
  std::u16string Item(std::int32_t index) const override;
  std::u16string Text() const override { return text_; }
  void SetText(std::u16string_view text) override { text_ = text; }
  void SetItemData(std::int32_t index, std::int32_t data) override;
  std::int32_t ItemData(std::int32_t index) const override;
  void SetEnabled(bool enabled) override { enabled_ = enabled; }
  // A disabled control cannot take the focus, as in Windows.
  void SetFocus() override {
    if (enabled_) focused_ = true;
  }

  bool Enabled() const { return enabled_; }
  bool Focused() const { return focused_; }
  // The index of an item equal to text, or -1.
  std::int32_t Find(std::u16string_view text) const;

 private:
  std::vector<std::u16string> items_;
  std::vector<std::int32_t> data_;
  std::u16string text_;
  bool enabled_ = true, focused_ = false;
};

class FakeButton final : public plendra::Button {
 public:
  explicit FakeButton(Transcript& t) : transcript_(t) {}
  std::u16string Caption() const override { return caption_; }
  void SetCaption(std::u16string_view caption) override;

 private:
  Transcript& transcript_;
  std::u16string caption_ = u"開始";
};

class FakeMenu final : public plendra::MenuItem {
 public:
  void SetEnabled(bool enabled) override { enabled_ = enabled; }
  bool Enabled() const { return enabled_; }

 private:
  bool enabled_ = true;
};

class FakeScroll final : public plendra::ScrollBar {
 public:
  // The range of the setting the bar stands for.
  explicit FakeScroll(const plendra::SettingLine& setting)
      : min_(setting.low), max_(setting.high), value_(setting.low) {}
  std::int32_t Value() const override { return value_; }
  void SetValue(std::int32_t value) override;
  std::int32_t Min() const { return min_; }
  std::int32_t Max() const { return max_; }

 private:
  std::int32_t min_, max_, value_;
};

class FakeLabel final : public plendra::Label {
 public:
  void SetCaption(std::u16string_view caption) override { caption_ = caption; }
  const std::u16string& Caption() const { return caption_; }

 private:
  std::u16string caption_;
};

class FakeToggle final : public plendra::Toggle {
 public:
  std::int32_t Value() const override { return value_; }
  void SetValue(std::int32_t value) override { value_ = value; }

 private:
  std::int32_t value_ = 0;
};

class FakeForm1 final : public plendra::Form1View {
 public:
  FakeForm1(platform::sim::Desktop& desktop, Transcript& t) : button(t), desktop_(desktop), transcript_(t) {}

  plendra::ComboBox& Keitou_Combo() override { return keitou; }
  plendra::ComboBox& Bangou_Combo() override { return bangou; }
  plendra::Button& Kaisi_Button() override { return button; }
  plendra::MenuItem& Mnu_Settei() override { return settei_menu; }
  plendra::MenuItem& Mnu_Help() override { return help_menu; }
  plendra::MenuItem& Mnu_Kensa() override { return kensa_menu; }
  std::u16string Status() const override { return status_; }
  void SetStatus(std::u16string_view text) override;
  float Top() const override { return top_; }
  float Left() const override { return left_; }
  void Move(std::int32_t top, std::int32_t left) override;
  void Show() override;
  void SetTopmost(bool on) override { topmost = on; }
  void SetOpacity(std::int32_t a) override { alpha = a; }
  void ShowHelp(std::u16string_view path) override;
  void MessageBox(std::u16string_view text, std::u16string_view title, plendra::BoxKind kind) override;

  FakeCombo keitou, bangou;
  FakeButton button;
  FakeMenu settei_menu, help_menu, kensa_menu;
  bool shown = false;
  std::optional<bool> topmost;  // none until the logic sets it
  std::int32_t alpha = 255;
  std::vector<std::u16string> help_opened;
  // Told of every change of the status bar, in its order among the commands.
  std::function<void(std::u16string_view)> on_status;

 private:
  platform::sim::Desktop& desktop_;
  Transcript& transcript_;
  std::u16string status_;
  float top_ = 0, left_ = 0;
};

class FakeSettei final : public plendra::SetteiView {
 public:
  explicit FakeSettei(Transcript& t) : transcript_(t) {}

  plendra::ScrollBar& Okisa_Scroll() override { return okisa; }
  plendra::ScrollBar& Hanare_Scroll() override { return hanare; }
  plendra::ScrollBar& Toumei_Scroll() override { return toumei; }
  plendra::Label& Okisa_Label() override { return okisa_label; }
  plendra::Label& Hanare_Label() override { return hanare_label; }
  plendra::Toggle& Mae_Option() override { return mae; }
  plendra::Toggle& Usiro_Option() override { return usiro; }
  plendra::Toggle& Ue_Option() override { return ue; }
  plendra::Toggle& Sita_Option() override { return sita; }
  plendra::Toggle& Renzoku_Check() override { return renzoku; }
  plendra::Toggle& Temae_Hyouji_Check() override { return temae; }
  plendra::Toggle& Keitou_Layer_Check() override { return keitou_layer; }
  plendra::Toggle& Keitou_Check_Check() override { return keitou_check; }
  plendra::ComboBox& Marume_Combo() override { return marume; }
  // Runs what the user does in the dialog (on_modal); the dialog must be
  // hidden by then, or the program would hang in it.
  void ShowModal() override;
  void Hide() override { visible = false; }

  FakeScroll okisa{plendra::kOkisaLine}, hanare{plendra::kHanareLine}, toumei{plendra::kToumeiLine};
  FakeLabel okisa_label, hanare_label;
  FakeToggle mae, usiro, ue, sita, renzoku, temae, keitou_layer, keitou_check;
  FakeCombo marume;
  bool visible = false;
  std::function<void()> on_modal;

 private:
  Transcript& transcript_;
};

class FakeAbout final : public plendra::AboutView {
 public:
  explicit FakeAbout(Transcript& t) : transcript_(t) {}
  void Show(std::u16string_view title, std::u16string_view version_text) override;
  // OK pressed: the box goes, and the focus goes back to the main window.
  void Hide();

  bool shown = false;

 private:
  Transcript& transcript_;
};

// The findings list of 番号の検査: the rows it shows, each also in the transcript.
class FakeKensa final : public plendra::KensaView {
 public:
  explicit FakeKensa(Transcript& t) : transcript_(t) {}
  void Show(const std::vector<plendra::KensaRow>& rows) override;

  std::vector<plendra::KensaRow> rows;

 private:
  Transcript& transcript_;
};

// The plan dialog of 番号の振り直し: the scenario sets what the user does in
// it (the system to choose, 実行 or キャンセル) before the menu is chosen; the
// rows it showed last are kept for "expect plan".
class FakeRenumber final : public plendra::RenumberView {
 public:
  explicit FakeRenumber(Transcript& t) : transcript_(t) {}
  std::optional<std::u16string> Ask(
      const std::vector<std::u16string>& systems, std::u16string_view system,
      const std::function<plendra::RenumberShown(std::u16string_view)>& plan) override;

  std::optional<std::u16string> choose;  // the system the user chooses; none: the one shown
  bool execute = true;                   // 実行, or キャンセル
  bool shown = false;
  plendra::RenumberShown last;

 private:
  Transcript& transcript_;
};

// The host: korvel's own PwAcad on the thread's (simulated) platform, the
// application's folder on disk, typed into AutoCAD as folder_text.
class SimHost final : public plendra::Host {
 public:
  SimHost(platform::sim::Desktop& desktop, std::filesystem::path folder, std::u16string folder_text,
          Transcript& transcript);

  std::shared_ptr<korvel::_PwAcad> CreatePwAcad() override;
  std::u16string AppFolder() override { return folder_text_; }
  std::filesystem::path AppFile(std::u16string_view name) override { return folder_ / std::u16string(name); }
  platform::TextCodec& Codec() override { return desktop_.Codec(); }
  bool AnotherInstanceRunning() override { return another_instance; }
  void EndProgram() override;
  plendra::Form1View& Form1Widgets() override { return form; }
  plendra::SetteiView& SetteiWidgets() override { return settei; }
  plendra::AboutView& AboutWidgets() override { return about; }
  plendra::KensaView& KensaWidgets() override { return kensa; }
  plendra::RenumberView& RenumberWidgets() override { return renumber; }
  // AutoCAD's drawing folders are Windows paths; here every file AutoCAD
  // names lies in drawing_folder under its own name.
  std::filesystem::path DrawingFile(std::u16string_view acad_path) override;

  FakeForm1 form;
  FakeSettei settei;
  FakeAbout about;
  FakeKensa kensa;
  FakeRenumber renumber;
  std::filesystem::path drawing_folder;
  bool another_instance = false;
  bool ended = false;

 private:
  platform::sim::Desktop& desktop_;
  std::filesystem::path folder_;
  std::u16string folder_text_;
  Transcript& transcript_;
};

// UTF-8 for the transcript.
std::string Utf8(std::u16string_view text);
// A command text as typed: control characters back in the "^C" notation.
std::u16string CommandNotation(std::u16string_view keys);

}  // namespace scenario
