#include "sim_host.h"

#include <algorithm>
#include <ostream>

#include "app/app_error.h"
#include "app/box_style.h"
#include "link/pw_acad.h"
#include "platform/utf8.h"

namespace scenario {

std::string Utf8(std::u16string_view text) { return platform::ToUtf8(text); }

std::u16string CommandNotation(std::u16string_view keys) {
  std::u16string out;
  for (char16_t c : keys) {
    if (c == 3)
      out += u"^C";
    else if (c == 13)
      out += u"^M";
    else if (c == 10)
      out += u"^J";
    else
      out += c;
  }
  return out;
}

void Transcript::Add(std::string line) {
  if (echo != nullptr) *echo << line << '\n';
  lines_.push_back(std::move(line));
}

void Transcript::AddFailure(std::string line) {
  std::ostream* to = fail_echo != nullptr ? fail_echo : echo;
  if (to != nullptr) *to << line << '\n';
  lines_.push_back(std::move(line));
}

// --- Widgets ------------------------------------------------------------------

void FakeCombo::Clear() {
  items_.clear();
  data_.clear();
  text_.clear();
}

void FakeCombo::AddItem(std::u16string_view item) {
  items_.emplace_back(item);
  data_.push_back(0);
}

std::int32_t FakeCombo::Find(std::u16string_view text) const {
  const auto at = std::find(items_.begin(), items_.end(), text);
  return at == items_.end() ? -1 : static_cast<std::int32_t>(at - items_.begin());
}

// As a combo box reports it: the item whose text the box shows.
std::int32_t FakeCombo::ListIndex() const { return Find(text_); }

void FakeCombo::SetListIndex(std::int32_t index) {
  if (index < -1 || index >= ListCount()) throw plendra::AppError(380);
  text_ = index < 0 ? std::u16string() : items_[static_cast<std::size_t>(index)];
}

std::u16string FakeCombo::Item(std::int32_t index) const {
  if (index < 0 || index >= ListCount()) throw plendra::AppError(381);
  return items_[static_cast<std::size_t>(index)];
}

void FakeCombo::SetItemData(std::int32_t index, std::int32_t data) {
  if (index < 0 || index >= ListCount()) throw plendra::AppError(381);
  data_[static_cast<std::size_t>(index)] = data;
}

std::int32_t FakeCombo::ItemData(std::int32_t index) const {
  if (index < 0 || index >= ListCount()) throw plendra::AppError(381);
  return data_[static_cast<std::size_t>(index)];
}

void FakeButton::SetCaption(std::u16string_view caption) {
  if (caption == caption_) return;
  caption_ = caption;
  transcript_.Add("  button: " + Utf8(caption));
}

void FakeScroll::SetValue(std::int32_t value) { value_ = std::clamp(value, min_, max_); }

void FakeForm1::SetStatus(std::u16string_view text) {
  status_ = text;
  transcript_.Add("  status: " + Utf8(text));
  if (on_status) on_status(text);
}

void FakeForm1::Move(std::int32_t top, std::int32_t left) {
  top_ = static_cast<float>(top);
  left_ = static_cast<float>(left);
}

void FakeForm1::Show() {
  shown = true;
  transcript_.Add("  window: Plendra shown");
}

void FakeForm1::ShowHelp(std::u16string_view path) {
  help_opened.emplace_back(path);
  transcript_.Add("  help: " + Utf8(path));
}

// The application's own boxes go to the desktop like the library's, so that
// one record holds every box the user saw, in order.
void FakeForm1::MessageBox(std::u16string_view text, std::u16string_view title, plendra::BoxKind kind) {
  static_cast<platform::Platform&>(desktop_).Boxes().ShowBox(0, text, title, plendra::BoxStyle(kind));
}

void FakeSettei::ShowModal() {
  visible = true;
  transcript_.Add("  window: 設定 shown");
  if (on_modal) {
    auto act = std::move(on_modal);
    on_modal = nullptr;
    act();
  }
  // Nobody would be left to close a dialog that is still up.
  if (visible) {
    transcript_.Add("  window: 設定 left open; closed with キャンセル");
    visible = false;
  }
}

void FakeAbout::Hide() {
  shown = false;
  transcript_.Add("  window: about closed");
}

void FakeAbout::Show(std::u16string_view title, std::u16string_view version_text) {
  shown = true;
  transcript_.Add("  window: about " + Utf8(title) + " " + Utf8(version_text));
}

void FakeKensa::Show(const std::vector<plendra::KensaRow>& shown) {
  rows = shown;
  transcript_.Add("  window: 番号の検査 shown with " + std::to_string(rows.size()) + " rows");
  for (const plendra::KensaRow& r : rows)
    transcript_.Add("  finding: " + Utf8(r.kind) + " " + Utf8(r.system) + " " + Utf8(r.number) + " " +
                    Utf8(r.detail));
}

std::optional<std::u16string> FakeRenumber::Ask(
    const std::vector<std::u16string>& systems, std::u16string_view system,
    const std::function<plendra::RenumberShown(std::u16string_view)>& plan) {
  shown = true;
  std::string listed;
  for (const std::u16string& s : systems) listed += " " + Utf8(s);
  transcript_.Add("  window: 番号の振り直し shown for " + Utf8(system) + " (systems:" + listed + ")");
  const std::u16string chosen = choose.value_or(std::u16string(system));
  if (chosen != system) transcript_.Add("  user: chooses the system " + Utf8(chosen));
  last = plan(chosen);
  for (const plendra::RenumberRow& r : last.rows)
    transcript_.Add("  plan: " + Utf8(r.old_number) + " -> " + Utf8(r.new_number) + " " + Utf8(r.length) +
                    " " + Utf8(r.point));
  transcript_.Add("  plan: " + Utf8(last.summary));
  transcript_.Add(std::string("  user: presses ") + (execute ? "実行" : "キャンセル"));
  if (!execute) return std::nullopt;
  return chosen;
}

// --- Host ---------------------------------------------------------------------

SimHost::SimHost(platform::sim::Desktop& desktop, std::filesystem::path folder, std::u16string folder_text,
                 Transcript& transcript)
    : form(desktop, transcript),
      settei(transcript),
      about(transcript),
      kensa(transcript),
      renumber(transcript),
      desktop_(desktop),
      folder_(std::move(folder)),
      folder_text_(std::move(folder_text)),
      transcript_(transcript) {}

std::shared_ptr<korvel::_PwAcad> SimHost::CreatePwAcad() { return std::make_shared<korvel::PwAcad>(); }

std::filesystem::path SimHost::DrawingFile(std::u16string_view acad_path) {
  const std::size_t sep = acad_path.find_last_of(u"\\/");
  return drawing_folder /
         std::u16string(sep == std::u16string_view::npos ? acad_path : acad_path.substr(sep + 1));
}

void SimHost::EndProgram() {
  if (ended) return;
  ended = true;
  transcript_.Add("  program ended");
}

}  // namespace scenario
