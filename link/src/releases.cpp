#include "link/releases.h"

namespace korvel {

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

}  // namespace korvel
