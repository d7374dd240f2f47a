#include "cad_windows.h"

#include <algorithm>
#include <cstring>

#include "platform/ansi_codec.h"

namespace cadsim_win {
namespace {

constexpr int kCommandStripHeight = 66;  // three lines of the docked command line
constexpr int kLineHeight = 20;
constexpr char kLineClass[] = "AfxWnd42s";
constexpr char kHistoryClass[] = "AfxWnd42h";
constexpr char kDockedClass[] = "AfxWnd42";
// What After(0, …) posts to the main window: wParam names the work.
constexpr UINT kRunNow = WM_APP + 1;

CadWindows* Self(HWND window) {
  return reinterpret_cast<CadWindows*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// Stores the CadWindows passed to CreateWindowEx on the window.
void Attach(HWND window, UINT message, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
}

bool Register(HINSTANCE instance, const std::string& name, WNDPROC proc, HBRUSH background) {
  WNDCLASSEXA c{};
  c.cbSize = sizeof c;
  c.lpfnWndProc = proc;
  c.hInstance = instance;
  c.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  c.hbrBackground = background;
  c.lpszClassName = name.c_str();
  return RegisterClassExA(&c) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

CadWindows::CadWindows(int release, cadsim::Drawing drawing, std::u16string drawing_path)
    : codec_(platform::MakeAnsiCodec(932)) {
  cad_ = std::make_unique<cadsim::Cad>(*this, release, std::move(drawing), std::move(drawing_path));
  QueryPerformanceFrequency(&frequency_);
  QueryPerformanceCounter(&started_);
}

CadWindows::~CadWindows() {
  for (const auto& [id, fn] : timers_)
    if (main_) KillTimer(main_, id);
}

bool CadWindows::Create(HINSTANCE instance, bool hide_command_line) {
  const cadsim::ReleaseProfile& r = cad_->Release();
  const std::string main_class = Ansi(r.MainClass()), text_class = Ansi(r.TextClass());
  auto* white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  auto* grey = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  if (!Register(instance, main_class, MainProc, white) || !Register(instance, text_class, TextProc, grey) ||
      !Register(instance, kDockedClass, LineProc, grey) || !Register(instance, kLineClass, LineProc, white) ||
      !Register(instance, kHistoryClass, HistoryProc, white))
    return false;

  // The main window gets its title only once every window is shown: a
  // program searching by title from another process must not find the
  // windows in the moment between their creation and their showing, when the
  // command line still counts as closed.
  main_ = CreateWindowExA(0, main_class.c_str(), "", WS_OVERLAPPEDWINDOW, 0, 0, 960, 640, nullptr, nullptr,
                          instance, this);
  if (!main_) return false;
  main_command_ = CreateWindowExA(0, kDockedClass, "Headlands Command Line", WS_CHILD | WS_VISIBLE, 0, 0, 10,
                                  10, main_, nullptr, instance, this);
  text_ = CreateWindowExA(0, text_class.c_str(), Ansi(cad_->TextTitle()).c_str(), WS_OVERLAPPEDWINDOW, 0, 660,
                          720, 260, nullptr, nullptr, instance, this);
  if (!main_command_ || !text_) return false;
  history_ = CreateWindowExA(0, kHistoryClass, "MountTam", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, text_,
                             nullptr, instance, this);
  command_ = CreateWindowExA(0, kLineClass, "Headlands", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, text_, nullptr,
                             instance, this);
  if (!history_ || !command_) return false;
  Layout();
  // Both windows are shown before either is activated: a launcher counts the
  // program ready once it first waits for input, which Wine may already see
  // while an activation waits.
  if (hide_command_line) ShowWindow(main_command_, SW_HIDE);
  ShowWindow(text_, SW_SHOWNOACTIVATE);
  ShowWindow(main_, SW_SHOWNOACTIVATE);
  main_title_ = cad_->MainTitle();
  text_title_ = cad_->TextTitle();
  SetWindowTextA(main_, Ansi(main_title_).c_str());
  SetForegroundWindow(main_);
  return true;
}

void CadWindows::Layout() {
  RECT r;
  GetClientRect(main_, &r);
  MoveWindow(main_command_, 0, r.bottom - kCommandStripHeight, r.right, kCommandStripHeight, TRUE);
  GetClientRect(text_, &r);
  MoveWindow(history_, 0, 0, r.right, std::max(0L, r.bottom - kLineHeight - 2), TRUE);
  MoveWindow(command_, 0, r.bottom - kLineHeight - 2, r.right, kLineHeight + 2, TRUE);
}

double CadWindows::Now() const {
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  return frequency_.QuadPart ? 1000.0 * static_cast<double>(now.QuadPart - started_.QuadPart) /
                                   static_cast<double>(frequency_.QuadPart)
                             : 0;
}

class CadWindows::MessageSpell {
 public:
  explicit MessageSpell(CadWindows* self) : self_(self) {
    if (self_ == nullptr || self_->message_depth_++ > 0) return;
    // Nothing to do since the last message, and no command working: cadsim
    // was waiting for its client.
    if (!self_->working_after_last_message_) self_->waited_ms_ += self_->Now() - self_->last_message_end_;
  }
  ~MessageSpell() {
    if (self_ == nullptr || --self_->message_depth_ > 0) return;
    self_->last_message_end_ = self_->Now();
    self_->working_after_last_message_ = self_->cad_ && self_->cad_->Busy();
  }
  MessageSpell(const MessageSpell&) = delete;
  MessageSpell& operator=(const MessageSpell&) = delete;

 private:
  CadWindows* self_;
};

void CadWindows::After(std::uint32_t ms, std::function<void()> fn) {
  if (!main_ || vanished_) return;
  const UINT_PTR id = next_timer_++;
  timers_[id] = std::move(fn);
  // "At once" is the next pass of the message loop. A timer would wait at
  // least USER_TIMER_MINIMUM, and Wine delivers it only once nothing else is
  // queued: a scripted user who picks at once would take 10 ms or more.
  if (ms == 0)
    PostMessageW(main_, kRunNow, id, 0);
  else
    SetTimer(main_, id, std::max<std::uint32_t>(ms, USER_TIMER_MINIMUM), nullptr);
}

void CadWindows::Busy(std::uint32_t ms) {
  // The busy spell starts once the message that began it has been answered:
  // AutoCAD takes the typed line, then writes the file without pumping.
  After(0, [ms] { ::Sleep(ms); });
}

void CadWindows::Changed() {
  if (vanished_ || !main_) return;
  // Setting a title costs a round trip to the X server under Wine; most
  // changes (every typed key) leave both titles as they were.
  if (std::u16string t = cad_->MainTitle(); t != main_title_) {
    main_title_ = std::move(t);
    SetWindowTextA(main_, Ansi(main_title_).c_str());
  }
  if (std::u16string t = cad_->TextTitle(); t != text_title_) {
    text_title_ = std::move(t);
    SetWindowTextA(text_, Ansi(text_title_).c_str());
  }
  // The drawing is drawn again only when a command may have changed it, not
  // for every key the command line shows or for a command that changes
  // nothing (a variable, an export): under Wine, repainting it was most of
  // cadsim.exe's own time per entry of a client's working cycle.
  if (cad_->DrawingChanges() != drawn_) {
    drawn_ = cad_->DrawingChanges();
    InvalidateRect(main_, nullptr, TRUE);
  }
  for (HWND w : {main_command_, history_, command_}) InvalidateRect(w, nullptr, TRUE);
  // The command lines answer WM_GETTEXT from the prompt rather than keeping
  // a window text, so they raise the event a window raises when its text is
  // set: a client waiting for a prompt reads it as soon as it is there.
  if (std::u16string p = cad_->Prompt(); p != prompt_) {
    prompt_ = std::move(p);
    for (HWND w : {main_command_, command_})
      NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, w, OBJID_WINDOW, CHILDID_SELF);
  }
}

void CadWindows::Vanish() {
  if (vanished_) return;
  vanished_ = true;
  DestroyWindow(text_);
  DestroyWindow(main_);  // its WM_DESTROY ends the message loop
}

LRESULT CadWindows::AnswerText(const std::u16string& text, UINT message, WPARAM wparam, LPARAM lparam) {
  const std::string bytes = Ansi(text);
  if (message == WM_GETTEXTLENGTH) return static_cast<LRESULT>(bytes.size());
  auto* buffer = reinterpret_cast<char*>(lparam);
  if (wparam == 0 || buffer == nullptr) return 0;
  std::size_t n = std::min<std::size_t>(bytes.size(), wparam - 1);
  // Never cut a double-byte character in half.
  std::size_t whole = 0;
  while (whole < n) {
    const auto b = static_cast<unsigned char>(bytes[whole]);
    const std::size_t step = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC) ? 2 : 1;
    if (whole + step > n) break;
    whole += step;
  }
  std::memcpy(buffer, bytes.data(), whole);
  buffer[whole] = '\0';
  return static_cast<LRESULT>(whole);
}

void CadWindows::OnClick(int x, int y) {
  SetFocus(main_);
  if (view_scale_ <= 0) return;
  const cadsim::Point p{view_low_.x + (x - view_area_.left) / view_scale_,
                        view_high_.y - (y - view_area_.top) / view_scale_, 0};
  cad_->pick_tolerance = 6 / view_scale_;  // six pixels
  cad_->Act(cadsim::UserAction::PickAt(p));
}

// Keys typed into cadsim's own windows. They are ANSI windows, so WM_CHAR
// brings code-page bytes, a double-byte character in two messages.
void CadWindows::OnKey(wchar_t c) {
  if (c == 27) return cad_->Act(cadsim::UserAction::Escape());
  if (c == 8 || c > 0xFF) return;  // no line editing
  key_bytes_ += static_cast<char>(c);
  const auto lead = static_cast<unsigned char>(key_bytes_[0]);
  if (key_bytes_.size() == 1 && ((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC))) return;
  cad_->Type(codec_->FromAnsi(key_bytes_));
  key_bytes_.clear();
}

LRESULT CadWindows::OnMain(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COPYDATA: {
      const auto* record = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
      if (!record || (!record->lpData && record->cbData)) return FALSE;
      const std::span<const std::byte> data(static_cast<const std::byte*>(record->lpData), record->cbData);
      if (record->dwData == 1) {
        Typed t;
        t.ms = Now();
        t.waited_ms = waited_ms_;
        t.finished = cad_->CommandsFinished();
        t.reads = prompt_reads_;
        for (std::byte b : data) {
          if (b == std::byte{0}) break;
          t.bytes += static_cast<char>(b);
        }
        typed_.push_back(std::move(t));
      }
      return cad_->Receive(record->dwData, data) ? TRUE : FALSE;
    }
    case WM_TIMER:
    case kRunNow: {
      if (message == WM_TIMER) KillTimer(window, wparam);
      auto it = timers_.find(wparam);
      if (it == timers_.end()) return 0;
      const std::function<void()> fn = std::move(it->second);
      timers_.erase(it);
      fn();
      return 0;
    }
    case WM_SIZE:
      if (main_command_) Layout();
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      RECT r;
      GetClientRect(window, &r);
      r.bottom -= IsWindowVisible(main_command_) ? kCommandStripHeight : 0;
      PaintDrawing(dc, r);
      EndPaint(window, &ps);
      return 0;
    }
    case WM_LBUTTONDOWN:
      OnClick(static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam)));
      return 0;
    case WM_CHAR:
      OnKey(static_cast<wchar_t>(wparam));
      return 0;
    case WM_DESTROY:
      main_ = nullptr;
      vanished_ = true;
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

LRESULT CALLBACK CadWindows::MainProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  Attach(window, message, lparam);
  CadWindows* self = Self(window);
  if (!self) return DefWindowProcA(window, message, wparam, lparam);
  const MessageSpell spell(self);
  try {
    return self->OnMain(window, message, wparam, lparam);
  } catch (...) {
    return 0;  // nothing may unwind through user32
  }
}

LRESULT CALLBACK CadWindows::TextProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  Attach(window, message, lparam);
  CadWindows* self = Self(window);
  const MessageSpell spell(self);
  if (self && message == WM_SIZE && self->history_) self->Layout();
  // AutoCAD's text window only hides when closed; the program goes on.
  if (message == WM_CLOSE) {
    ShowWindow(window, SW_HIDE);
    return 0;
  }
  if (self && message == WM_CHAR) {
    try {
      self->OnKey(static_cast<wchar_t>(wparam));
    } catch (...) {
    }
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

// The command-line windows: their text is the prompt and what is typed.
LRESULT CALLBACK CadWindows::LineProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  Attach(window, message, lparam);
  CadWindows* self = Self(window);
  if (!self) return DefWindowProcA(window, message, wparam, lparam);
  const MessageSpell spell(self);
  try {
    if (message == WM_GETTEXT && window == self->command_) ++self->prompt_reads_;
    if (message == WM_GETTEXT || message == WM_GETTEXTLENGTH)
      return self->AnswerText(self->cad_->Prompt(), message, wparam, lparam);
    if (message == WM_PAINT) {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      RECT r;
      GetClientRect(window, &r);
      self->PaintLines(dc, r, window == self->main_command_ ? 2 : 0, true);
      EndPaint(window, &ps);
      return 0;
    }
  } catch (...) {
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

// The history window: its text is the finished lines.
LRESULT CALLBACK CadWindows::HistoryProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  Attach(window, message, lparam);
  CadWindows* self = Self(window);
  if (!self) return DefWindowProcA(window, message, wparam, lparam);
  const MessageSpell spell(self);
  try {
    if (message == WM_GETTEXT || message == WM_GETTEXTLENGTH)
      return self->AnswerText(self->cad_->History(), message, wparam, lparam);
    if (message == WM_PAINT) {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      RECT r;
      GetClientRect(window, &r);
      self->PaintLines(dc, r, 1000, false);
      EndPaint(window, &ps);
      return 0;
    }
  } catch (...) {
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace cadsim_win
