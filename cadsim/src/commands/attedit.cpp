// -ATTEDIT, one attribute at a time.
//
// The selection prompt takes picks and the keyword Last. Last selects one
// attribute: the newest attribute of the newest block reference (AutoCAD's
// "last" is the last object made, and the attribute made last is the final
// one of that insert). Each selected attribute is then offered for change
// until Enter (Next) moves past the last one.
#include <memory>

#include "commands.h"

namespace cadsim::commands {
namespace {

struct Editing {
  std::u16string block = u"*", tag = u"*", value = u"*";
  std::vector<std::pair<Handle, std::size_t>> attributes;  // insert and index
  std::size_t current = 0;
};

bool Fits(std::u16string_view pattern, std::u16string_view text) {
  return pattern == u"*" || SameName(pattern, text);
}

Attribute* Current(Cad& cad, const Editing& e) {
  if (e.current >= e.attributes.size()) return nullptr;
  Entity* x = cad.TheDrawing().FindEntity(e.attributes[e.current].first);
  auto* n = x ? std::get_if<cadsim::Insert>(x) : nullptr;
  if (!n || e.attributes[e.current].second >= n->attributes.size()) return nullptr;
  return &n->attributes[e.attributes[e.current].second];
}

void AskChange(Cad& cad, const std::shared_ptr<Editing>& e);

void AskText(Cad& cad, const std::shared_ptr<Editing>& e, std::u16string prompt, bool literal,
             std::function<bool(Attribute&, std::u16string_view)> apply) {
  Question q;
  q.prompt = std::move(prompt);
  q.literal_blanks = literal;
  q.answer = [&cad, e, apply = std::move(apply)](std::u16string_view a) {
    Attribute* at = Current(cad, *e);
    if (at && !a.empty() && !apply(*at, a)) return cad.Again();
    AskChange(cad, e);
  };
  cad.Ask(std::move(q));
}

void AskChange(Cad& cad, const std::shared_ptr<Editing>& e) {
  Attribute* at = Current(cad, *e);
  if (!at) return cad.Finish();
  Question q;
  q.prompt = u"オプションを入力 [値(V)/位置(P)/高さ(H)/角度(A)/文字スタイル(S)/画層(L)/色(C)/次(N)] <N>: ";
  q.answer = [&cad, e](std::u16string_view a) {
    Attribute* at = Current(cad, *e);
    if (a.empty() || Is(a, {u"N", u"NEXT"})) {
      ++e->current;
      return AskChange(cad, e);
    }
    if (Is(a, {u"V", u"VALUE"}))
      return AskText(cad, e, u"新しい属性値を入力: ", true, [](Attribute& x, std::u16string_view v) {
        x.value = v;
        return true;
      });
    if (Is(a, {u"S", u"STYLE"}))
      return AskText(cad, e, u"新しい文字スタイルを入力 <" + at->style + u">: ", false,
                     [&cad](Attribute& x, std::u16string_view v) {
                       const TextStyle* s = cad.TheDrawing().FindTextStyle(v);
                       if (!s) cad.Say(u"文字スタイル \"" + std::u16string(v) + u"\" が見つかりません。");
                       if (s) x.style = s->name;
                       return s != nullptr;
                     });
    if (Is(a, {u"H", u"HEIGHT"}))
      return AskText(cad, e, u"新しい高さを指定 <" + Decimal(at->height) + u">: ", false,
                     [](Attribute& x, std::u16string_view v) {
                       const auto h = ParseNumber(v);
                       if (h && *h > 0) x.height = *h;
                       return h && *h > 0;
                     });
    if (Is(a, {u"A", u"ANGLE"}))
      return AskText(cad, e, u"新しい回転角度を指定 <" + Decimal(at->rotation, 0) + u">: ", false,
                     [](Attribute& x, std::u16string_view v) {
                       const auto r = ParseNumber(v);
                       if (r) x.rotation = *r;
                       return r.has_value();
                     });
    if (Is(a, {u"L", u"LAYER"}))
      return AskText(cad, e, u"新しい画層名を入力 <" + at->layer + u">: ", false,
                     [&cad](Attribute& x, std::u16string_view v) {
                       const cadsim::Layer* l = cad.TheDrawing().FindLayer(v);
                       if (!l) cad.Say(u"画層 \"" + std::u16string(v) + u"\" が見つかりません。");
                       if (l) x.layer = l->name;
                       return l != nullptr;
                     });
    cad.Say(u"オプション キーワードが無効です。");
    cad.Again();
  };
  cad.Ask(std::move(q));
}

void Chosen(Cad& cad, const std::shared_ptr<Editing>& e) {
  cad.Say(Ascii(std::to_string(e->attributes.size())) + u" 個の属性を選択しました。");
  AskChange(cad, e);
}

void Add(Cad& cad, const std::shared_ptr<Editing>& e, Handle insert_handle, bool last_only) {
  Entity* x = cad.TheDrawing().FindEntity(insert_handle);
  const auto* n = x ? std::get_if<cadsim::Insert>(x) : nullptr;
  if (!n || !Fits(e->block, n->block)) return;
  for (std::size_t k = n->attributes.size(); k-- > 0;) {
    const Attribute& a = n->attributes[k];
    if ((a.flags & 1) || !Fits(e->tag, a.tag) || !Fits(e->value, a.value)) continue;
    e->attributes.emplace_back(insert_handle, k);
    if (last_only) return;
  }
}

void AskAttributes(Cad& cad, const std::shared_ptr<Editing>& e) {
  Question q;
  q.prompt = u"属性を選択: ";
  q.answer = [&cad, e](std::u16string_view a) {
    if (a.empty()) return Chosen(cad, e);
    if (Is(a, {u"L", u"LAST"})) {
      const auto& all = cad.TheDrawing().entities;
      const std::size_t before = e->attributes.size();
      for (auto it = all.rbegin(); it != all.rend() && e->attributes.size() == before; ++it)
        if (std::holds_alternative<cadsim::Insert>(*it)) Add(cad, e, CommonOf(*it).handle, true);
      cad.Say(u"認識された数: " + Ascii(std::to_string(e->attributes.size() - before)));
    } else {
      cad.Say(u"*無効な選択*");
    }
    AskAttributes(cad, e);
  };
  q.on_user = [&cad, e](const UserAction& u) {
    if (const Handle h = cad.Picked(u)) Add(cad, e, h, false);
    AskAttributes(cad, e);
  };
  cad.Ask(std::move(q));
}

void AskFilter(Cad& cad, const std::shared_ptr<Editing>& e, std::u16string prompt,
               std::u16string Editing::*field, std::function<void()> next) {
  Question q;
  q.prompt = std::move(prompt);
  q.answer = [e, field, next = std::move(next)](std::u16string_view a) {
    if (!a.empty()) (*e).*field = a;
    next();
  };
  cad.Ask(std::move(q));
}

}  // namespace

void AttEdit(Cad& cad) {
  Question q;
  q.prompt = u"属性を 1 つずつ編集しますか? [はい(Y)/いいえ(N)] <Y>: ";
  q.answer = [&cad](std::u16string_view a) {
    if (!a.empty() && !Is(a, {u"Y", u"YES"})) {
      cad.Say(u"cadsim は属性の一括編集をサポートしていません。");
      return cad.Finish();
    }
    auto e = std::make_shared<Editing>();
    AskFilter(cad, e, u"ブロック名の指定を入力 <*>: ", &Editing::block, [&cad, e] {
      AskFilter(cad, e, u"属性名称の指定を入力 <*>: ", &Editing::tag, [&cad, e] {
        AskFilter(cad, e, u"属性値の指定を入力 <*>: ", &Editing::value, [&cad, e] { AskAttributes(cad, e); });
      });
    });
  };
  cad.Ask(std::move(q));
}

}  // namespace cadsim::commands
