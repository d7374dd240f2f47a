#include "cadsim/release_profile.h"

namespace cadsim {
namespace {

std::u16string_view FileName(std::u16string_view path) {
  const std::size_t at = path.find_last_of(u"\\/");
  return at == std::u16string_view::npos ? path : path.substr(at + 1);
}

struct Shown {
  std::u16string_view product, text_window, prompt;
};

// What each release shows. Releases up to 2002 and the LT releases of that age
// write their katakana half-width, 2004 and later full-width.
constexpr Shown kShown[kReleaseCount] = {
    {u"AutoCAD 2000i", u"AutoCAD ﾃｷｽﾄ ｳｨﾝﾄﾞｳ", u"ｺﾏﾝﾄﾞ: "},
    {u"AutoCAD LT 2000i", u"AutoCAD LT ﾃｷｽﾄ ｳｨﾝﾄﾞｳ", u"ｺﾏﾝﾄﾞ: "},
    {u"AutoCAD 2002", u"AutoCAD ﾃｷｽﾄ ｳｨﾝﾄﾞｳ", u"ｺﾏﾝﾄﾞ: "},
    {u"AutoCAD LT 2002", u"AutoCAD LT ﾃｷｽﾄ ｳｨﾝﾄﾞｳ", u"ｺﾏﾝﾄﾞ: "},
    {u"AutoCAD 2004", u"AutoCAD テキスト ウィンドウ", u"コマンド: "},
    {u"AutoCAD LT 2004", u"AutoCAD LT テキスト ウィンドウ", u"コマンド: "},
    {u"AutoCAD 2005", u"AutoCAD テキスト ウィンドウ", u"コマンド: "},
    {u"AutoCAD LT 2005", u"AutoCAD LT テキスト ウィンドウ", u"コマンド: "},
    {u"AutoCAD 2006", u"AutoCAD テキスト ウィンドウ", u"コマンド: "},
};

}  // namespace

ReleaseProfile Profile(int index) {
  if (index < 0 || index >= kReleaseCount) index = 1;
  ReleaseProfile p;
  p.index = index;
  const Shown& shown = kShown[index];
  p.product = shown.product;
  p.text_window = shown.text_window;
  p.command_prompt = shown.prompt;
  // The releases that prompt in half-width katakana also cancel in it.
  const bool half_width = p.command_prompt == u"ｺﾏﾝﾄﾞ: ";
  p.cancel_marker = half_width ? u"*ｷｬﾝｾﾙ*" : u"*キャンセル*";
  const bool writes_2004 = !half_width;
  p.dxf_versions = {u"R12", u"2000"};
  if (writes_2004) p.dxf_versions.push_back(u"2004");
  p.default_dxf_version = p.dxf_versions.back();
  return p;
}

std::u16string ReleaseProfile::MainTitle(std::u16string_view drawing_path) const {
  return product + u" - [" + std::u16string(drawing_path) + u"]";
}

std::u16string ReleaseProfile::TextTitle(std::u16string_view drawing_path) const {
  return text_window + u" - " + std::u16string(FileName(drawing_path));
}

}  // namespace cadsim
