// WindowSystem over user32, ANSI forms, each text converted next to its call.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "win32_platform.h"

namespace platform::win32 {
namespace {

// Every message to AutoCAD's windows is sent with a bound the caller chooses
// (SendLimit): a hung AutoCAD would otherwise block the caller's thread for
// ever inside SendMessage. Abort-if-hung is not asked for: Windows calls a
// window hung after five seconds without retrieving messages, which is just
// what a busy AutoCAD writing a large DXF file does, and busy is not hung.
UINT Bound(const SendLimit& limit) { return limit.ms < 0 ? INFINITE : static_cast<UINT>(limit.ms); }

// Tells the caller whether a failed send ran out of time, as opposed to a
// receiver that is gone or refused.
void NoteTimeOut(const SendLimit& limit, bool failed) {
  if (limit.timed_out != nullptr) *limit.timed_out = failed && GetLastError() == ERROR_TIMEOUT;
}

HWND ToHandle(Hwnd window) {
  // Handles travel as 32-bit values; 64-bit Windows sign-extends them.
  return reinterpret_cast<HWND>(static_cast<INT_PTR>(window));
}

Hwnd FromHandle(HWND window) { return static_cast<Hwnd>(reinterpret_cast<INT_PTR>(window)); }

// The bytes of a buffer up to its first NUL.
std::string_view UpToNul(const std::string& buffer) {
  return std::string_view(buffer.data(), strnlen(buffer.data(), buffer.size()));
}

struct Enumeration {
  const EnumWindowsCallback* callback;
  bool stopped = false;
};

// Runs inside user32: nothing may unwind through it, and it does nothing but
// hand the window to the caller's callback.
BOOL CALLBACK Visit(HWND window, LPARAM context) noexcept {
  auto* e = reinterpret_cast<Enumeration*>(context);
  bool go_on = false;
  try {
    go_on = (*e->callback)(FromHandle(window));
  } catch (...) {
    go_on = false;
  }
  if (!go_on) e->stopped = true;
  return go_on ? TRUE : FALSE;
}

// Sends a message with the bounded wait; 0 when it failed or timed out.
LRESULT SendBounded(Hwnd window, UINT message, WPARAM wparam, LPARAM lparam, const SendLimit& limit) {
  DWORD_PTR result = 0;
  SetLastError(ERROR_SUCCESS);
  const bool failed =
      SendMessageTimeoutA(ToHandle(window), message, wparam, lparam, SMTO_NORMAL, Bound(limit), &result) == 0;
  NoteTimeOut(limit, failed);
  return failed ? 0 : static_cast<LRESULT>(result);
}

// Watches a window of another program for EVENT_OBJECT_NAMECHANGE and
// EVENT_OBJECT_VALUECHANGE, the events a window raises when its text changes.
// The hook is out of context: Windows queues each event to the thread that set
// the hook and calls the callback when that thread next looks at its messages,
// so the callback always runs on the watching thread and the list of watches
// needs no lock.
class Win32TextWatch final : public TextWatch {
 public:
  explicit Win32TextWatch(HWND window) : window_(window) {
    DWORD process = 0;
    if (GetWindowThreadProcessId(window, &process) == 0) return;
    // By process, not by thread: Wine refuses a thread of another process
    // (ERROR_INVALID_PARAMETER), and the callback picks the window anyway.
    hook_ = SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_VALUECHANGE, nullptr, &Callback, process, 0,
                            WINEVENT_OUTOFCONTEXT);
    if (hook_ != nullptr) Watches().push_back(this);
  }
  ~Win32TextWatch() override {
    if (hook_ == nullptr) return;
    UnhookWinEvent(hook_);
    auto& all = Watches();
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
  }
  Win32TextWatch(const Win32TextWatch&) = delete;
  Win32TextWatch& operator=(const Win32TextWatch&) = delete;

  bool Hooked() const { return hook_ != nullptr; }

  void Reset() override { changed_ = false; }

  bool Wait(std::int32_t ms) override {
    const DWORD start = GetTickCount();
    const DWORD total = ms < 0 ? 0 : static_cast<DWORD>(ms);
    for (;;) {
      // Looking at the queue delivers the events queued so far (and, as any
      // wait for a sent message would, the messages other threads send this
      // one); posted messages stay where they are for the caller's own pump.
      MSG message;
      PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
      if (changed_) return true;
      const DWORD waited = GetTickCount() - start;
      if (waited >= total) return false;
      // Wakes for anything that arrives after the look above: an event queued
      // in between is new input and ends this wait at once.
      MsgWaitForMultipleObjects(0, nullptr, FALSE, total - waited, QS_ALLINPUT);
    }
  }

 private:
  static std::vector<Win32TextWatch*>& Watches() {
    thread_local std::vector<Win32TextWatch*> watches;
    return watches;
  }

  static void CALLBACK Callback(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object, LONG, DWORD,
                                DWORD) {
    if (event != EVENT_OBJECT_NAMECHANGE && event != EVENT_OBJECT_VALUECHANGE) return;
    if (object != OBJID_WINDOW && object != OBJID_CLIENT) return;
    for (Win32TextWatch* w : Watches())
      if (w->hook_ == hook && w->window_ == window) w->changed_ = true;
  }

  HWND window_;
  HWINEVENTHOOK hook_ = nullptr;
  bool changed_ = false;
};

class Win32WindowSystem final : public WindowSystem {
 public:
  explicit Win32WindowSystem(TextCodec& codec) : codec_(codec) {
    CPINFO info{};
    if (GetCPInfo(codec.CodePage(), &info) && info.MaxCharSize > 0) max_char_bytes_ = info.MaxCharSize;
  }

  bool EnumWindows(const EnumWindowsCallback& callback) override {
    Enumeration e{&callback};
    const BOOL ok = ::EnumWindows(Visit, reinterpret_cast<LPARAM>(&e));
    return ok != FALSE && !e.stopped;
  }

  bool EnumChildWindows(Hwnd parent, const EnumWindowsCallback& callback) override {
    // EnumChildWindows' own result is documented as unused, so completion is
    // judged from the parent's existence and the callback's answers.
    if (!::IsWindow(ToHandle(parent))) return false;
    Enumeration e{&callback};
    ::EnumChildWindows(ToHandle(parent), Visit, reinterpret_cast<LPARAM>(&e));
    return !e.stopped;
  }

  int TitleLength(Hwnd window) override { return GetWindowTextLengthA(ToHandle(window)); }

  std::u16string Title(Hwnd window, int buffer_bytes) override {
    if (buffer_bytes <= 0) return {};
    std::string buffer(static_cast<std::size_t>(buffer_bytes), '\0');
    if (GetWindowTextA(ToHandle(window), buffer.data(), buffer_bytes) == 0) return {};
    return codec_.FromAnsi(UpToNul(buffer));
  }

  std::u16string ClassName(Hwnd window, int buffer_bytes) override {
    if (buffer_bytes <= 0) return {};
    std::string buffer(static_cast<std::size_t>(buffer_bytes), '\0');
    if (GetClassNameA(ToHandle(window), buffer.data(), buffer_bytes) == 0) return {};
    return codec_.FromAnsi(UpToNul(buffer));
  }

  std::uint32_t GetWindowThreadProcessId(Hwnd window, std::uint32_t* process_id) override {
    DWORD process = 0;
    const DWORD thread = ::GetWindowThreadProcessId(ToHandle(window), &process);
    if (process_id != nullptr) *process_id = process;
    return thread;
  }

  bool IsWindow(Hwnd window) override { return ::IsWindow(ToHandle(window)) != FALSE; }

  bool IsWindowVisible(Hwnd window) override { return ::IsWindowVisible(ToHandle(window)) != FALSE; }

  std::intptr_t SendCopyData(Hwnd window, std::uintptr_t tag, std::span<const std::byte> buffer,
                             std::uint32_t cb_data, const SendLimit& limit) override {
    // The system copies cbData bytes into the receiver's process, so they must
    // all lie inside the buffer.
    COPYDATASTRUCT record{};
    record.dwData = tag;
    record.cbData = static_cast<DWORD>(std::min<std::size_t>(cb_data, buffer.size()));
    record.lpData = const_cast<std::byte*>(buffer.data());
    return SendBounded(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record), limit);
  }

  std::intptr_t SendGetTextLength(Hwnd window, const SendLimit& limit) override {
    // Asked in the wide form: Wine's SendMessageTimeoutA waits without limit
    // for WM_GETTEXTLENGTH when the receiver hangs, which is the very case the
    // bounded wait exists for. The count of UTF-16 units times the widest
    // character of the code page is room enough for the ANSI text; user32
    // gives no more than such a bound either, whenever sender and receiver
    // differ in ANSI and Unicode.
    DWORD_PTR units = 0;
    SetLastError(ERROR_SUCCESS);
    const bool failed =
        SendMessageTimeoutW(ToHandle(window), WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, Bound(limit), &units) == 0;
    NoteTimeOut(limit, failed);
    if (failed) return 0;
    return static_cast<std::intptr_t>(units) * max_char_bytes_;
  }

  std::u16string SendGetText(Hwnd window, int buffer_bytes, std::intptr_t* copied,
                             const SendLimit& limit) override {
    if (copied != nullptr) *copied = 0;
    if (buffer_bytes <= 0) return {};
    std::string buffer(static_cast<std::size_t>(buffer_bytes), '\0');
    const LRESULT n = SendBounded(window, WM_GETTEXT, static_cast<WPARAM>(buffer_bytes),
                                  reinterpret_cast<LPARAM>(buffer.data()), limit);
    if (copied != nullptr) *copied = n;
    if (n == 0) return {};
    return codec_.FromAnsi(UpToNul(buffer));
  }

  bool PostNull(Hwnd window) override { return PostMessageA(ToHandle(window), WM_NULL, 0, 0) != FALSE; }

  Hwnd GetLastActivePopup(Hwnd window) override { return FromHandle(::GetLastActivePopup(ToHandle(window))); }

  bool SetForegroundWindow(Hwnd window) override { return ::SetForegroundWindow(ToHandle(window)) != FALSE; }

  void PumpMessages() override {
    // The wide forms: these are the calling program's own messages, and its
    // windows are Unicode; a pass through ANSI would mangle typed Japanese
    // (WM_CHAR) that is not in the code page. Windows converts for ANSI windows.
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        // The program's own message loop must still see it and end; it is put
        // back and the pass ends here, or the next peek would take it again.
        PostQuitMessage(static_cast<int>(message.wParam));
        return;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }

  std::unique_ptr<TextWatch> WatchText(Hwnd window) override {
    auto watch = std::make_unique<Win32TextWatch>(ToHandle(window));
    if (!watch->Hooked()) return nullptr;
    return watch;
  }

 private:
  TextCodec& codec_;
  std::intptr_t max_char_bytes_ = 2;  // code page 932's widest character
};

}  // namespace

std::unique_ptr<WindowSystem> MakeWindowSystem(TextCodec& codec) {
  return std::make_unique<Win32WindowSystem>(codec);
}

}  // namespace platform::win32
