#include "form1_window.h"

#include <commctrl.h>

#include <string>

#include "app/plendra.h"
#include "resource.h"
#include "wide_text.h"

namespace plendra_gui {
namespace {

// Work that must not run inside the message that asked for it: an activation
// (Form_Activate may export the whole drawing, pumping messages while the
// window manager is still activating) and a choice in the system list (made
// while the list is still dropped down).
constexpr UINT kRunActivate = WM_APP + 1;
constexpr UINT kRunKeitouClick = WM_APP + 2;

// HtmlHelpA of hhctrl.ocx, loaded when help is asked for: a machine without
// the HTML Help viewer must still run Plendra.
using HtmlHelpAFunction = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
constexpr UINT kHhDisplayTopic = 0;

}  // namespace

Form1Window::Form1Window(HINSTANCE instance, AppLink& link, platform::TextCodec& codec)
    : instance_(instance),
      link_(link),
      codec_(codec),
      keitou_(ControlRef([this] { return Handle(); }, IDC_KEITOU_COMBO)),
      bangou_(ControlRef([this] { return Handle(); }, IDC_BANGOU_COMBO)),
      kaisi_(ControlRef([this] { return Handle(); }, IDC_KAISI_BUTTON)),
      settei_menu_([this] { return Handle(); }, IDM_SETTEI, false),
      help_menu_([this] { return Handle(); }, MENU_POS_HELP, true),
      kensa_menu_([this] { return Handle(); }, MENU_POS_KENSA, true) {}

Form1Window::~Form1Window() { Destroy(); }

HWND Form1Window::Handle() {
  if (window_ == nullptr) Create(instance_, IDD_FORM1, nullptr);
  return window_;
}

void Form1Window::OnInit() {
  const HWND window = window_;
  status_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_STATUSBAR)), instance_, nullptr);
  // The template leaves no room for the status bar: the window grows by its height.
  RECT bar{};
  GetWindowRect(status_, &bar);
  RECT frame{};
  GetWindowRect(window, &frame);
  ::SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left,
                 frame.bottom - frame.top + (bar.bottom - bar.top),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(status_, WM_SIZE, 0, 0);
}

INT_PTR Form1Window::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case WM_CLOSE:
      RunEvent(link_, window_, [](plendra::Plendra& app) { app.MainForm().CloseRequest(); });
      return TRUE;
    case WM_ACTIVATE:
      if (LOWORD(wparam) != WA_INACTIVE) {
        const plendra::FocusFrom from = lparam != 0 && focus_sources_
                                            ? focus_sources_(reinterpret_cast<HWND>(lparam))
                                            : plendra::FocusFrom::kElsewhere;
        PostMessageW(window_, kRunActivate, static_cast<WPARAM>(from), 0);
      }
      return FALSE;  // the dialog manager still puts the focus back
    case kRunActivate:
      RunEvent(link_, window_, [from = static_cast<plendra::FocusFrom>(wparam)](plendra::Plendra& app) {
        app.MainForm().Window_Activated(from);
      });
      return TRUE;
    case kRunKeitouClick:
      RunEvent(link_, window_, [](plendra::Plendra& app) { app.MainForm().Keitou_Combo_Click(); });
      return TRUE;
    case WM_SIZE:
      if (status_ != nullptr) SendMessageW(status_, WM_SIZE, 0, 0);
      return FALSE;
    default:
      return FALSE;
  }
}

void Form1Window::OnCommand(int id, int code) {
  switch (id) {
    case IDC_KAISI_BUTTON:
      if (code == BN_CLICKED)
        RunEvent(link_, window_, [](plendra::Plendra& app) { app.MainForm().Kaisi_Button_Click(); });
      break;
    case IDC_KEITOU_COMBO:
      if (code == CBN_SELCHANGE) {
        keitou_.TakeSelection();
        PostMessageW(window_, kRunKeitouClick, 0, 0);
      }
      break;
    case IDC_BANGOU_COMBO:
      if (code == CBN_SELCHANGE) bangou_.TakeSelection();
      break;
    case IDM_SETTEI:
      RunEvent(link_, window_, [](plendra::Plendra& app) { app.MainForm().Mnu_Settei_Click(); });
      break;
    case IDM_TUKAIKATA:
      RunEvent(link_, window_, [](plendra::Plendra& app) { app.MainForm().Mnu_Tukaikata_Click(); });
      break;
    case IDM_VER:
      RunEvent(link_, window_, [](plendra::Plendra& app) { app.MainForm().Mnu_Ver_Click(); });
      break;
    case IDM_BANGOU_KENSA:
      RunEvent(link_, window_, [](plendra::Plendra& app) { app.MainForm().Mnu_Bangou_Kensa_Click(); });
      break;
    case IDM_SYUUKEI:
      RunEvent(link_, window_, [](plendra::Plendra& app) { app.MainForm().Mnu_Syuukei_Click(); });
      break;
    case IDM_RENUMBER:
      RunEvent(link_, window_, [](plendra::Plendra& app) { app.MainForm().Mnu_Renumber_Click(); });
      break;
    default:
      // Enter and Esc (IDOK, IDCANCEL) do nothing in the main window.
      break;
  }
}

std::u16string Form1Window::Status() const {
  if (status_ == nullptr) return {};
  const LRESULT length = SendMessageW(status_, SB_GETTEXTLENGTHW, 0, 0);
  std::wstring text(LOWORD(length) + 1u, L'\0');
  SendMessageW(status_, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text.data()));
  text.resize(LOWORD(length));
  return Utf16(text);
}

void Form1Window::SetStatus(std::u16string_view text) {
  Handle();
  const std::wstring wide = Wide(text);
  SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

int Form1Window::PixelsPerInch(int index) const {
  const HDC screen = GetDC(nullptr);
  const int ppi = GetDeviceCaps(screen, index);
  ReleaseDC(nullptr, screen);
  return ppi;
}

float Form1Window::Top() const {
  RECT r{};
  if (window_ != nullptr) GetWindowRect(window_, &r);
  return top_.Read(r.top, PixelsPerInch(LOGPIXELSY));
}

float Form1Window::Left() const {
  RECT r{};
  if (window_ != nullptr) GetWindowRect(window_, &r);
  return left_.Read(r.left, PixelsPerInch(LOGPIXELSX));
}

void Form1Window::Move(std::int32_t top, std::int32_t left) {
  const int y = TwipsToPixels(top, PixelsPerInch(LOGPIXELSY));
  const int x = TwipsToPixels(left, PixelsPerInch(LOGPIXELSX));
  ::SetWindowPos(Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  // Where the window manager really put it.
  RECT r{};
  GetWindowRect(window_, &r);
  top_.Placed(top, r.top);
  left_.Placed(left, r.left);
}

void Form1Window::Show() {
  ShowWindow(Handle(), SW_SHOW);
  UpdateWindow(window_);
  SetForegroundWindow(window_);
}

void Form1Window::SetTopmost(bool topmost) {
  ::SetWindowPos(Handle(), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
}

// A layered window with a constant alpha; the style stays once set.
void Form1Window::SetOpacity(std::int32_t alpha) {
  const HWND window = Handle();
  SetWindowLongA(window, GWL_EXSTYLE, GetWindowLongA(window, GWL_EXSTYLE) | WS_EX_LAYERED);
  const BYTE opacity = static_cast<BYTE>(alpha < 0 ? 0 : alpha > 255 ? 255 : alpha);
  ::SetLayeredWindowAttributes(window, 0, opacity, LWA_ALPHA);
}

void Form1Window::ShowHelp(std::u16string_view path) {
  static HMODULE viewer = LoadLibraryW(L"hhctrl.ocx");
  if (viewer == nullptr) return;
  const auto html_help =
      reinterpret_cast<HtmlHelpAFunction>(reinterpret_cast<void*>(GetProcAddress(viewer, "HtmlHelpA")));
  if (html_help == nullptr) return;
  const std::string file = codec_.ToAnsi(path);
  html_help(Handle(), file.c_str(), kHhDisplayTopic, 0);
}

void Form1Window::MessageBox(std::u16string_view text, std::u16string_view title, plendra::BoxKind kind) {
  const UINT style =
      kind == plendra::BoxKind::kWarning ? MB_OK | MB_ICONEXCLAMATION : MB_OK | MB_ICONINFORMATION;
  // Before the window exists (no AutoCAD found) the box has no owner.
  ::MessageBoxW(window_, Wide(text).c_str(), Wide(title).c_str(), style);
}

}  // namespace plendra_gui
