// The logic's UTF-16 text and the W calls' wchar_t text are the same code
// units on Windows; these helpers only change the type.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace plendra_gui {

inline std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

inline std::u16string Utf16(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }

// A window's text through WM_GETTEXT (empty for no window).
std::u16string WindowText(HWND window);

// A string of the resource table.
std::wstring ResourceString(HINSTANCE instance, UINT id);

}  // namespace plendra_gui
