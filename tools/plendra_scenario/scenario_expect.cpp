// "expect WHAT ...": what the user sees in Plendra and AutoCAD, what AutoCAD
// was handed, and what the program left in its files.
#include <fstream>
#include <functional>
#include <limits>
#include <sstream>

#include "app/number_text.h"
#include "scenario.h"
#include "scenario_internal.h"

namespace scenario {

struct Runner::Expectation {
  const char* what;
  // How it is written, for a line that names it but does not fit it.
  const char* form;
  // The fields of a line of it, "expect" and WHAT included.
  std::size_t least, most;
  // Whether it can be checked before start.
  bool before_start;
  bool (*check)(Runner&, const Fields&);
};

namespace {

constexpr std::size_t kAny = std::numeric_limits<std::size_t>::max();

// The number text of a single-precision value, for comparing numbers as the
// user reads them.
std::string NumberText(std::u16string_view text) {
  return Utf8(plendra::SingleText(static_cast<float>(plendra::LeadingNumber(text))));
}

bool ReadBytes(const std::filesystem::path& file, std::string* bytes) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  *bytes = s.str();
  return true;
}

// Line `wanted` (from 1) of CRLF-separated text; empty when there is none.
std::u16string LineOf(const std::u16string& text, std::int64_t wanted) {
  std::size_t at = 0;
  for (std::int64_t i = 1; i < wanted && at != std::u16string::npos; ++i) {
    at = text.find(u"\r\n", at);
    if (at != std::u16string::npos) at += 2;
  }
  if (at == std::u16string::npos || at >= text.size()) return {};
  const std::size_t end = text.find(u"\r\n", at);
  return text.substr(at, end == std::u16string::npos ? std::u16string::npos : end - at);
}

}  // namespace

const Runner::Expectation* Runner::FindExpectation(const std::string& what) {
  static const Expectation expectations[] = {
      {"status", "expect status TEXT", 3, 3, false,
       [](Runner& r, const Fields& f) { return r.Same(f[1], Utf8(r.host_->form.Status()), f[2]); }},
      {"message", "expect message TEXT または expect message -", 3, 3, false,
       [](Runner& r, const Fields& f) {
         const auto& boxes = r.desktop_.ShownBoxes();
         if (f[2] == "-") {
           const bool none = boxes.size() == r.boxes_seen_;
           r.boxes_seen_ = boxes.size();
           return none ? true
                       : r.Fail("新しいメッセージはないはずが \"" + Utf8(boxes.back().text) + "\" でした");
         }
         r.boxes_seen_ = boxes.size();
         return r.Same(f[1], boxes.empty() ? std::string() : Utf8(boxes.back().text), f[2]);
       }},
      {"number", "expect number TEXT", 3, 3, false,
       [](Runner& r, const Fields& f) { return r.Same(f[1], Utf8(r.host_->form.bangou.Text()), f[2]); }},
      {"system", "expect system TEXT", 3, 3, false,
       [](Runner& r, const Fields& f) { return r.Same(f[1], Utf8(r.host_->form.keitou.Text()), f[2]); }},
      {"button", "expect button TEXT", 3, 3, false,
       [](Runner& r, const Fields& f) { return r.Same(f[1], Utf8(r.host_->form.button.Caption()), f[2]); }},
      {"entries", "expect entries N", 3, 3, false,
       [](Runner& r, const Fields& f) {
         const auto wanted =
             r.Number(f[2], "expect entries の N", 0, std::numeric_limits<std::int32_t>::max());
         if (!wanted) return false;
         int count = 0;
         if (r.cad_)
           for (const cadsim::Entity& e : r.cad_->TheDrawing().entities)
             if (const auto* insert = std::get_if<cadsim::Insert>(&e))
               for (const auto& a : insert->attributes)
                 if (a.tag == u"(1)系統") ++count;
         return r.Same(f[1], std::to_string(count), std::to_string(*wanted));
       }},
      {"entry", "expect entry SYSTEM NUMBER LENGTH X Y", 7, 7, false,
       [](Runner& r, const Fields& f) {
         for (std::size_t i = 4; i < 7; ++i)
           if (!DecimalNumber(f[i]))
             return r.Fail(std::string(i == 4   ? "expect entry の LENGTH"
                                       : i == 5 ? "expect entry の X"
                                                : "expect entry の Y") +
                           " は数で書いてください: \"" + f[i] + "\"");
         const cadsim::Insert* entry = r.FindEntry(U16(f[2]), U16(f[3]));
         if (entry == nullptr) return r.Fail("記入 " + f[2] + " " + f[3] + " がありません");
         const std::string length =
             entry->attributes.size() > 3 ? NumberText(entry->attributes[3].value) : "";
         const std::string x = Utf8(plendra::SingleText(static_cast<float>(entry->position.x)));
         const std::string y = Utf8(plendra::SingleText(static_cast<float>(entry->position.y)));
         const std::string seen = length + " " + x + " " + y;
         const std::string wanted =
             NumberText(U16(f[4])) + " " + NumberText(U16(f[5])) + " " + NumberText(U16(f[6]));
         return seen == wanted ? true
                               : r.Fail("記入 " + f[2] + " " + f[3] + " の長さと位置は " + wanted +
                                        " のはずが " + seen + " でした");
       }},
      {"layer", "expect layer SYSTEM NUMBER LAYER", 5, 5, false,
       [](Runner& r, const Fields& f) {
         const cadsim::Insert* entry = r.FindEntry(U16(f[2]), U16(f[3]));
         if (entry == nullptr) return r.Fail("記入 " + f[2] + " " + f[3] + " がありません");
         return r.Same(f[1], Utf8(entry->layer), f[4]);
       }},
      {"style", "expect style SYSTEM NUMBER STYLE", 5, 5, false,
       [](Runner& r, const Fields& f) {
         const cadsim::Insert* entry = r.FindEntry(U16(f[2]), U16(f[3]));
         if (entry == nullptr) return r.Fail("記入 " + f[2] + " " + f[3] + " がありません");
         // -ATTEDIT changes the attribute it selected as "last", not all of them.
         std::string seen;
         for (const auto& a : entry->attributes) {
           if (a.style == U16(f[4])) return true;
           seen += (seen.empty() ? "" : ",") + Utf8(a.style);
         }
         return r.Same(f[1], seen, f[4]);
       }},
      {"ini", "expect ini LINE TEXT", 4, 4, false,
       [](Runner& r, const Fields& f) {
         std::string bytes;
         const auto line = r.Number(f[2], "expect ini の LINE", 1, std::numeric_limits<std::int32_t>::max());
         if (!line) return false;
         if (!ReadBytes(r.app_folder_ / "plendra.ini", &bytes)) return r.Fail("plendra.ini がありません");
         return r.Same(f[1], Utf8(LineOf(r.desktop_.Codec().FromAnsi(bytes), *line)), f[3]);
       }},
      {"sent", "expect sent TEXT", 3, 3, false,
       [](Runner& r, const Fields& f) {
         for (const std::u16string& text : r.received_)
           if (!text.starts_with(kStatusMark) && Utf8(text) == f[2]) return true;
         return r.Fail("AutoCAD に \"" + f[2] + "\" は渡されていません");
       }},
      {"ended", "expect ended", 2, 2, true,
       [](Runner& r, const Fields&) {
         return r.host_ && r.host_->ended ? true : r.Fail("プログラムはまだ終了していません");
       }},
      {"finding", "expect finding TYPE SYSTEM NUMBER", 1, kAny, false,
       [](Runner& r, const Fields& f) { return r.ExpectFinding(f); }},
      {"plan", "expect plan OLD>NEW... または expect plan -", 1, kAny, false,
       [](Runner& r, const Fields& f) { return r.ExpectRenumber(f); }},
      {"snapshot", "expect snapshot", 1, kAny, false,
       [](Runner& r, const Fields& f) { return r.ExpectRenumber(f); }},
      {"message-part", "expect message-part TEXT", 3, 3, false,
       [](Runner& r, const Fields& f) {
         // For a text that names a folder of this machine (the temporary one).
         const auto& boxes = r.desktop_.ShownBoxes();
         r.boxes_seen_ = boxes.size();
         const std::string seen = boxes.empty() ? std::string() : Utf8(boxes.back().text);
         return seen.find(f[2]) != std::string::npos
                    ? true
                    : r.Fail("メッセージに \"" + f[2] + "\" が含まれるはずが \"" + seen + "\" でした");
       }},
      {"variable", "expect variable NAME VALUE", 4, 4, false,
       [](Runner& r, const Fields& f) {
         if (!r.cad_) return r.Fail("AutoCAD が動いていません");
         return r.Same(f[1], Utf8(r.Variable(U16(f[2]))), f[3]);
       }},
      {"height", "expect height SYSTEM NUMBER HEIGHT", 5, 5, false,
       [](Runner& r, const Fields& f) {
         if (!DecimalNumber(f[4]))
           return r.Fail("expect height の HEIGHT は数で書いてください: \"" + f[4] + "\"");
         const cadsim::Insert* entry = r.FindEntry(U16(f[2]), U16(f[3]));
         if (entry == nullptr) return r.Fail("記入 " + f[2] + " " + f[3] + " がありません");
         // The number's attribute: the one right after the system's.
         const auto& a = entry->attributes;
         std::string seen;
         for (std::size_t i = 0; i + 1 < a.size(); ++i)
           if (a[i].tag == u"(1)系統") seen = Utf8(plendra::SingleText(static_cast<float>(a[i + 1].height)));
         return r.Same(f[1], seen, NumberText(U16(f[4])));
       }},
      {"within", "expect within MS", 3, 3, false,
       [](Runner& r, const Fields& f) {
         const auto ms = r.Number(f[2], "expect within の MS", 0, kLongestMs);
         if (!ms) return false;
         return r.line_took_ms_ <= *ms ? true
                                       : r.Fail("前の操作は " + f[2] + " ms 以内に終わるはずが " +
                                                std::to_string(r.line_took_ms_) + " ms かかりました");
       }},
      {"next", "expect next TEXT... または expect next -", 3, kAny, false,
       [](Runner& r, const Fields& f) { return r.ExpectNext(f); }},
      {"focus", "expect focus system または expect focus number", 3, 3, false,
       [](Runner& r, const Fields& f) {
         if (f[2] == "system")
           return r.host_->form.keitou.Focused() ? true : r.Fail("系統の欄にフォーカスがありません");
         if (f[2] == "number")
           return r.host_->form.bangou.Focused() ? true : r.Fail("番号の欄にフォーカスがありません");
         return r.Fail("書き方が違います。正しくは expect focus system または expect focus number");
       }},
      {"menus", "expect menus enabled または expect menus disabled", 3, 3, false,
       [](Runner& r, const Fields& f) {
         if (f[2] != "enabled" && f[2] != "disabled")
           return r.Fail("書き方が違います。正しくは expect menus enabled または expect menus disabled");
         const bool on = f[2] == "enabled";
         const FakeForm1& form = r.host_->form;
         std::string wrong;
         if (form.settei_menu.Enabled() != on) wrong += " 設定";
         if (form.help_menu.Enabled() != on) wrong += " ヘルプ";
         if (form.kensa_menu.Enabled() != on) wrong += " 検査";
         return wrong.empty() ? true
                              : r.Fail("メニューが " + std::string(on ? "使える" : "使えない") +
                                       "状態ではありません:" + wrong);
       }},
  };
  for (const Expectation& e : expectations)
    if (what == e.what) return &e;
  return nullptr;
}

bool Runner::Expect(const Fields& f) {
  if (f.size() < 2) return Fail("expect の後に何を確かめるかを書いてください");
  const std::string& what = f[1];
  const Expectation* e = FindExpectation(what);
  const bool fits = e != nullptr && f.size() >= e->least && f.size() <= e->most;
  if (fits && e->before_start) return e->check(*this, f);
  if (!host_)
    return Fail(e != nullptr ? "expect " + what + " の前にプログラムを起動してください (start がありません)"
                             : "知らない確かめ方です: expect " + what);
  if (e == nullptr) return Fail("知らない確かめ方です: expect " + what);
  if (!fits) return Fail("書き方が違います。正しくは " + std::string(e->form));
  return e->check(*this, f);
}

bool Runner::Same(const std::string& what, const std::string& seen, const std::string& wanted) {
  return seen == wanted ? true : Fail(what + " は \"" + wanted + "\" のはずが \"" + seen + "\" でした");
}

const cadsim::Insert* Runner::FindEntry(const std::u16string& system, const std::u16string& number) const {
  if (!cad_) return nullptr;
  for (cadsim::Entity& e : cad_->TheDrawing().entities) {
    const auto* insert = std::get_if<cadsim::Insert>(&e);
    if (insert == nullptr) continue;
    const auto& a = insert->attributes;
    for (std::size_t i = 0; i + 1 < a.size(); ++i)
      if (a[i].tag == u"(1)系統" && a[i].value == system && a[i + 1].value == number) return insert;
  }
  return nullptr;
}

bool Runner::ExpectNext(const Fields& f) {
  // The commands, and the status bar's changes ("status:TEXT"), handed and
  // made since the mark.
  std::vector<std::string> seen;
  for (std::size_t i = next_mark_; i < received_.size(); ++i) seen.push_back(Utf8(received_[i]));
  const std::string status_mark = Utf8(kStatusMark);
  const auto is_status = [&](const std::string& s) { return s.rfind(status_mark, 0) == 0; };
  const auto since = [&] {
    std::string list;
    for (const std::string& line : seen) list += "\n    " + line;
    return list.empty() ? std::string(" nothing") : list;
  };
  if (f.size() == 3 && f[2] == "-") {
    if (std::any_of(seen.begin(), seen.end(), [&](const std::string& s) { return !is_status(s); }))
      return Fail("AutoCAD に何も渡されていないはずが、渡されたもの:" + since());
    return true;
  }
  const std::vector<std::string> want(f.begin() + 2, f.end());
  // Each TEXT is the next command exactly, "*" any one command, "..." any
  // lines (the fewest that let the rest match), "status:TEXT" the status
  // bar's next change; changes of the status bar that no field names are
  // passed over.
  std::function<std::optional<std::size_t>(std::size_t, std::size_t)> match =
      [&](std::size_t w, std::size_t at) -> std::optional<std::size_t> {
    if (w == want.size()) return at;
    if (want[w] == "...") {
      for (std::size_t skip = at; skip <= seen.size(); ++skip)
        if (const auto end = match(w + 1, skip)) return end;
      return std::nullopt;
    }
    if (!is_status(want[w]))
      while (at < seen.size() && is_status(seen[at])) ++at;
    if (at >= seen.size() || (want[w] != "*" && want[w] != seen[at])) return std::nullopt;
    return match(w + 1, at + 1);
  };
  const std::optional<std::size_t> end = match(0, 0);
  if (!end) return Fail("AutoCAD にこの順に渡されていません。前の expect next から渡されたもの:" + since());
  next_mark_ += *end;
  return true;
}

}  // namespace scenario
