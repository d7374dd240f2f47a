#include "cadsim/cad.h"

#include <algorithm>
#include <cmath>

#include "cadsim/scene.h"
#include "commands/commands.h"

namespace cadsim {
namespace {

constexpr std::size_t kHistoryLines = 400;  // AutoCAD's text window keeps a few hundred

bool LeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

double Distance(const Point& a, const Point& b) { return std::hypot(a.x - b.x, a.y - b.y); }

double DistanceToSegment(const Point& p, const Point& a, const Point& b) {
  const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
  if (len2 == 0) return Distance(p, a);
  const double t = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / len2, 0.0, 1.0);
  return Distance(p, Point{a.x + t * dx, a.y + t * dy, 0});
}

}  // namespace

Cad::Cad(Host& host, int release, Drawing drawing, std::u16string drawing_path)
    : host_(host),
      release_(Profile(release)),
      drawing_(std::move(drawing)),
      drawing_path_(std::move(drawing_path)) {
  drawing_.Complete();
  ShowCommandPrompt();
}

void Cad::Later(std::uint32_t ms, std::function<void()> fn) {
  host_.After(ms, [alive = std::weak_ptr<bool>(alive_), fn = std::move(fn)] {
    if (alive.lock()) fn();
  });
}

bool Cad::Receive(std::uintptr_t tag, std::span<const std::byte> data) {
  if (faults_.refuse_copy_data || tag != 1) return false;
  // The buffer may be longer than its text: AutoCAD reads up to the NUL.
  std::string bytes = pending_bytes_;
  for (std::byte b : data) {
    if (b == std::byte{0}) break;
    bytes += static_cast<char>(b);
  }
  // A double-byte character split between two messages waits for its second
  // byte. Control characters and blanks are never second bytes in code page
  // 932, so the keystrokes that matter are always seen whole.
  std::size_t whole = 0;
  while (whole < bytes.size()) {
    const std::size_t step = LeadByte(static_cast<unsigned char>(bytes[whole])) ? 2 : 1;
    if (whole + step > bytes.size()) break;
    whole += step;
  }
  pending_bytes_ = bytes.substr(whole);
  bytes.resize(whole);
  Type(Codec().FromAnsi(bytes));
  return true;
}

void Cad::Type(std::u16string_view keys) {
  input_ += keys;
  Pump();
  Changed();
}

std::u16string Cad::Prompt() const { return shown_prompt_ + token_; }

std::u16string Cad::History() const {
  std::u16string all;
  for (const std::u16string& line : history_) {
    if (!all.empty()) all += u"\r\n";
    all += line;
  }
  return all;
}

void Cad::Say(std::u16string line) {
  history_.push_back(std::move(line));
  if (history_.size() > kHistoryLines) history_.erase(history_.begin());
}

void Cad::Changed() {
  if (InDialog() != dialog_shown_) {
    dialog_shown_ = InDialog();
    if (dialog_shown_)
      host_.DialogShown(pending_->dialog);
    else
      host_.DialogClosed();
  }
  host_.Changed();
}

void Cad::Pump() {
  if (pumping_) return;  // a command answering inside Deliver: the outer loop goes on
  pumping_ = true;
  // Keystrokes that arrive while a dialog box is up wait for it to close,
  // and then go to whatever prompt follows.
  // Characters are read by position and the read part dropped once at the
  // end: erasing each from the front made a long input cost the square of
  // its length.
  std::size_t read = 0;
  while (!busy_ && !InDialog() && read < input_.size()) {
    const char16_t c = input_[read++];
    const bool literal = pending_ && pending_->literal_blanks;
    if (c == 3)
      Cancel();
    else if (c == u'\r' || c == u'\n' || (c == u' ' && !literal))
      Deliver();
    else if (token_.size() < kLongestInput)
      token_ += c;
    else
      overlong_ = true;
  }
  input_.erase(0, read);
  pumping_ = false;
}

void Cad::Deliver() {
  std::u16string answer = std::move(token_);
  token_.clear();
  if (overlong_) {
    // AutoCAD takes no more than its line holds: the input is refused as a
    // whole and the same prompt waits again.
    overlong_ = false;
    Say(shown_prompt_ + answer);
    const std::string limit = std::to_string(kLongestInput);
    Say(u"入力が長すぎます。" + std::u16string(limit.begin(), limit.end()) + u" 文字までです。");
    return;
  }
  Say(shown_prompt_ + answer);
  if (pending_) {
    Question q = std::move(*pending_);
    pending_.reset();
    last_question_ = q;
    q.answer(answer);
  } else {
    RunCommand(answer);
  }
  if (!pending_ && !busy_ && !command_.empty()) {
    command_.clear();
    ShowCommandPrompt();
  }
}

void Cad::Cancel() {
  // A command cancelled half-way (an -ATTEDIT after some of its entries) may
  // have changed the drawing already.
  if (!command_.empty() && !command_keeps_state_) ++drawing_changes_;
  Say(shown_prompt_ + token_ + release_.cancel_marker);
  token_.clear();
  overlong_ = false;
  command_.clear();
  ShowCommandPrompt();
}

void Cad::RunCommand(std::u16string_view typed) {
  std::u16string name = commands::Upper(typed);
  while (!name.empty() && (name.front() == u'_' || name.front() == u'.')) name.erase(0, 1);
  if (name.empty()) {
    // Enter at an empty command prompt repeats the last command, as AutoCAD does.
    if (last_command_.empty()) return ShowCommandPrompt();
    name = last_command_;
  }
  std::u16string canonical;
  commands::Command command = commands::Find(name, &canonical);
  command_ = command ? canonical : name;
  if (faults_.vanish_after_ms && Affected()) {
    const std::uint32_t ms = *faults_.vanish_after_ms;
    faults_.vanish_after_ms.reset();
    Later(ms, [this] { host_.Vanish(); });
  }
  // The state before the command, for U; UNDO and U themselves only move
  // through the record. A command that changes nothing U restores (a
  // selection, an export, a setting of the session read or set) keeps no
  // copy of the drawing: copying it for each of them took seconds of a
  // lookup's time with a large drawing.
  const bool undoable = canonical != u"U" && canonical != u"UNDO";
  const bool keeps = command ? commands::KeepsState(canonical) : commands::VariableKeepsState(*this, name);
  if (undoable)
    undo_.entries.push_back({UndoEntry::kCommand, command ? canonical : name, keeps ? nullptr : Now()});
  command_keeps_state_ = keeps;
  if (command) {
    last_command_ = canonical;
    command(*this);
  } else if (commands::Variable(*this, name)) {
    last_command_ = name;
  } else {
    if (undoable) undo_.entries.pop_back();
    Say(u"\"" + std::u16string(typed) + u"\" は不明なコマンドです。F1 キーを押すとヘルプが表示されます。");
    command_.clear();
    ShowCommandPrompt();
  }
}

void Cad::ShowCommandPrompt() {
  pending_.reset();
  shown_prompt_ = release_.command_prompt;
}

bool Cad::Affected() const {
  // A command is named with or without its command-line "-" and its
  // English-name "_": INSERT, -INSERT and _-INSERT are the same command.
  const auto bare = [](std::u16string_view name) {
    while (!name.empty() && (name.front() == u'-' || name.front() == u'_')) name.remove_prefix(1);
    return name;
  };
  return !command_.empty() &&
         (faults_.only_command.empty() || SameName(bare(faults_.only_command), bare(command_)));
}

void Cad::Ask(Question question) {
  shown_prompt_ = question.prompt;
  pending_ = std::move(question);
  const std::uint64_t serial = ++wait_serial_;
  if (pending_->on_user && !script_.empty()) {
    // The user acts delay_ms after this prompt appears, if it still waits
    // then; a wait that ended otherwise (typed input, a cancel) leaves the
    // action for the next prompt that waits for the user.
    Later(script_.front().delay_ms, [this, serial] {
      if (serial != wait_serial_ || !WaitingForUser() || busy_ || script_.empty()) return;
      const UserAction action = script_.front();
      script_.pop_front();
      Act(action);
    });
  }
}

void Cad::Again() { Ask(last_question_); }

void Cad::Finish(std::function<void()> effect) {
  ++commands_finished_;
  const bool affected = Affected();
  const bool faulty =
      affected && (faults_.prompt_never_returns || faults_.finish_after_ms > 0 || faults_.busy_for_ms > 0);
  if (faulty || command_ms > 0) {
    busy_ = true;
    pending_.reset();
    // The last line typed stays in the command line while the command works.
    shown_prompt_ = history_.empty() ? std::u16string() : history_.back();
    if (affected && faults_.prompt_never_returns) return;
    const std::uint32_t busy_ms = affected ? faults_.busy_for_ms : 0;
    const std::uint32_t late_ms = affected ? faults_.finish_after_ms : 0;
    if (busy_ms > 0) host_.Busy(busy_ms);
    Later(std::max({command_ms, late_ms, busy_ms}),
          [this, effect = std::move(effect), keeps = command_keeps_state_] {
            if (effect) effect();
            if (!keeps) ++drawing_changes_;
            busy_ = false;
            command_.clear();
            ShowCommandPrompt();
            Pump();
            Changed();
          });
    return;
  }
  if (effect) effect();
  if (!command_keeps_state_) ++drawing_changes_;
  command_.clear();
  ShowCommandPrompt();
}

void Cad::Act(const UserAction& action) {
  if (busy_) {
    if (action.kind == UserAction::kEscape) input_ += u'\x03';
    return;
  }
  if (action.kind == UserAction::kEscape) {
    Cancel();
  } else if (WaitingForUser()) {
    Question q = std::move(*pending_);
    pending_.reset();
    last_question_ = q;
    if (q.dialog.empty()) Say(shown_prompt_);
    token_.clear();
    q.on_user(action);
    if (!pending_ && !busy_ && !command_.empty()) {
      command_.clear();
      ShowCommandPrompt();
    }
  }
  Pump();
  Changed();
}

bool Cad::Shown(const Entity& entity) const {
  const Layer* l = const_cast<Drawing&>(drawing_).FindLayer(CommonOf(entity).layer);
  return !l || !(l->off || l->frozen);
}

Handle Cad::Picked(const UserAction& action) const {
  if (action.kind == UserAction::kPickPoint) return HitTest(action.point);
  if (action.kind != UserAction::kPickEntity) return 0;
  const Entity* e = const_cast<Drawing&>(drawing_).FindEntity(action.handle);
  return e && Shown(*e) ? action.handle : 0;
}

Handle Cad::HitTest(const Point& p) const {
  Handle best = 0;
  double best_distance = pick_tolerance;
  for (const Entity& e : drawing_.entities) {
    if (!Shown(e)) continue;
    double d = Distance(p, ReferencePoint(e));
    if (const auto* l = std::get_if<Line>(&e)) d = DistanceToSegment(p, l->start, l->end);
    if (const auto* c = std::get_if<Circle>(&e)) d = std::abs(Distance(p, c->center) - c->radius);
    if (const auto* n = std::get_if<Insert>(&e))
      d = std::max(0.0, Distance(p, n->position) - std::abs(n->sx));
    if (std::holds_alternative<Dimension>(e) || std::holds_alternative<Foreign>(e)) {
      // What is drawn of it: a dimension's lines and arrowheads from its
      // block, its text where it stands.
      const Scene drawn = MakeScene(drawing_, e);
      for (const Segment& s : drawn.segments) d = std::min(d, DistanceToSegment(p, s.a, s.b));
      for (const Label& t : drawn.labels) d = std::min(d, Distance(p, t.at));
    }
    if (d <= best_distance) {
      best_distance = d;
      best = CommonOf(e).handle;
    }
  }
  return best;
}

bool Cad::InWindow(Point low, Point high, Point corner1, Point corner2, bool crossing) const {
  // Only what the view shows can be found: the window is cut to it.
  double left = std::min(corner1.x, corner2.x), right = std::max(corner1.x, corner2.x);
  double bottom = std::min(corner1.y, corner2.y), top = std::max(corner1.y, corner2.y);
  if (view_.set) {
    left = std::max(left, view_.center.x - view_.Width() / 2);
    right = std::min(right, view_.center.x + view_.Width() / 2);
    bottom = std::max(bottom, view_.center.y - view_.height / 2);
    top = std::min(top, view_.center.y + view_.height / 2);
    if (left > right || bottom > top) return false;
  }
  if (crossing) return low.x <= right && high.x >= left && low.y <= top && high.y >= bottom;
  return low.x >= left && high.x <= right && low.y >= bottom && high.y <= top;
}

std::filesystem::path Cad::LocalFile(std::u16string_view path) const {
  std::u16string local(path);
  for (const auto& [windows, here] : folder_map_) {
    const std::size_t n = windows.size();
    if (local.size() > n && SameName(std::u16string_view(local).substr(0, n), windows) &&
        (local[n] == u'\\' || local[n] == u'/')) {
      local = here + u"/" + local.substr(n + 1);
      break;
    }
  }
#ifndef _WIN32
  for (char16_t& c : local)
    if (c == u'\\') c = u'/';
#endif
  return std::filesystem::path(local);
}

std::shared_ptr<const Cad::State> Cad::Now() const {
  return std::make_shared<const State>(State{drawing_, view_, ucs_world_, ucs_previous_});
}

void Cad::Restore(const State& state) {
  drawing_ = state.drawing;
  view_ = state.view;
  ucs_world_ = state.ucs_world;
  ucs_previous_ = state.ucs_previous;
}

void Cad::SetUcs(bool world) {
  ucs_previous_.push_back(ucs_world_);
  ucs_world_ = world;
}

bool Cad::PreviousUcs() {
  if (ucs_previous_.empty()) return false;
  ucs_world_ = ucs_previous_.back();
  ucs_previous_.pop_back();
  return true;
}

}  // namespace cadsim
