// How one release of AutoCAD looks from outside: window titles, the command
// prompt and the cancel marker it writes into the history.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cadsim {

// The nine releases cadsim can show, numbered in the order a client that
// looks for AutoCAD tries them. Each states what that AutoCAD itself shows,
// written out here rather than taken from a client's table, so that a wrong
// row on either side makes a search fail instead of agreeing with itself.
inline constexpr int kReleaseCount = 9;

struct ReleaseProfile {
  int index = 0;
  std::u16string product;  // "AutoCAD LT 2002": the start of the main title
  std::u16string text_window;  // "AutoCAD LT ﾃｷｽﾄ ｳｨﾝﾄﾞｳ": the start of the text window's title
  std::u16string command_prompt;             // "ｺﾏﾝﾄﾞ: " or "コマンド: "
  std::u16string cancel_marker;              // "*ｷｬﾝｾﾙ*" or "*キャンセル*"
  std::vector<std::u16string> dxf_versions;  // what SAVEAS and DXFOUT offer
  std::u16string default_dxf_version;

  // "AutoCAD LT 2002 - [C:\図面\sample.dwg]"
  std::u16string MainTitle(std::u16string_view drawing_path) const;
  // "AutoCAD LT ﾃｷｽﾄ ｳｨﾝﾄﾞｳ - sample.dwg"
  std::u16string TextTitle(std::u16string_view drawing_path) const;
  // The window classes AutoCAD's MFC frames register.
  std::u16string MainClass() const { return u"Afx:00400000:8:00010011:00000000:00A40F3B"; }
  std::u16string TextClass() const { return u"Afx:00400000:0:00010011:00000010:00000000"; }
};

// index 0 to kReleaseCount - 1; anything else is taken as 1 (AutoCAD LT).
ReleaseProfile Profile(int index);

}  // namespace cadsim
