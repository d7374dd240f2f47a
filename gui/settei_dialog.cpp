#include "settei_dialog.h"

#include <algorithm>

#include "app/plendra.h"
#include "resource.h"

namespace plendra_gui {

SetteiDialog::SetteiDialog(HINSTANCE instance, AppLink& link, std::function<HWND()> owner)
    : instance_(instance),
      link_(link),
      owner_(std::move(owner)),
      okisa_(ControlRef([this] { return Window(); }, IDC_OKISA_SCROLL), plendra::kOkisaLine),
      hanare_(ControlRef([this] { return Window(); }, IDC_HANARE_SCROLL), plendra::kHanareLine),
      toumei_(ControlRef([this] { return Window(); }, IDC_TOUMEI_SCROLL), plendra::kToumeiLine),
      okisa_label_(ControlRef([this] { return Window(); }, IDC_OKISA_LABEL)),
      hanare_label_(ControlRef([this] { return Window(); }, IDC_HANARE_LABEL)),
      mae_(ControlRef([this] { return Window(); }, IDC_MAE_OPTION)),
      usiro_(ControlRef([this] { return Window(); }, IDC_USIRO_OPTION)),
      ue_(ControlRef([this] { return Window(); }, IDC_UE_OPTION)),
      sita_(ControlRef([this] { return Window(); }, IDC_SITA_OPTION)),
      renzoku_(ControlRef([this] { return Window(); }, IDC_RENZOKU_CHECK)),
      temae_(ControlRef([this] { return Window(); }, IDC_TEMAE_HYOUJI_CHECK)),
      keitou_layer_(ControlRef([this] { return Window(); }, IDC_KEITOU_LAYER_CHECK)),
      keitou_check_(ControlRef([this] { return Window(); }, IDC_KEITOU_CHECK_CHECK)),
      marume_(ControlRef([this] { return Window(); }, IDC_MARUME_COMBO)) {}

SetteiDialog::~SetteiDialog() { Destroy(); }

HWND SetteiDialog::Window() {
  if (window_ == nullptr) Create(instance_, IDD_SETTEI, owner_());
  return window_;
}

void SetteiDialog::OnInit() {
  okisa_.ApplyRange();
  hanare_.ApplyRange();
  toumei_.ApplyRange();
}

INT_PTR SetteiDialog::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK && HIWORD(wparam) == BN_CLICKED)
        RunEvent(link_, window_, [](plendra::Plendra& app) { app.Settings().OK_Button_Click(); });
      else if (LOWORD(wparam) == IDCANCEL)  // the button, Esc
        RunEvent(link_, window_, [](plendra::Plendra& app) { app.Settings().Cancel_Button_Click(); });
      return TRUE;
    case WM_CLOSE:  // the close box leaves the dialog as キャンセル does
      RunEvent(link_, window_, [](plendra::Plendra& app) { app.Settings().Cancel_Button_Click(); });
      return TRUE;
    case WM_HSCROLL:
      OnScroll(reinterpret_cast<HWND>(lparam), LOWORD(wparam), static_cast<short>(HIWORD(wparam)));
      return TRUE;
    case WM_DRAWITEM:
      if (wparam == IDC_SAMPLE_DIMENSION) {
        PaintSampleDimension(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

void SetteiDialog::OnScroll(HWND bar, int request, int position) {
  if (okisa_.Is(bar)) {
    if (okisa_.Scroll(request, position))
      RunEvent(link_, window_, [](plendra::Plendra& app) { app.Settings().Okisa_Scroll_Change(); });
  } else if (hanare_.Is(bar)) {
    if (hanare_.Scroll(request, position))
      RunEvent(link_, window_, [](plendra::Plendra& app) { app.Settings().Hanare_Scroll_Change(); });
  } else if (toumei_.Is(bar)) {
    toumei_.Scroll(request, position);  // no event: the opacity changes after the dialog
  }
}

// Modal as a form shown modally: the owner takes no input, and the messages
// of the thread go round here until the dialog has been hidden (or the
// program ended while it was up).
void SetteiDialog::ShowModal() {
  const HWND dialog = Window();
  const HWND owner = owner_();
  if (dialog == nullptr) return;
  modal_ = true;
  EnableWindow(owner, FALSE);
  ShowWindow(dialog, SW_SHOW);
  SetForegroundWindow(dialog);
  MSG message;
  while (modal_ && !link_.ended) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) {
      // WM_QUIT belongs to the main loop.
      if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (!IsDialogMessageW(dialog, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  modal_ = false;
  EnableWindow(owner, TRUE);
}

void SetteiDialog::Hide() {
  if (window_ == nullptr) return;
  // The owner is enabled before the dialog goes, so that it is the window
  // that becomes active, not one of another program.
  EnableWindow(owner_(), TRUE);
  ShowWindow(window_, SW_HIDE);
  modal_ = false;
}

void PaintSampleDimension(const DRAWITEMSTRUCT& item) {
  const HDC dc = item.hDC;
  const RECT& r = item.rcItem;
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  const int left = r.left + width / 8;
  const int right = r.right - width / 8;
  const int line_y = r.top + height * 3 / 5;
  const int tick = std::max(2, height / 10);
  const HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOWTEXT));
  const HGDIOBJ old_pen = SelectObject(dc, pen);
  // Extension lines, from below the dimension line up past it.
  for (int x : {left, right}) {
    MoveToEx(dc, x, r.bottom - 2, nullptr);
    LineTo(dc, x, line_y - tick * 2);
  }
  // The dimension line and its two oblique end marks.
  MoveToEx(dc, left - tick, line_y, nullptr);
  LineTo(dc, right + tick + 1, line_y);
  for (int x : {left, right}) {
    MoveToEx(dc, x - tick, line_y + tick, nullptr);
    LineTo(dc, x + tick + 1, line_y - tick - 1);
  }
  SelectObject(dc, old_pen);
  DeleteObject(pen);
  // The text above the line, in the dialog's font.
  const HFONT font = reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0));
  const HGDIOBJ old_font = font != nullptr ? SelectObject(dc, font) : nullptr;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  RECT text{left, r.top, right, line_y - 1};
  DrawTextW(dc, L"1000", -1, &text, DT_CENTER | DT_BOTTOM | DT_SINGLELINE);
  if (old_font != nullptr) SelectObject(dc, old_font);
}

}  // namespace plendra_gui
