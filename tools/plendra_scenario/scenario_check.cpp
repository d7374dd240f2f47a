// The scenario actions of Plendra's menu 検査: "check" chooses 番号の検査,
// "zoom N" double-clicks row N (from 1) of its findings list, "takeoff"
// chooses 集計表の出力; "expect finding TYPE SYSTEM NUMBER" holds when the
// last check found that, as plendra-report check would print it.
#include <limits>

#include "app/report.h"
#include "platform/utf8.h"
#include "scenario.h"

namespace scenario {

bool Runner::Kensa(const std::vector<std::string>& f) {
  plendra::Form1& form = app_->MainForm();
  if (f[0] == "check" && f.size() == 1) {
    form.Mnu_Bangou_Kensa_Click();
    return true;
  }
  if (f[0] == "takeoff" && f.size() == 1) {
    form.Mnu_Syuukei_Click();
    return true;
  }
  if (f[0] == "zoom" && f.size() == 2) {
    const auto row = Number(f[1], "zoom の ROW", 1, std::numeric_limits<std::int32_t>::max());
    if (!row) return false;
    if (static_cast<std::size_t>(*row) > host_->kensa.rows.size())
      return Fail("検査結果の一覧に " + f[1] + " 行目はありません (" +
                  std::to_string(host_->kensa.rows.size()) + " 行です)");
    transcript_.Add("  user: double-clicks finding " + f[1]);
    form.Kensa_List_DblClick(static_cast<std::int32_t>(*row - 1));
    return true;
  }
  return Fail("書き方が違います。正しくは " + std::string(f[0] == "zoom" ? "zoom ROW" : f[0]));
}

bool Runner::ExpectFinding(const std::vector<std::string>& f) {
  if (f.size() != 5) return Fail("書き方が違います。正しくは expect finding TYPE SYSTEM NUMBER");
  const std::string wanted = f[2] + "\t" + f[3] + "\t" + f[4];
  bool found = false;
  for (const plendra::Finding& finding : app_->MainForm().Findings())
    plendra::FindingLines(finding, [&](std::u16string_view line) {
      const std::string text = platform::ToUtf8(line);
      if (text == wanted || text.starts_with(wanted + "\t")) found = true;
    });
  return found ? true : Fail("検査は " + f[2] + " " + f[3] + " " + f[4] + " を見つけていません");
}

}  // namespace scenario
