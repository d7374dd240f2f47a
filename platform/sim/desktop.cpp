#include "platform/sim/desktop.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <stdexcept>
#include <system_error>

#include "platform/ansi_codec.h"

namespace platform::sim {

Desktop::Desktop(std::uint32_t start_tick) : clock_(start_tick), codec_(MakeAnsiCodec(932)) {
  // A folder of our own under the system's temporary folder. mkdtemp is POSIX
  // only; create_directory reports an existing name instead, so a random name
  // that collides is simply drawn again.
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[32];
    std::snprintf(name, sizeof name, "plendra-sim-%012llx",
                  static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
    if (std::filesystem::create_directory(base / name)) {
      temp_folder_ = base / name;
      return;
    }
  }
  throw std::runtime_error("cannot make a temporary folder for the simulated desktop");
}

Desktop::~Desktop() {
  std::error_code ignored;
  std::filesystem::remove_all(temp_folder_, ignored);
}

// ---------------------------------------------------------------- windows

Hwnd Desktop::CreateWindow(WindowSpec traits, bool at_front) {
  const Hwnd handle = next_handle_;
  next_handle_ += 4;  // user32 handles advance in steps too; 0 is never used
  Window window;
  window.handle = handle;
  window.traits = std::move(traits);
  windows_.emplace(handle, std::move(window));
  if (at_front)
    order_.insert(order_.begin(), handle);
  else
    order_.push_back(handle);
  return handle;
}

Window* Desktop::Find(Hwnd window) {
  auto it = windows_.find(window);
  return it == windows_.end() || !it->second.alive ? nullptr : &it->second;
}

Window& Desktop::Get(Hwnd window) {
  auto it = windows_.find(window);
  if (it == windows_.end()) throw std::out_of_range("no simulated window with that handle");
  return it->second;
}

void Desktop::DestroyWindow(Hwnd window) {
  Window* w = Find(window);
  if (w == nullptr) return;
  w->alive = false;
  for (auto& [handle, other] : windows_)
    if (other.alive && IsDescendant(other, window)) other.alive = false;
  if (foreground_ == window) foreground_ = 0;
}

bool Desktop::IsDescendant(const Window& window, Hwnd ancestor) {
  Hwnd parent = window.traits.parent;
  // Parent chains are short; the bound guards against a cycle a test made.
  for (int depth = 0; parent != 0 && depth < 64; ++depth) {
    if (parent == ancestor) return true;
    auto it = windows_.find(parent);
    if (it == windows_.end()) return false;
    parent = it->second.traits.parent;
  }
  return false;
}

bool Desktop::EnumWindows(const EnumWindowsCallback& callback) {
  // A snapshot: windows made or destroyed by the callback do not disturb the walk.
  std::vector<Hwnd> top;
  for (Hwnd h : order_) {
    const Window* w = Find(h);
    if (w != nullptr && w->traits.parent == 0) top.push_back(h);
  }
  for (Hwnd h : top)
    if (!callback(h)) return false;
  return true;
}

bool Desktop::EnumChildWindows(Hwnd parent, const EnumWindowsCallback& callback) {
  if (Find(parent) == nullptr) return false;
  std::vector<Hwnd> children;
  for (Hwnd h : order_) {
    const Window* w = Find(h);
    if (w != nullptr && IsDescendant(*w, parent)) children.push_back(h);
  }
  for (Hwnd h : children)
    if (!callback(h)) return false;
  return true;
}

std::string Desktop::Truncated(std::u16string_view text, int buffer_bytes) {
  std::string bytes = codec_->ToAnsi(text);
  const std::size_t room = buffer_bytes > 0 ? static_cast<std::size_t>(buffer_bytes - 1) : 0;
  if (bytes.size() > room) bytes.resize(room);
  return bytes;
}

int Desktop::TitleLength(Hwnd window) {
  const Window* w = Find(window);
  return w == nullptr ? 0 : static_cast<int>(codec_->ToAnsi(w->traits.title).size());
}

std::u16string Desktop::Title(Hwnd window, int buffer_bytes) {
  const Window* w = Find(window);
  if (w == nullptr) return {};
  std::string bytes = Truncated(w->traits.title, buffer_bytes);
  bytes.resize(std::strlen(bytes.c_str()));
  return codec_->FromAnsi(bytes);
}

std::u16string Desktop::ClassName(Hwnd window, int buffer_bytes) {
  const Window* w = Find(window);
  if (w == nullptr || w->class_fails) return {};
  return codec_->FromAnsi(Truncated(w->traits.class_name, buffer_bytes));
}

std::uint32_t Desktop::GetWindowThreadProcessId(Hwnd window, std::uint32_t* process_id) {
  const Window* w = Find(window);
  if (w == nullptr) {
    if (process_id != nullptr) *process_id = 0;
    return 0;
  }
  if (process_id != nullptr) *process_id = w->traits.process;
  return w->traits.thread;
}

bool Desktop::IsWindow(Hwnd window) { return Find(window) != nullptr; }

bool Desktop::IsWindowVisible(Hwnd window) {
  // As in user32, a window counts as visible only if its ancestors are too.
  for (Window* w = Find(window); w != nullptr; w = Find(w->traits.parent)) {
    if (!w->traits.visible) return false;
    if (w->traits.parent == 0) return true;
  }
  return false;
}

Window* Desktop::Answering(Hwnd window, const SendLimit& limit) {
  if (limit.timed_out != nullptr) *limit.timed_out = false;
  Window* w = Find(window);
  if (w == nullptr) return nullptr;
  const std::uint64_t now = clock_.Elapsed();
  if (!w->hung && w->busy_until <= now) return w;
  // The sender's thread blocks in the send: time passes, and what is due
  // meanwhile happens (the busy program finishes, or its windows go away).
  // A send without limit to a window that hangs for ever would never return;
  // the simulation reports it as timed out at once instead.
  const bool answers_in_time =
      !w->hung && (limit.ms < 0 || w->busy_until - now <= static_cast<std::uint64_t>(limit.ms));
  if (!answers_in_time) {
    // A window destroyed meanwhile ends the send at once, as in user32.
    const std::uint64_t give_up = now + static_cast<std::uint64_t>(std::max(limit.ms, 0));
    while (clock_.Elapsed() < give_up && Find(window) != nullptr) clock_.Sleep(1);
    if (limit.timed_out != nullptr) *limit.timed_out = Find(window) != nullptr;
    return nullptr;
  }
  clock_.Sleep(static_cast<std::int32_t>(w->busy_until - now));
  w = Find(window);
  return w != nullptr && !w->hung && w->busy_until <= clock_.Elapsed() ? w : nullptr;
}

void Desktop::Record(LoggedMessage m) {
  if (on_message) on_message(m);
  if (log_.size() >= kLogLimit) log_.erase(log_.begin(), log_.begin() + kLogLimit / 2);
  log_.push_back(std::move(m));
}

std::intptr_t Desktop::SendCopyData(Hwnd window, std::uintptr_t tag, std::span<const std::byte> buffer,
                                    std::uint32_t cb_data, const SendLimit& limit) {
  LoggedMessage m;
  m.tick = clock_.TickCount();
  m.window = window;
  m.message = kWmCopyData;
  m.wparam = tag;
  m.cb_data = cb_data;
  m.buffer.assign(reinterpret_cast<const char*>(buffer.data()), buffer.size());
  Window* w = Answering(window, limit);
  if (w != nullptr && w->traits.on_copy_data) {
    const std::size_t n = std::min<std::size_t>(cb_data, buffer.size());
    // The receiver may destroy windows (and so invalidate w) while it runs.
    auto handler = w->traits.on_copy_data;
    m.result = handler(tag, buffer.first(n));
  }
  const std::intptr_t result = m.result;
  Record(std::move(m));
  return result;
}

std::intptr_t Desktop::SendGetTextLength(Hwnd window, const SendLimit& limit) {
  LoggedMessage m;
  m.tick = clock_.TickCount();
  m.window = window;
  m.message = kWmGetTextLength;
  Window* w = Answering(window, limit);
  if (w != nullptr)
    m.result = static_cast<std::intptr_t>(
        codec_->ToAnsi(w->traits.text ? w->traits.text() : w->traits.title).size());
  Record(m);
  return m.result;
}

std::u16string Desktop::SendGetText(Hwnd window, int buffer_bytes, std::intptr_t* copied,
                                    const SendLimit& limit) {
  LoggedMessage m;
  m.tick = clock_.TickCount();
  m.window = window;
  m.message = kWmGetText;
  m.wparam = static_cast<std::uintptr_t>(buffer_bytes);
  std::u16string text;
  Window* w = Answering(window, limit);
  if (w != nullptr) {
    std::string bytes = Truncated(w->traits.text ? w->traits.text() : w->traits.title, buffer_bytes);
    m.result = static_cast<std::intptr_t>(bytes.size());
    bytes.resize(std::strlen(bytes.c_str()));
    text = codec_->FromAnsi(bytes);
  }
  Record(m);
  if (copied != nullptr) *copied = m.result;
  return text;
}

bool Desktop::PostNull(Hwnd window) {
  if (Find(window) == nullptr) return false;
  LoggedMessage m;
  m.tick = clock_.TickCount();
  m.window = window;
  m.message = kWmNull;
  m.posted = true;
  m.result = 1;
  Record(m);
  // The owning program handles it on its own thread: at the next moment the
  // simulation lets anything happen.
  clock_.After(0, [this, window] {
    Window* w = Find(window);
    if (w != nullptr && w->traits.on_null) {
      auto handler = w->traits.on_null;
      handler();
    }
  });
  return true;
}

Hwnd Desktop::GetLastActivePopup(Hwnd window) {
  const Window* w = Find(window);
  if (w == nullptr) return 0;
  return w->last_active_popup != 0 && Find(w->last_active_popup) != nullptr ? w->last_active_popup : window;
}

bool Desktop::SetForegroundWindow(Hwnd window) {
  const Window* w = Find(window);
  if (w == nullptr || w->foreground_fails) return false;
  foreground_ = window;
  return true;
}

void Desktop::UserEvent(std::uint64_t delay_ms, std::function<void()> handler) {
  clock_.After(delay_ms,
               [this, handler = std::move(handler)]() mutable { ui_events_.push_back(std::move(handler)); });
}

class Desktop::SimTextWatch final : public TextWatch {
 public:
  SimTextWatch(Desktop& desktop, Hwnd window) : desktop_(desktop), window_(window) {
    desktop_.watches_.push_back(this);
  }
  ~SimTextWatch() override { std::erase(desktop_.watches_, this); }
  SimTextWatch(const SimTextWatch&) = delete;
  SimTextWatch& operator=(const SimTextWatch&) = delete;

  void Reset() override { changed_ = false; }
  bool Wait(std::int32_t ms) override {
    return desktop_.clock_.SleepUntil(ms, [this] { return changed_; });
  }
  void Saw(Hwnd window) {
    if (window == window_) changed_ = true;
  }

 private:
  Desktop& desktop_;
  Hwnd window_;
  bool changed_ = false;
};

std::unique_ptr<TextWatch> Desktop::WatchText(Hwnd window) {
  if (Find(window) == nullptr) return nullptr;
  return std::make_unique<SimTextWatch>(*this, window);
}

void Desktop::TextChanged(Hwnd window) {
  for (SimTextWatch* w : watches_) w->Saw(window);
}

void Desktop::PumpMessages() {
  ++pump_passes_;
  clock_.RunDue();
  // One pass handles what was pending when it began; a handler that pumps
  // again (a nested wait) takes the rest.
  for (std::size_t n = ui_events_.size(); n > 0 && !ui_events_.empty(); --n) {
    auto handler = std::move(ui_events_.front());
    ui_events_.pop_front();
    handler();
  }
}

// -------------------------------------------------------------- programs

void Desktop::AddProgram(std::u16string path, LaunchableProgram program) {
  files_.push_back(path);
  programs_[std::move(path)] = std::move(program);
}

bool Desktop::FileExists(std::u16string_view path) {
  return std::find(files_.begin(), files_.end(), path) != files_.end();
}

bool Desktop::ShellExecuteOpen(std::u16string_view file, std::u16string_view, Hwnd, bool want_process,
                               ProcessHandle* process) {
  if (process != nullptr) *process = 0;
  auto it = programs_.find(std::u16string(file));
  if (refuse_launch_ || it == programs_.end()) return false;
  Process p;
  p.id = NewProcessId();
  p.started_at = clock_.Elapsed();
  p.idle_after = p.started_at + it->second.idle_after_ms;
  const ProcessHandle handle = next_process_handle_;
  next_process_handle_ += 4;
  processes_[handle] = p;
  if (want_process && process != nullptr) *process = handle;
  if (it->second.start) it->second.start(p.id);
  return true;
}

std::int32_t Desktop::WaitForInputIdle(ProcessHandle process, std::uint32_t ms) {
  auto it = processes_.find(process);
  if (it == processes_.end()) return kWaitFailed;
  const std::uint64_t now = clock_.Elapsed();
  if (!it->second.running) return kWaitFailed;
  if (now >= it->second.idle_after) return 0;
  const std::uint64_t wait = it->second.idle_after - now;
  if (ms != 0xFFFFFFFFu && wait > ms) {
    clock_.Sleep(static_cast<std::int32_t>(ms));
    return kWaitTimeout;
  }
  clock_.Sleep(static_cast<std::int32_t>(wait));
  return 0;
}

bool Desktop::GetExitCodeProcess(ProcessHandle process, std::uint32_t* code) {
  auto it = processes_.find(process);
  if (it == processes_.end()) return false;
  if (code != nullptr) *code = it->second.running ? kStillActive : it->second.exit_code;
  return true;
}

void Desktop::CloseHandle(ProcessHandle process) { processes_.erase(process); }

void Desktop::EndProcess(std::uint32_t process_id, std::uint32_t exit_code) {
  for (auto& [handle, p] : processes_)
    if (p.id == process_id) {
      p.running = false;
      p.exit_code = exit_code;
    }
  for (auto& [handle, w] : windows_)
    if (w.traits.process == process_id) w.alive = false;
}

// ----------------------------------------------------------------- files

std::string Desktop::TempPathAnsi(int buffer_bytes) {
  std::string path = temp_override_ ? *temp_override_ : temp_folder_.string() + "/";
  if (buffer_bytes <= 0 || path.size() + 1 > static_cast<std::size_t>(buffer_bytes))
    return {};  // GetTempPathA reports the size needed and copies nothing
  return path;
}

std::u16string Desktop::ProgramFolder() {
  if (!program_folder_.empty()) return program_folder_;
  return codec_->FromAnsi(temp_folder_.string() + "/");
}

// ----------------------------------------------------------------- boxes

std::int32_t Desktop::ShowBox(Hwnd owner, std::u16string_view text, std::u16string_view caption,
                              std::uint32_t style) {
  MessageBoxRecord record{owner, std::u16string(text), std::u16string(caption), style};
  boxes_.push_back(record);
  if (on_box) on_box(record);
  if (!answers_.empty()) {
    const std::int32_t answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  switch (style & 0x0F) {
    case kMbYesNoCancel:
    case kMbYesNo:
      return kIdYes;
    default:
      return kIdOk;
  }
}

}  // namespace platform::sim
