#include "cadsim/release_profile.h"

namespace cadsim {
namespace {

std::u16string_view FileName(std::u16string_view path) {
  const std::size_t at = path.find_last_of(u"\\/");
  return at == std::u16string_view::npos ? path : path.substr(at + 1);
}

}  // namespace

ReleaseProfile Profile(int index) {
  if (index < 0 || index >= static_cast<int>(korvel::kReleaseCount)) index = 1;
  ReleaseProfile p;
  p.index = index;
  p.row = korvel::Releases()[static_cast<std::size_t>(index)];
  p.command_prompt = p.row.CommandPrompt;
  // The releases that prompt in half-width katakana also cancel in it.
  const bool half_width = p.command_prompt == u"ｺﾏﾝﾄﾞ: ";
  p.cancel_marker = half_width ? u"*ｷｬﾝｾﾙ*" : u"*キャンセル*";
  const bool writes_2004 = p.row.Product.find(u"200") != std::u16string_view::npos && !half_width;
  p.dxf_versions = {u"R12", u"2000"};
  if (writes_2004) p.dxf_versions.push_back(u"2004");
  p.default_dxf_version = p.dxf_versions.back();
  return p;
}

std::u16string ReleaseProfile::MainTitle(std::u16string_view drawing_path) const {
  return std::u16string(row.Product) + u" - [" + std::u16string(drawing_path) + u"]";
}

std::u16string ReleaseProfile::TextTitle(std::u16string_view drawing_path) const {
  const bool half_width = command_prompt == u"ｺﾏﾝﾄﾞ: ";
  return std::u16string(row.TextCompareTitle) + (half_width ? u" ｳｨﾝﾄﾞｳ - " : u" ウィンドウ - ") +
         std::u16string(FileName(drawing_path));
}

}  // namespace cadsim
