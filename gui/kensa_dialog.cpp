#include "kensa_dialog.h"

#include <commctrl.h>

#include "app/plendra.h"
#include "list_rows.h"
#include "resource.h"
#include "wide_text.h"

namespace plendra_gui {

KensaDialog::~KensaDialog() { Destroy(); }

void KensaDialog::AddColumns(HWND list) {
  struct Column {
    UINT text;
    int width;
  };
  const Column columns[] = {
      {IDS_KENSA_KIND, 70}, {IDS_KENSA_SYSTEM, 90}, {IDS_KENSA_NUMBER, 60}, {IDS_KENSA_DETAIL, 300}};
  int index = 0;
  for (const Column& c : columns) {
    std::wstring text = ResourceString(instance_, c.text);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = text.data();
    column.cx = c.width;
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index++), reinterpret_cast<LPARAM>(&column));
  }
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
}

void KensaDialog::Show(const std::vector<plendra::KensaRow>& rows) {
  if (window_ == nullptr) {
    if (Create(instance_, IDD_KENSA, owner_()) == nullptr) return;
    AddColumns(GetDlgItem(window_, IDC_KENSA_LIST));
  }
  const HWND list = GetDlgItem(window_, IDC_KENSA_LIST);
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  int row_index = 0;
  for (const plendra::KensaRow& row : rows) {
    AddListRow(list, row_index, {&row.kind, &row.system, &row.number, &row.detail});
    ++row_index;
  }
  ShowWindow(window_, SW_SHOW);
}

INT_PTR KensaDialog::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  const HWND window = window_;
  switch (message) {
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header->idFrom == IDC_KENSA_LIST && header->code == NM_DBLCLK) {
        const int row = reinterpret_cast<const NMITEMACTIVATE*>(lparam)->iItem;
        if (row >= 0)
          RunEvent(link_, window, [row](plendra::Plendra& app) { app.MainForm().Kensa_List_DblClick(row); });
      }
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == IDCANCEL) ShowWindow(window, SW_HIDE);
      return TRUE;
    case WM_CLOSE:
      ShowWindow(window, SW_HIDE);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace plendra_gui
