#include "app/releases.h"

namespace plendra {

const std::array<AcadRelease, kReleaseCount>& Releases() {
  // Releases up to 2002 and the LT rows of that age show half-width katakana
  // ("ﾃｷｽﾄ", "ｺﾏﾝﾄﾞ"); 2004 and later show full-width. The two never compare
  // equal, so the prompt of the row that connects decides for the whole run.
  static constexpr std::array<AcadRelease, kReleaseCount> kRows{{
      {u"AutoCAD", u"AutoCAD ﾃｷｽﾄ", u"Headlands", u"MountTam", u"ｺﾏﾝﾄﾞ: ", u"AutoCAD 2000i"},
      {u"AutoCAD LT", u"AutoCAD LT ﾃｷｽﾄ", u"Headlands", u"MountTam", u"ｺﾏﾝﾄﾞ: ", u"AutoCAD LT 2000i"},
      {u"AutoCAD 2002", u"AutoCAD ﾃｷｽﾄ", u"Headlands", u"MountTam", u"ｺﾏﾝﾄﾞ: ", u"AutoCAD 2002"},
      {u"AutoCAD LT", u"AutoCAD LT ﾃｷｽﾄ", u"Headlands", u"MountTam", u"ｺﾏﾝﾄﾞ: ", u"AutoCAD LT 2002"},
      {u"AutoCAD 2004", u"AutoCAD テキスト", u"Headlands", u"MountTam", u"コマンド: ", u"AutoCAD 2004"},
      {u"AutoCAD LT", u"AutoCAD LT テキスト", u"Headlands", u"MountTam", u"コマンド: ", u"AutoCAD LT 2004"},
      {u"AutoCAD 2005", u"AutoCAD テキスト", u"Headlands", u"MountTam", u"コマンド: ", u"AutoCAD 2005"},
      {u"AutoCAD LT", u"AutoCAD LT テキスト", u"Headlands", u"MountTam", u"コマンド: ", u"AutoCAD LT 2005"},
      {u"AutoCAD 2006", u"AutoCAD テキスト", u"Headlands", u"MountTam", u"コマンド: ", u"AutoCAD 2006"},
  }};
  return kRows;
}

void ApplyRelease(korvel::_PwAcad& acad, std::size_t index) {
  const AcadRelease& row = Releases().at(index);
  acad.put_MainCompareTitle(row.MainCompareTitle);
  acad.put_TextCompareTitle(row.TextCompareTitle);
  acad.put_CommandCompareTitle(row.CommandCompareTitle);
  acad.put_HistoryCompareTitle(row.HistoryCompareTitle);
  acad.put_CommandPrompt(row.CommandPrompt);
}

std::size_t SearchReleases(korvel::_PwAcad& acad,
                           const std::function<void(std::size_t row, std::int32_t result)>& each_row) {
  for (std::size_t row = 0; row < kReleaseCount; ++row) {
    ApplyRelease(acad, row);
    const std::int32_t result = acad.Search();
    if (each_row) each_row(row, result);
    if (result == -1) return row;
  }
  return kReleaseCount;
}

}  // namespace plendra
