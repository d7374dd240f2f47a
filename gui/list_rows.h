// The report-style list views of the 検査 and 番号の振り直し dialogs: one row of
// texts, the first cell inserted and the others set beside it.
#pragma once

#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <initializer_list>
#include <string>

#include "wide_text.h"

namespace plendra_gui {

inline void AddListRow(HWND list, int row_index, std::initializer_list<const std::u16string*> cells) {
  int column = 0;
  for (const std::u16string* cell : cells) {
    std::wstring text = Wide(*cell);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row_index;
    item.iSubItem = column;
    item.pszText = text.data();
    SendMessageW(list, column == 0 ? LVM_INSERTITEMW : LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    ++column;
  }
}

}  // namespace plendra_gui
