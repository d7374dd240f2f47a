// cadsim's AutoCAD: a command line over a drawing.
//
// Typed input arrives as copy-data messages (code-page bytes up to the first
// NUL); consecutive messages are one stream of keystrokes, so a command split
// over several messages reads as if typed at once. Ctrl+C cancels, Enter and
// line feed end an input, and a blank ends one too except at prompts that take
// blanks literally (file names, attribute values). An input longer than
// kLongestInput characters is refused whole with a message, and its prompt
// waits again. The command line's text is
// the current prompt and what has been typed after it; the history holds the
// finished lines, the newest last, with no line end after it.
//
// The Cad knows nothing of windows: a host shows it (the simulated desktop,
// real Win32 windows) and supplies time and the code page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cadsim/drawing.h"
#include "cadsim/release_profile.h"
#include "platform/text_codec.h"

namespace cadsim {

// The longest single input the command line takes, as the link library's
// kLongestTypedInput (link/control_codes.h) counts it.
inline constexpr std::size_t kLongestInput = 1024;

struct Host {
  virtual ~Host() = default;
  // Runs fn after ms milliseconds of the host's clock.
  virtual void After(std::uint32_t ms, std::function<void()> fn) = 0;
  virtual platform::TextCodec& Codec() = 0;
  // Prompt, history or title changed.
  virtual void Changed() {}
  // The "windows vanish" fault: the host takes its windows away.
  virtual void Vanish() {}
  // The "busy" fault: from now on, for ms milliseconds of the host's clock,
  // the program answers no message, as when AutoCAD writes a large file.
  virtual void Busy(std::uint32_t /*ms*/) {}
  // A modal dialog box opens over the main window (title), or closes.
  virtual void DialogShown(std::u16string_view /*title*/) {}
  virtual void DialogClosed() {}
};

// What the user does with the pointing device or the Esc key.
struct UserAction {
  enum Kind { kPickEntity, kPickPoint, kMiss, kEscape };
  Kind kind = kEscape;
  Handle handle = 0;           // kPickEntity
  Point point;                 // kPickPoint (a pick at a point hits what lies there)
  std::uint32_t delay_ms = 0;  // after the prompt that waits for it appears

  static UserAction Pick(Handle h, std::uint32_t delay = 0) { return {kPickEntity, h, {}, delay}; }
  static UserAction PickAt(Point p, std::uint32_t delay = 0) { return {kPickPoint, 0, p, delay}; }
  static UserAction Nothing(std::uint32_t delay = 0) { return {kMiss, 0, {}, delay}; }
  static UserAction Escape(std::uint32_t delay = 0) { return {kEscape, 0, {}, delay}; }
};

// Faults a test switches on.
struct Faults {
  // Commands finish (their effect and the command prompt) this long after
  // their last input; typed input waits meanwhile.
  std::uint32_t finish_after_ms = 0;
  // Commands never finish: the command prompt does not come back.
  bool prompt_never_returns = false;
  // Only this command (its English name, "SAVEAS", "INSERT" or "-INSERT",
  // any command cadsim runs) is affected; empty: all.
  std::u16string only_command;
  // Copy-data messages are refused (the sender sees 0).
  bool refuse_copy_data = false;
  // The windows vanish this long after the next affected command starts.
  std::optional<std::uint32_t> vanish_after_ms;
  // Affected commands keep AutoCAD busy this long as they finish: its windows
  // answer no message meanwhile, the effect and the command prompt come at
  // the end, and a file the command writes is there only in part until then.
  std::uint32_t busy_for_ms = 0;
};

// One prompt of a running command.
struct Question {
  std::u16string prompt;
  bool literal_blanks = false;
  std::function<void(std::u16string_view answer)> answer;
  // Set on prompts that wait for the user's pick (objects, points).
  std::function<void(const UserAction&)> on_user;
  // Not a prompt but a modal dialog box with this title: typed input waits
  // until it closes, the command line shows no prompt, and the user's next
  // action closes it (Esc cancels the command, anything else is OK).
  std::u16string dialog;
};

class Cad {
 public:
  Cad(Host& host, int release, Drawing drawing, std::u16string drawing_path);
  Cad(const Cad&) = delete;
  Cad& operator=(const Cad&) = delete;

  // --- The outside: what a host and a test see ---------------------------
  // A WM_COPYDATA message. Only data tag 1 is input. False when refused.
  bool Receive(std::uintptr_t tag, std::span<const std::byte> data);
  // Keystrokes typed on the keyboard (3 is Ctrl+C, 13 Enter).
  void Type(std::u16string_view keys);
  std::u16string Prompt() const;
  std::u16string History() const;
  const std::vector<std::u16string>& HistoryLines() const { return history_; }
  const ReleaseProfile& Release() const { return release_; }
  std::u16string MainTitle() const { return release_.MainTitle(drawing_path_); }
  std::u16string TextTitle() const { return release_.TextTitle(drawing_path_); }
  Drawing& TheDrawing() { return drawing_; }
  Faults& TheFaults() { return faults_; }
  // The scripted user: the next action is carried out delay_ms after a prompt
  // that waits for the user appears, if that prompt still waits then;
  // otherwise it waits for the next such prompt. With none left, cadsim waits.
  void Script(UserAction action) { script_.push_back(action); }
  std::size_t ScriptLeft() const { return script_.size(); }
  // The user acts now (a click in a real window).
  void Act(const UserAction& action);
  bool WaitingForUser() const { return pending_ && pending_->on_user; }
  bool InDialog() const { return pending_ && !pending_->dialog.empty(); }
  bool Busy() const { return busy_; }
  // Folders searched for a block file that is not where -INSERT says.
  std::vector<std::u16string>& BlockFolders() { return block_folders_; }
  // Folders named in AutoCAD's (Windows) terms and the folders of this
  // machine that stand for them: the simulated desktop has no
  // "C:\Program Files\Plendra", so the host says where its files really lie.
  std::vector<std::pair<std::u16string, std::u16string>>& FolderMap() { return folder_map_; }
  // The file of this machine for a path typed at a file-name prompt: a mapped
  // folder replaced, and off Windows the backslashes made separators.
  std::filesystem::path LocalFile(std::u16string_view path) const;
  // The entity a pick at p hits (within pick_tolerance drawing units), or 0.
  // Only what is shown can be hit: nothing on a layer that is off or
  // frozen. A dimension is hit at its lines, arrows and text, a block
  // reference near its insertion point.
  Handle HitTest(const Point& p) const;
  // The entity the user's pick selects (an entity picked by handle only if
  // it is shown), or 0.
  Handle Picked(const UserAction& action) const;
  // Whether the entity's layer is neither off nor frozen.
  bool Shown(const Entity& entity) const;
  double pick_tolerance = 50;
  // Whether SAVEAS makes the file it saved the current drawing (its name in
  // the titles, DWGNAME and DWGPREFIX), as AutoCAD does; false models a
  // release that keeps the drawing's own name.
  bool saveas_renames = true;
  // How long every command takes: it finishes (its effect and the command
  // prompt) this long after its last input arrived, on the host's clock, and
  // the command line shows that input meanwhile; typed input waits, as
  // AutoCAD reads the next line only when the command is done. 0: at once.
  // Unlike the faults it applies to every command; a fault that makes a
  // command slower still does.
  std::uint32_t command_ms = 0;
  // Commands that finished so far (by Finish): a benchmark's measure of
  // AutoCAD's own share of the time.
  std::uint64_t CommandsFinished() const { return commands_finished_; }
  // Counts the commands, finished or cancelled, that may have changed the
  // drawing, the view or the UCS: a host draws the drawing again when it moves.
  std::uint64_t DrawingChanges() const { return drawing_changes_; }

  // --- For the commands --------------------------------------------------
  void Ask(Question question);
  // Asks the last question again (after an invalid answer).
  void Again();
  void Say(std::u16string line);
  // The command is done; effect runs when it finishes (at once, or later
  // when a fault slows it down).
  void Finish(std::function<void()> effect = {});
  std::vector<Handle>& PreviousSelection() { return previous_; }
  // System variables that are not part of the drawing's tables, by upper-case
  // name, as text (FILEDIA, ATTREQ, ...).
  std::map<std::u16string, std::u16string>& Settings() { return settings_; }
  platform::TextCodec& Codec() { return host_.Codec(); }
  std::u16string& DrawingPath() { return drawing_path_; }
  bool UcsIsWorld() const { return ucs_world_; }
  // Width to height of the (imagined) drawing area: a ZOOM height of 300
  // shows 400 units across.
  static constexpr double kViewAspect = 4.0 / 3.0;
  // The view as ZOOM last set it; cadsim draws on no screen. Until a ZOOM
  // Center or Window sets it, the whole drawing counts as shown.
  struct ViewState {
    Point center;
    double height = 1000;
    bool set = false;
    double Width() const { return height * kViewAspect; }
  };
  // Whether the rectangle (low, high) lies within what the view shows, or,
  // with crossing, touches it; the window or crossing that selects it is
  // itself cut to the view first.
  bool InWindow(Point low, Point high, Point corner1, Point corner2, bool crossing) const;
  ViewState& View() { return view_; }
  // The views before each ZOOM, the newest last, for ZOOM Previous.
  std::vector<ViewState>& PreviousViews() { return previous_views_; }

  // What U restores: the drawing, the view and the UCS as they were.
  struct State {
    Drawing drawing;
    ViewState view;
    bool ucs_world = true;
    std::vector<bool> ucs_previous;
  };
  // The undo record, oldest entry first. Every command typed at the command
  // prompt (UNDO and U aside) leaves one entry holding the state before it;
  // UNDO BEgin and End bracket a group that U takes back as a whole, UNDO
  // Mark leaves a mark for UNDO Back.
  struct UndoEntry {
    enum Kind { kCommand, kBegin, kEnd, kMark };
    Kind kind = kCommand;
    std::u16string name;  // kCommand: as U reports it
    // kBegin, and kCommand unless the command changes nothing U restores.
    std::shared_ptr<const State> before;
  };
  struct UndoRecord {
    std::vector<UndoEntry> entries;
    bool group_open = false;
    bool auto_on = true;
  };
  UndoRecord& Undo() { return undo_; }
  std::shared_ptr<const State> Now() const;
  void Restore(const State& state);
  void SetUcs(bool world);
  bool PreviousUcs();
  Host& TheHost() { return host_; }
  // Whether the faults apply to the command running now.
  bool Affected() const;
  // host.After, but nothing runs once this Cad is gone.
  void Later(std::uint32_t ms, std::function<void()> fn);

 private:
  void Pump();
  void Deliver();
  void Cancel();
  void RunCommand(std::u16string_view name);
  void ShowCommandPrompt();
  void Changed();

  Host& host_;
  ReleaseProfile release_;
  Drawing drawing_;
  std::u16string drawing_path_;
  ViewState view_;
  std::vector<ViewState> previous_views_;
  UndoRecord undo_;
  Faults faults_;
  std::deque<UserAction> script_;
  std::vector<std::u16string> block_folders_;
  std::vector<std::pair<std::u16string, std::u16string>> folder_map_;

  std::string pending_bytes_;  // a lead byte whose trail byte is still to come
  std::u16string input_;       // typed and not yet read
  std::u16string token_;       // the answer being typed
  bool overlong_ = false;      // the answer being typed ran past what a line holds
  std::optional<Question> pending_;
  Question last_question_;
  std::u16string shown_prompt_;
  std::vector<std::u16string> history_;
  std::u16string command_;       // running command, upper case; empty at the command prompt
  std::u16string last_command_;  // what Enter at an empty command prompt repeats
  bool busy_ = false;
  std::uint64_t commands_finished_ = 0;
  std::uint64_t drawing_changes_ = 0;
  bool command_keeps_state_ = false;  // the command running changes nothing U restores
  bool pumping_ = false;
  bool dialog_shown_ = false;
  std::uint64_t wait_serial_ = 0;
  std::vector<Handle> previous_;
  std::map<std::u16string, std::u16string> settings_;
  bool ucs_world_ = true;
  std::vector<bool> ucs_previous_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace cadsim
