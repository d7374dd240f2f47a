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

Form1Window::~Form1Window() {
  if (window_ != nullptr) DestroyWindow(window_);
}

HWND Form1Window::Handle() {
  if (window_ == nullptr)
    CreateDialogParamW(instance_, MAKEINTRESOURCEW(IDD_FORM1), nullptr, Procedure,
                       reinterpret_cast<LPARAM>(this));
  return window_;
}

INT_PTR CALLBACK Form1Window::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  if (message == WM_INITDIALOG) {
    ::SetWindowLongPtrW(window, DWLP_USER, lparam);
    auto* self = reinterpret_cast<Form1Window*>(lparam);
    self->OnInit(window);
    return TRUE;
  }
  auto* self = reinterpret_cast<Form1Window*>(::GetWindowLongPtrW(window, DWLP_USER));
  return self == nullptr ? FALSE : self->Handle(message, wparam, lparam);
}

void Form1Window::OnInit(HWND window) {
  window_ = window;
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

INT_PTR Form1Window::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case WM_CLOSE:
      RunEvent(link_, window_, [](plendra::Plendra& app) { app.MainForm().CloseRequest(); });
      return TRUE;
    case WM_ACTIVATE:
      if (LOWORD(wparam) != WA_INACTIVE && lparam != 0 && activation_sources_ &&
          activation_sources_(reinterpret_cast<HWND>(lparam)))
        PostMessageW(window_, kRunActivate, 0, 0);
      return FALSE;  // the dialog manager still puts the focus back
    case kRunActivate:
      RunEvent(link_, window_, [](plendra::Plendra& app) { app.MainForm().Form_Activate(); });
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

void Form1Window::SetWindowPos(std::int32_t insert_after, std::uint32_t flags) {
  ::SetWindowPos(Handle(), reinterpret_cast<HWND>(static_cast<INT_PTR>(insert_after)), 0, 0, 0, 0, flags);
}

std::int32_t Form1Window::GetWindowLong(std::int32_t index) { return GetWindowLongA(Handle(), index); }

void Form1Window::SetWindowLong(std::int32_t index, std::int32_t value) {
  SetWindowLongA(Handle(), index, value);
}

void Form1Window::SetLayeredWindowAttributes(std::uint32_t color_key, std::int32_t alpha,
                                             std::uint32_t flags) {
  const BYTE opacity = static_cast<BYTE>(alpha < 0 ? 0 : alpha > 255 ? 255 : alpha);
  ::SetLayeredWindowAttributes(Handle(), color_key, opacity, flags);
}

void Form1Window::HtmlHelp(std::u16string_view path) {
  static HMODULE viewer = LoadLibraryW(L"hhctrl.ocx");
  if (viewer == nullptr) return;
  const auto html_help =
      reinterpret_cast<HtmlHelpAFunction>(reinterpret_cast<void*>(GetProcAddress(viewer, "HtmlHelpA")));
  if (html_help == nullptr) return;
  const std::string file = codec_.ToAnsi(path);
  html_help(Handle(), file.c_str(), kHhDisplayTopic, 0);
}

std::int32_t Form1Window::MessageBox(std::u16string_view text, std::u16string_view title,
                                     std::uint32_t style) {
  // Before the window exists (no AutoCAD found) the box has no owner.
  return ::MessageBoxW(window_, Wide(text).c_str(), Wide(title).c_str(), style);
}

}  // namespace plendra_gui
