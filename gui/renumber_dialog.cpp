#include "renumber_dialog.h"

#include <commctrl.h>

#include "list_rows.h"
#include "resource.h"
#include "wide_text.h"

namespace plendra_gui {

std::optional<std::u16string> RenumberDialog::Ask(
    const std::vector<std::u16string>& systems, std::u16string_view system,
    const std::function<plendra::RenumberShown(std::u16string_view)>& plan) {
  systems_ = &systems;
  system_ = std::u16string(system);
  plan_ = &plan;
  const INT_PTR result = DialogBoxParamW(instance_, MAKEINTRESOURCEW(IDD_RENUMBER), owner_(), Procedure,
                                         reinterpret_cast<LPARAM>(this));
  systems_ = nullptr;
  plan_ = nullptr;
  if (result != IDOK) return std::nullopt;
  return system_;
}

INT_PTR CALLBACK RenumberDialog::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  if (message == WM_INITDIALOG) ::SetWindowLongPtrW(window, DWLP_USER, lparam);
  auto* self = reinterpret_cast<RenumberDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
  if (self == nullptr) return FALSE;
  try {
    return self->Handle(window, message, wparam);
  } catch (...) {
    // Nothing may unwind through user32: the dialog closes as キャンセル.
    EndDialog(window, IDCANCEL);
    return TRUE;
  }
}

INT_PTR RenumberDialog::Handle(HWND window, UINT message, WPARAM wparam) {
  switch (message) {
    case WM_INITDIALOG: {
      const HWND combo = GetDlgItem(window, IDC_RENUMBER_SYSTEM);
      for (const std::u16string& s : *systems_) {
        const std::wstring text = Wide(s);
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
      }
      SetWindowTextW(combo, Wide(system_).c_str());
      const HWND list = GetDlgItem(window, IDC_RENUMBER_LIST);
      const UINT captions[] = {IDS_RENUMBER_OLD, IDS_RENUMBER_NEW, IDS_RENUMBER_LENGTH, IDS_RENUMBER_POINT};
      const int widths[] = {60, 60, 70, 140};
      for (int i = 0; i < 4; ++i) {
        std::wstring text = ResourceString(instance_, captions[i]);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = text.data();
        column.cx = widths[i];
        SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
      }
      SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
      Fill(window);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDC_RENUMBER_SYSTEM:
          if (HIWORD(wparam) == CBN_SELCHANGE) {
            // The edit part takes the chosen item only after this message.
            const HWND combo = GetDlgItem(window, IDC_RENUMBER_SYSTEM);
            const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
            if (index >= 0 && static_cast<std::size_t>(index) < systems_->size())
              system_ = (*systems_)[static_cast<std::size_t>(index)];
            Fill(window);
          } else if (HIWORD(wparam) == CBN_EDITCHANGE) {
            system_ = WindowText(GetDlgItem(window, IDC_RENUMBER_SYSTEM));
            Fill(window);
          }
          return TRUE;
        case IDOK:
          EndDialog(window, IDOK);
          return TRUE;
        case IDCANCEL:
          EndDialog(window, IDCANCEL);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

void RenumberDialog::Fill(HWND window) {
  const plendra::RenumberShown shown = (*plan_)(system_);
  const HWND list = GetDlgItem(window, IDC_RENUMBER_LIST);
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  int row_index = 0;
  for (const plendra::RenumberRow& row : shown.rows) {
    AddListRow(list, row_index, {&row.old_number, &row.new_number, &row.length, &row.point});
    ++row_index;
  }
  SetDlgItemTextW(window, IDC_RENUMBER_SUMMARY, Wide(shown.summary).c_str());
  // Nothing to change: 実行 would type nothing, so it is off.
  EnableWindow(GetDlgItem(window, IDOK), shown.rows.empty() ? FALSE : TRUE);
}

}  // namespace plendra_gui
