// The scenario actions of Plendra's menu 検査: "check" chooses 番号の検査,
// "zoom N" double-clicks row N (from 1) of its findings list, "takeoff"
// chooses 集計表の出力; "expect finding TYPE SYSTEM NUMBER" holds when the
// last check found that, as plendra-report check would print it.
#include <limits>

#include "app/report.h"
#include "cadsim/dxf.h"
#include "platform/utf8.h"
#include "scenario.h"
#include "scenario_internal.h"

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
  if (f[0] == "renumber" && f.size() <= 3 && (f.size() < 3 || f[2] == "cancel")) {
    host_->renumber.choose.reset();
    if (f.size() >= 2) host_->renumber.choose = platform::FromUtf8(f[1]);
    host_->renumber.execute = f.size() < 3;
    host_->renumber.shown = false;
    form.Mnu_Renumber_Click();
    return true;
  }
  if (f[0] == "autocad" && f.size() == 2) {
    // The user types at AutoCAD's command line (the "^M" notation).
    transcript_.Add("  user: types in AutoCAD " + f[1]);
    cad_->Cad().Type(TypedKeys(f[1]));
    return true;
  }
  if (f[0] == "snapshot" && f.size() == 1) {
    snapshot_ = Entities();
    return true;
  }
  const char* form_text = f[0] == "zoom"       ? "zoom ROW"
                          : f[0] == "renumber" ? "renumber [SYSTEM [cancel]]"
                          : f[0] == "autocad"  ? "autocad TEXT"
                                               : f[0].c_str();
  return Fail("書き方が違います。正しくは " + std::string(form_text));
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

std::string Runner::Entities() {
  const std::string dxf = cadsim::WriteDxf(cad_->TheDrawing(), desktop_.Codec());
  // The ENTITIES section: the header holds the view, which a zoom changes
  // and U need not take back entity for entity.
  const std::size_t begin = dxf.rfind("\nENTITIES");
  const std::size_t end = begin == std::string::npos ? begin : dxf.find("ENDSEC", begin);
  return begin == std::string::npos ? dxf : dxf.substr(begin, end - begin);
}

bool Runner::ExpectRenumber(const std::vector<std::string>& f) {
  if (f[1] == "snapshot") {
    if (f.size() != 2) return Fail("書き方が違います。正しくは expect snapshot");
    if (!snapshot_) return Fail("expect snapshot の前に snapshot がありません");
    return Entities() == *snapshot_ ? true : Fail("図面の図形が snapshot のときと違います");
  }
  if (!host_->renumber.shown) return Fail("番号の振り直しの計画は表示されていません");
  std::string seen;
  for (const plendra::RenumberRow& r : host_->renumber.last.rows)
    seen += (seen.empty() ? "" : " ") + Utf8(r.old_number) + ">" + Utf8(r.new_number);
  std::string wanted;
  for (std::size_t i = 2; i < f.size(); ++i)
    if (f[i] != "-") wanted += (wanted.empty() ? "" : " ") + f[i];
  return seen == wanted ? true : Fail("計画は \"" + wanted + "\" のはずが \"" + seen + "\" でした");
}

}  // namespace scenario
