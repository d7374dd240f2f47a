// The simulated desktop: scripted windows, a virtual clock, message boxes,
// launchable programs and a real temporary folder. Deterministic and fast: a
// sixty-second time-out costs microseconds.
#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/event_queue.h"

namespace platform::sim {

// Window messages the simulation logs, with user32's numbers.
inline constexpr std::uint32_t kWmNull = 0x0000;
inline constexpr std::uint32_t kWmGetText = 0x000D;
inline constexpr std::uint32_t kWmGetTextLength = 0x000E;
inline constexpr std::uint32_t kWmCopyData = 0x004A;

// What a window is and how its owning program answers messages.
struct WindowSpec {
  std::u16string class_name{};
  std::u16string title{};  // the internal title (GetWindowText)
  Hwnd parent = 0;
  std::uint32_t thread = 0;
  std::uint32_t process = 0;
  bool visible = true;
  // WM_GETTEXT / WM_GETTEXTLENGTH answer with this text when set; otherwise
  // with the title, as DefWindowProc does.
  std::function<std::u16string()> text = nullptr;
  // WM_COPYDATA: the bytes of lpData (cbData of them) and dwData. The result is
  // what SendMessage returns; 0 means refused.
  std::function<std::intptr_t(std::uintptr_t tag, std::span<const std::byte> data)> on_copy_data = nullptr;
  // A posted WM_NULL, delivered at the next pump pass or sleep.
  std::function<void()> on_null = nullptr;
};

struct Window {
  Hwnd handle = 0;
  WindowSpec traits;
  bool alive = true;
  Hwnd last_active_popup = 0;  // 0: the window itself
  bool hung = false;           // sent messages time out (result 0) after their bound
  // Busy until the desktop's Elapsed() reaches this: a sent message waits for
  // it (the virtual clock runs meanwhile) or times out after its bound.
  std::uint64_t busy_until = 0;
  bool class_fails = false;  // GetClassName fails
  bool foreground_fails = false;
};

// One message a simulated window was sent or posted.
struct LoggedMessage {
  std::uint32_t tick = 0;
  Hwnd window = 0;
  std::uint32_t message = 0;
  std::uintptr_t wparam = 0;  // dwData for WM_COPYDATA
  std::uint32_t cb_data = 0;  // WM_COPYDATA
  std::string buffer;         // WM_COPYDATA: the whole buffer handed over
  std::intptr_t result = 0;
  bool posted = false;
};

struct MessageBoxRecord {
  Hwnd owner = 0;
  std::u16string text;
  std::u16string caption;
  std::uint32_t style = 0;
};

// A program the simulated shell can start by path.
struct LaunchableProgram {
  std::uint64_t idle_after_ms = 0;  // WaitForInputIdle succeeds from then on
  // Called when the program starts; it may schedule its windows on the queue.
  std::function<void(std::uint32_t process_id)> start;
};

class Desktop final : public Platform,
                      private WindowSystem,
                      private Processes,
                      private Files,
                      private Dialogs {
 public:
  explicit Desktop(std::uint32_t start_tick = 0);
  ~Desktop() override;
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;

  // Platform.
  WindowSystem& Windows() override { return *this; }
  Clock& Time() override { return clock_; }
  Processes& Programs() override { return *this; }
  Files& Folders() override { return *this; }
  TextCodec& Codec() override { return *codec_; }
  Dialogs& Boxes() override { return *this; }

  // --- Windows -----------------------------------------------------------
  // New windows go to the end of the enumeration order unless at_front.
  Hwnd CreateWindow(WindowSpec traits, bool at_front = false);
  Window& Get(Hwnd window);
  // Destroys the window and its descendants.
  void DestroyWindow(Hwnd window);
  void SetVisible(Hwnd window, bool visible) { Get(window).traits.visible = visible; }
  // The window's program answers no message for the next ms milliseconds.
  void BusyFor(Hwnd window, std::uint64_t ms) { Get(window).busy_until = clock_.Elapsed() + ms; }
  // The window's program raises the event that its text changed (what a
  // window does through NotifyWinEvent): text watches on it wake.
  void TextChanged(Hwnd window);
  // Text watches made and not yet ended.
  std::size_t TextWatches() const { return watches_.size(); }
  std::uint32_t NewProcessId() { return next_process_id_++; }
  std::uint32_t NewThreadId() { return next_thread_id_++; }

  // The messages sent or posted to simulated windows, in order: every one,
  // up to kLogLimit; past that the older half is dropped, so that a program
  // polling a window for hours of virtual time runs in bounded memory.
  static constexpr std::size_t kLogLimit = 20000;
  const std::vector<LoggedMessage>& Log() const { return log_; }
  void ClearLog() { log_.clear(); }
  // Sees every message as it is logged, also past kLogLimit: a benchmark
  // counts the prompt reads of a long run with it.
  std::function<void(const LoggedMessage&)> on_message;
  Hwnd Foreground() const { return foreground_; }

  // --- Time and the user -----------------------------------------------
  EventQueue& Queue() { return clock_; }
  // Something that happens at now + delay_ms regardless of the caller's thread
  // (a CAD command finishing, a window closing).
  void After(std::uint64_t delay_ms, std::function<void()> action) {
    clock_.After(delay_ms, std::move(action));
  }
  // A user-interface event for the calling program's own windows (a button
  // click): it becomes due at now + delay_ms and is delivered by the first
  // message-pump pass after that.
  void UserEvent(std::uint64_t delay_ms, std::function<void()> handler);
  std::uint64_t PumpPasses() const { return pump_passes_; }

  // --- Message boxes -----------------------------------------------------
  const std::vector<MessageBoxRecord>& ShownBoxes() const { return boxes_; }
  // The next box returns this answer; without one a box returns the answer of
  // its first button (OK or Yes).
  void AnswerNextBox(std::int32_t answer) { answers_.push_back(answer); }
  // Runs while a box is shown (the box's own message loop), before it returns.
  std::function<void(const MessageBoxRecord&)> on_box;

  // --- Programs and files ------------------------------------------------
  // A path the shell can open (PathFileExists is true for it).
  void AddProgram(std::u16string path, LaunchableProgram program);
  void AddFile(std::u16string path) { files_.push_back(std::move(path)); }
  void RefuseLaunches(bool refuse) { refuse_launch_ = refuse; }
  // Ends a started process with the given exit code.
  void EndProcess(std::uint32_t process_id, std::uint32_t exit_code);
  // Process handles given out and not yet closed.
  std::size_t OpenProcessHandles() const { return processes_.size(); }
  // The real folder on disk that stands for the temporary folder; made at
  // construction and removed with the desktop.
  const std::filesystem::path& TempFolder() const { return temp_folder_; }
  void SetProgramFolder(std::u16string folder) { program_folder_ = std::move(folder); }
  // Makes GetTempPath report this many bytes: as if the path were different.
  void SetTempPathAnsi(std::optional<std::string> bytes) { temp_override_ = std::move(bytes); }

 private:
  struct Process {
    std::uint32_t id = 0;
    std::uint64_t started_at = 0;
    std::uint64_t idle_after = 0;
    bool running = true;
    std::uint32_t exit_code = 0;
  };

  // WindowSystem.
  bool EnumWindows(const EnumWindowsCallback& callback) override;
  bool EnumChildWindows(Hwnd parent, const EnumWindowsCallback& callback) override;
  int TitleLength(Hwnd window) override;
  std::u16string Title(Hwnd window, int buffer_bytes) override;
  std::u16string ClassName(Hwnd window, int buffer_bytes) override;
  std::uint32_t GetWindowThreadProcessId(Hwnd window, std::uint32_t* process_id) override;
  bool IsWindow(Hwnd window) override;
  bool IsWindowVisible(Hwnd window) override;
  std::intptr_t SendCopyData(Hwnd window, std::uintptr_t tag, std::span<const std::byte> buffer,
                             std::uint32_t cb_data, const SendLimit& limit = {}) override;
  std::intptr_t SendGetTextLength(Hwnd window, const SendLimit& limit = {}) override;
  std::u16string SendGetText(Hwnd window, int buffer_bytes, std::intptr_t* copied,
                             const SendLimit& limit = {}) override;
  bool PostNull(Hwnd window) override;
  Hwnd GetLastActivePopup(Hwnd window) override;
  bool SetForegroundWindow(Hwnd window) override;
  void PumpMessages() override;
  std::unique_ptr<TextWatch> WatchText(Hwnd window) override;

  // Processes.
  bool FileExists(std::u16string_view path) override;
  bool ShellExecuteOpen(std::u16string_view file, std::u16string_view parameters, Hwnd owner,
                        bool want_process, ProcessHandle* process) override;
  std::int32_t WaitForInputIdle(ProcessHandle process, std::uint32_t ms) override;
  bool GetExitCodeProcess(ProcessHandle process, std::uint32_t* code) override;
  void CloseHandle(ProcessHandle process) override;

  // Files.
  std::string TempPathAnsi(int buffer_bytes) override;
  std::u16string ProgramFolder() override;

  // Dialogs.
  std::int32_t ShowBox(Hwnd owner, std::u16string_view text, std::u16string_view caption,
                       std::uint32_t style) override;

  Window* Find(Hwnd window);
  // The receiver of a sent message once it answers: waits (the clock runs) for
  // a busy window up to the limit. Null when it is gone or did not answer.
  Window* Answering(Hwnd window, const SendLimit& limit);
  bool IsDescendant(const Window& window, Hwnd ancestor);
  std::string Truncated(std::u16string_view text, int buffer_bytes);

  EventQueue clock_;
  std::unique_ptr<TextCodec> codec_;
  std::map<Hwnd, Window> windows_;
  std::vector<Hwnd> order_;  // enumeration order
  Hwnd next_handle_ = 0x00010010;
  std::uint32_t next_process_id_ = 0x100;
  std::uint32_t next_thread_id_ = 0x200;
  Hwnd foreground_ = 0;
  void Record(LoggedMessage m);
  std::vector<LoggedMessage> log_;
  std::deque<std::function<void()>> ui_events_;
  std::uint64_t pump_passes_ = 0;
  class SimTextWatch;
  std::vector<SimTextWatch*> watches_;
  std::vector<MessageBoxRecord> boxes_;
  std::deque<std::int32_t> answers_;
  std::map<std::u16string, LaunchableProgram> programs_;
  std::vector<std::u16string> files_;
  std::map<ProcessHandle, Process> processes_;
  ProcessHandle next_process_handle_ = 0x40;
  bool refuse_launch_ = false;
  std::filesystem::path temp_folder_;
  std::optional<std::string> temp_override_;
  std::u16string program_folder_;
};

}  // namespace platform::sim
