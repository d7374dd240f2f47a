// CHANGE: the selected objects' properties (layer, colour, linetype,
// lineweight), each applied as soon as it is answered; Enter ends.
#include <memory>

#include "commands.h"

namespace cadsim::commands {
namespace {

using Handles = std::shared_ptr<std::vector<Handle>>;

void ForEach(Cad& cad, const Handles& set, const std::function<void(Common&)>& fn) {
  for (Handle h : *set)
    if (Entity* e = cad.TheDrawing().FindEntity(h)) fn(CommonOf(*e));
}

std::optional<std::int16_t> Color(std::u16string_view v) {
  if (Is(v, {u"BYLAYER"})) return 256;
  if (Is(v, {u"BYBLOCK"})) return 0;
  static constexpr std::u16string_view kNames[] = {u"RED",  u"YELLOW",  u"GREEN", u"CYAN",
                                                   u"BLUE", u"MAGENTA", u"WHITE"};
  for (int k = 0; k < 7; ++k)
    if (Is(v, {kNames[k]})) return static_cast<std::int16_t>(k + 1);
  const auto n = ParseNumber(v);
  if (n && *n >= 1 && *n <= 255 && *n == static_cast<int>(*n)) return static_cast<std::int16_t>(*n);
  return std::nullopt;
}

std::optional<std::int16_t> Lineweight(std::u16string_view v) {
  if (Is(v, {u"BYLAYER"})) return -1;
  if (Is(v, {u"BYBLOCK"})) return -2;
  if (Is(v, {u"DEFAULT"})) return -3;
  const auto mm = ParseNumber(v);
  if (mm && *mm >= 0 && *mm <= 2.11) return static_cast<std::int16_t>(*mm * 100 + 0.5);
  return std::nullopt;
}

void AskProperty(Cad& cad, const Handles& set);

void AskValue(Cad& cad, const Handles& set, std::u16string prompt,
              std::function<bool(Common&, std::u16string_view)> apply) {
  Question q;
  q.prompt = std::move(prompt);
  q.answer = [&cad, set, apply = std::move(apply)](std::u16string_view a) {
    bool ok = true;
    if (!a.empty()) ForEach(cad, set, [&](Common& c) { ok = apply(c, a) && ok; });
    if (!ok) return cad.Again();
    AskProperty(cad, set);
  };
  cad.Ask(std::move(q));
}

void AskProperty(Cad& cad, const Handles& set) {
  Question q;
  q.prompt = u"変更するプロパティを入力 [色(C)/高度(E)/画層(LA)/線種(LT)/線種尺度(S)/線の太さ(LW)/厚さ(T)]: ";
  q.answer = [&cad, set](std::u16string_view a) {
    if (a.empty()) return cad.Finish();
    if (Is(a, {u"LA", u"LAYER"}))
      return AskValue(cad, set, u"新しい画層名を入力 <" + cad.TheDrawing().current_layer + u">: ",
                      [&cad](Common& c, std::u16string_view v) {
                        const cadsim::Layer* l = cad.TheDrawing().FindLayer(v);
                        if (!l) cad.Say(u"画層 \"" + std::u16string(v) + u"\" が見つかりません。");
                        if (l) c.layer = l->name;
                        return l != nullptr;
                      });
    if (Is(a, {u"C", u"COLOR"}))
      return AskValue(cad, set, u"新しい色 [トゥルーカラー(T)/カラーブック(CO)] <BYLAYER>: ",
                      [&cad](Common& c, std::u16string_view v) {
                        const auto color = Color(v);
                        if (!color) cad.Say(u"色の名前または番号 (1-255) を入力してください。");
                        if (color) c.color = *color;
                        return color.has_value();
                      });
    if (Is(a, {u"LT", u"LTYPE"}))
      return AskValue(cad, set, u"新しい線種名を入力 <ByLayer>: ", [&cad](Common& c, std::u16string_view v) {
        bool known = Is(v, {u"BYLAYER", u"BYBLOCK", u"CONTINUOUS"});
        for (const std::u16string& name : cad.TheDrawing().linetypes) known = known || SameName(name, v);
        if (!known) cad.Say(u"線種 \"" + std::u16string(v) + u"\" が見つかりません。");
        if (known)
          c.linetype = Is(v, {u"BYLAYER"})   ? u"ByLayer"
                       : Is(v, {u"BYBLOCK"}) ? u"ByBlock"
                                             : std::u16string(v);
        return known;
      });
    if (Is(a, {u"LW", u"LWEIGHT"}))
      return AskValue(cad, set, u"新しい線の太さを入力 <ByLayer>: ",
                      [&cad](Common& c, std::u16string_view v) {
                        const auto w = Lineweight(v);
                        if (!w) cad.Say(u"線の太さが無効です。");
                        if (w) c.lineweight = *w;
                        return w.has_value();
                      });
    cad.Say(u"cadsim はこのプロパティを変更できません。");
    cad.Again();
  };
  cad.Ask(std::move(q));
}

}  // namespace

void Change(Cad& cad) {
  SelectObjects(cad, false, [&cad](std::vector<Handle> set) {
    if (set.empty()) return cad.Finish();
    auto handles = std::make_shared<std::vector<Handle>>(std::move(set));
    Question q;
    q.prompt = u"変更点を指定 または [プロパティ(P)]: ";
    q.answer = [&cad, handles](std::u16string_view a) {
      if (Is(a, {u"P", u"PROPERTIES"})) return AskProperty(cad, handles);
      if (a.empty()) return cad.Finish();
      cad.Say(u"cadsim は点による変更をサポートしていません。");
      cad.Again();
    };
    cad.Ask(std::move(q));
  });
}

}  // namespace cadsim::commands
