#include "widgets.h"

#include <algorithm>
#include <vector>

#include "app/app_error.h"
#include "wide_text.h"

namespace plendra_gui {

std::u16string WindowText(HWND window) {
  if (window == nullptr) return {};
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1);
  const int got = GetWindowTextW(window, buffer.data(), length + 1);
  return Utf16(std::wstring_view(buffer.data(), static_cast<std::size_t>(std::max(got, 0))));
}

std::wstring ResourceString(HINSTANCE instance, UINT id) {
  const wchar_t* text = nullptr;
  // A length of 0 asks for a pointer into the resource itself (not terminated).
  const int length = LoadStringW(instance, id, reinterpret_cast<wchar_t*>(&text), 0);
  return length > 0 ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

namespace {

// The property-value errors a form's list raises for an index it has no item for.
constexpr std::int32_t kInvalidPropertyValue = 380;
constexpr std::int32_t kInvalidPropertyArrayIndex = 381;

}  // namespace

// --- Combo box -------------------------------------------------------------

void Win32Combo::Clear() { SendMessageW(control_.Get(), CB_RESETCONTENT, 0, 0); }

void Win32Combo::AddItem(std::u16string_view item) {
  const std::wstring text = Wide(item);
  SendMessageW(control_.Get(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::int32_t Win32Combo::ListCount() const {
  const LRESULT n = SendMessageW(control_.Get(), CB_GETCOUNT, 0, 0);
  return n < 0 ? 0 : static_cast<std::int32_t>(n);
}

// The item whose text the box shows, as the list reports it: a text the
// user typed that is no item gives -1. CB_FINDSTRINGEXACT ignores case, so
// the items are compared here.
std::int32_t Win32Combo::ListIndex() const {
  const std::u16string text = Text();
  const LRESULT selected = SendMessageW(control_.Get(), CB_GETCURSEL, 0, 0);
  if (selected >= 0 && selected < ListCount() && Item(static_cast<std::int32_t>(selected)) == text)
    return static_cast<std::int32_t>(selected);
  for (std::int32_t i = 0; i < ListCount(); ++i)
    if (Item(i) == text) return i;
  return -1;
}

void Win32Combo::SetListIndex(std::int32_t index) {
  if (index < -1 || index >= ListCount()) throw plendra::AppError(kInvalidPropertyValue);
  SendMessageW(control_.Get(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  if (index < 0) SetText(u"");
}

std::u16string Win32Combo::Item(std::int32_t index) const {
  if (index < 0 || index >= ListCount()) throw plendra::AppError(kInvalidPropertyArrayIndex);
  const HWND box = control_.Get();
  const LRESULT length = SendMessageW(box, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length <= 0) return {};
  std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1);
  const LRESULT got =
      SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
  return Utf16(std::wstring_view(buffer.data(), got < 0 ? 0 : static_cast<std::size_t>(got)));
}

std::u16string Win32Combo::Text() const { return WindowText(control_.Get()); }

void Win32Combo::SetText(std::u16string_view text) { SetWindowTextW(control_.Get(), Wide(text).c_str()); }

void Win32Combo::SetItemData(std::int32_t index, std::int32_t data) {
  if (index < 0 || index >= ListCount()) throw plendra::AppError(kInvalidPropertyArrayIndex);
  SendMessageW(control_.Get(), CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data));
}

std::int32_t Win32Combo::ItemData(std::int32_t index) const {
  if (index < 0 || index >= ListCount()) throw plendra::AppError(kInvalidPropertyArrayIndex);
  return static_cast<std::int32_t>(
      SendMessageW(control_.Get(), CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

void Win32Combo::SetEnabled(bool enabled) { EnableWindow(control_.Get(), enabled ? TRUE : FALSE); }

void Win32Combo::SetFocus() { ::SetFocus(control_.Get()); }

void Win32Combo::TakeSelection() {
  const LRESULT selected = SendMessageW(control_.Get(), CB_GETCURSEL, 0, 0);
  if (selected >= 0 && selected < ListCount()) SetText(Item(static_cast<std::int32_t>(selected)));
}

// --- Button, menu, label, toggle -------------------------------------------

std::u16string Win32Button::Caption() const { return WindowText(control_.Get()); }

void Win32Button::SetCaption(std::u16string_view caption) {
  SetWindowTextW(control_.Get(), Wide(caption).c_str());
}

void Win32MenuItem::SetEnabled(bool enabled) {
  const HWND window = window_();
  const HMENU bar = GetMenu(window);
  if (bar == nullptr) return;
  EnableMenuItem(bar, item_,
                 (by_position_ ? MF_BYPOSITION : MF_BYCOMMAND) | (enabled ? MF_ENABLED : MF_GRAYED));
  DrawMenuBar(window);
}

void Win32Label::SetCaption(std::u16string_view caption) {
  SetWindowTextW(control_.Get(), Wide(caption).c_str());
}

std::int32_t Win32Toggle::Value() const {
  return SendMessageW(control_.Get(), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void Win32Toggle::SetValue(std::int32_t value) {
  SendMessageW(control_.Get(), BM_SETCHECK, value != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
}

// --- Scroll bar --------------------------------------------------------------

std::int32_t Win32Scroll::Value() const { return GetScrollPos(control_.Get(), SB_CTL); }

void Win32Scroll::SetValue(std::int32_t value) {
  SetScrollPos(control_.Get(), SB_CTL, std::clamp(value, min_, max_), TRUE);
}

void Win32Scroll::ApplyRange() {
  const HWND bar = control_.Get();
  SetScrollRange(bar, SB_CTL, min_, max_, FALSE);
  SetScrollPos(bar, SB_CTL, min_, TRUE);
}

bool Win32Scroll::Scroll(int request, int thumb_position) {
  const int before = Value();
  int after = before;
  switch (request) {
    case SB_LINELEFT:
      after = before - small_;
      break;
    case SB_LINERIGHT:
      after = before + small_;
      break;
    case SB_PAGELEFT:
      after = before - large_;
      break;
    case SB_PAGERIGHT:
      after = before + large_;
      break;
    case SB_LEFT:
      after = min_;
      break;
    case SB_RIGHT:
      after = max_;
      break;
    case SB_THUMBTRACK:
      // The thumb follows the mouse; the value counts as changed when it is let go.
      SetValue(thumb_position);
      return false;
    case SB_THUMBPOSITION:
      after = thumb_position;
      break;
    default:
      return false;
  }
  SetValue(after);
  return Value() != before || request == SB_THUMBPOSITION;
}

}  // namespace plendra_gui
