// -ATTEDIT, one attribute at a time.
//
// The block name, tag and value filters are wild-card patterns
// (WildMatch); block names and tags compare without regard to case, values
// exactly. Only visible attributes that pass all three are selected.
//
// The selection prompt takes picks, typed points, Window, Crossing, BOX and
// Last. A pick that hits a block reference (near its insertion point) takes
// its attributes; a typed point takes the attribute whose text lies under
// it, as a click on the text would, and one that hits no text starts a box:
// a window when the other corner lies to the right, a crossing when to the
// left. A window takes the attributes whose text lies
// wholly inside it, a crossing those whose text it touches, both only within
// the view ZOOM last set and only what is shown (neither the reference nor
// the attribute on a layer that is off or frozen). Last selects one
// attribute: the newest attribute of the newest block reference (AutoCAD's
// "last" is the last object made, and the attribute made last is the final
// one of that insert). Each selected attribute is then offered for change
// until Enter (Next) moves past the last one; Value asks Change (a part of
// the value) or Replace (all of it).
#include <algorithm>
#include <cmath>
#include <memory>

#include "commands.h"

namespace cadsim::commands {
namespace {

struct Editing {
  std::u16string block = u"*", tag = u"*", value = u"*";
  std::vector<std::pair<Handle, std::size_t>> attributes;  // insert and index
  std::size_t current = 0;
};

bool BlockFits(const Editing& e, const cadsim::Insert& n) { return WildMatch(e.block, n.block, true); }

bool AttributeFits(const Editing& e, const Attribute& a) {
  return !(a.flags & 1) && WildMatch(e.tag, a.tag, true) && WildMatch(e.value, a.value, false);
}

// The box a text covers, roughly: full-width characters as wide as the text
// is high, the others half as wide, stretched by the width factor, placed by
// the justification and turned by the rotation.
std::pair<Point, Point> TextBox(const Text& t) {
  double em = 0;
  for (char16_t c : t.value) em += c > 0x7F && !(c >= 0xFF61 && c <= 0xFF9F) ? 1.0 : 0.5;
  const double w = std::max(em, 0.5) * t.height * t.width_factor, h = t.height;
  const bool justified = t.halign != 0 || t.valign != 0;
  const Point at = justified ? t.align : t.position;
  double x0 = 0, y0 = 0;
  if (t.halign == 1 || t.halign == 4) x0 = -w / 2;
  if (t.halign == 2) x0 = -w;
  if (t.valign == 2 || t.halign == 4) y0 = -h / 2;
  if (t.valign == 3) y0 = -h;
  const double r = t.rotation * 3.14159265358979323846 / 180, cs = std::cos(r), sn = std::sin(r);
  Point low{1e300, 1e300, 0}, high{-1e300, -1e300, 0};
  for (const auto& [dx, dy] : {std::pair{x0, y0}, {x0 + w, y0}, {x0, y0 + h}, {x0 + w, y0 + h}}) {
    const double x = at.x + dx * cs - dy * sn, y = at.y + dx * sn + dy * cs;
    low = {std::min(low.x, x), std::min(low.y, y), 0};
    high = {std::max(high.x, x), std::max(high.y, y), 0};
  }
  return {low, high};
}

bool LayerShown(Cad& cad, std::u16string_view name) {
  const cadsim::Layer* l = cad.TheDrawing().FindLayer(name);
  return !l || !(l->off || l->frozen);
}

bool Chosen(const Editing& e, Handle insert, std::size_t index) {
  return std::find(e.attributes.begin(), e.attributes.end(), std::pair{insert, index}) != e.attributes.end();
}

Attribute* Current(Cad& cad, const Editing& e) {
  if (e.current >= e.attributes.size()) return nullptr;
  Entity* x = cad.TheDrawing().FindEntity(e.attributes[e.current].first);
  auto* n = x ? std::get_if<cadsim::Insert>(x) : nullptr;
  if (!n || e.attributes[e.current].second >= n->attributes.size()) return nullptr;
  return &n->attributes[e.attributes[e.current].second];
}

void AskChange(Cad& cad, const std::shared_ptr<Editing>& e);
void AskValue(Cad& cad, const std::shared_ptr<Editing>& e);

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

void AskValue(Cad& cad, const std::shared_ptr<Editing>& e) {
  Question q;
  q.prompt = u"値の変更タイプを入力 [変更(C)/置換(R)] <R>: ";
  q.answer = [&cad, e](std::u16string_view a) {
    if (a.empty() || Is(a, {u"R", u"REPLACE"}))
      return AskText(cad, e, u"新しい属性値を入力: ", true, [](Attribute& x, std::u16string_view v) {
        x.value = v;
        return true;
      });
    if (!Is(a, {u"C", u"CHANGE"})) {
      cad.Say(u"オプション キーワードが無効です。");
      return cad.Again();
    }
    Question part;
    part.prompt = u"変更する文字列を入力: ";
    part.literal_blanks = true;
    part.answer = [&cad, e](std::u16string_view old) {
      Attribute* at = Current(cad, *e);
      if (old.empty() || !at) return AskChange(cad, e);
      if (at->value.find(old) == std::u16string::npos) {
        cad.Say(u"文字列 \"" + std::u16string(old) + u"\" が見つかりません。");
        return AskChange(cad, e);
      }
      // The first occurrence is changed, as AutoCAD does.
      AskText(cad, e, u"新しい文字列を入力: ", true,
              [old = std::u16string(old)](Attribute& x, std::u16string_view v) {
                const std::size_t at = x.value.find(old);
                if (at != std::u16string::npos) x.value.replace(at, old.size(), v);
                return true;
              });
    };
    cad.Ask(std::move(part));
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
    if (Is(a, {u"V", u"VALUE"})) return AskValue(cad, e);
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

void Done(Cad& cad, const std::shared_ptr<Editing>& e) {
  cad.Say(Ascii(std::to_string(e->attributes.size())) + u" 個の属性を選択しました。");
  AskChange(cad, e);
}

void Add(Cad& cad, const std::shared_ptr<Editing>& e, Handle insert_handle, bool last_only) {
  Entity* x = cad.TheDrawing().FindEntity(insert_handle);
  const auto* n = x ? std::get_if<cadsim::Insert>(x) : nullptr;
  if (!n || !BlockFits(*e, *n)) return;
  for (std::size_t k = n->attributes.size(); k-- > 0;) {
    const Attribute& a = n->attributes[k];
    if (!AttributeFits(*e, a) || Chosen(*e, insert_handle, k)) continue;
    e->attributes.emplace_back(insert_handle, k);
    if (last_only) return;
  }
}

void AskAttributes(Cad& cad, const std::shared_ptr<Editing>& e);

// The attributes a window (or crossing) from c1 to c2 takes, in drawing order.
void AddWindow(Cad& cad, const std::shared_ptr<Editing>& e, Point c1, Point c2, bool crossing) {
  std::size_t found = 0;
  for (const Entity& x : cad.TheDrawing().entities) {
    const auto* n = std::get_if<cadsim::Insert>(&x);
    if (!n || !cad.Shown(x) || !BlockFits(*e, *n)) continue;
    for (std::size_t k = 0; k < n->attributes.size(); ++k) {
      const Attribute& a = n->attributes[k];
      if (!AttributeFits(*e, a) || !LayerShown(cad, a.layer) || Chosen(*e, n->handle, k)) continue;
      const auto [low, high] = TextBox(a);
      if (!cad.InWindow(low, high, c1, c2, crossing)) continue;
      e->attributes.emplace_back(n->handle, k);
      ++found;
    }
  }
  cad.Say(u"認識された数: " + Ascii(std::to_string(found)));
  AskAttributes(cad, e);
}

void AskCorner(Cad& cad, const std::shared_ptr<Editing>& e, Point first, std::optional<bool> crossing);

// A typed point takes the newest attribute whose text lies under it, as a
// click on the text would; under none it starts a box.
void AddAt(Cad& cad, const std::shared_ptr<Editing>& e, Point p) {
  const auto& entities = cad.TheDrawing().entities;
  for (auto it = entities.rbegin(); it != entities.rend(); ++it) {
    const auto* n = std::get_if<cadsim::Insert>(&*it);
    if (!n || !cad.Shown(*it)) continue;
    for (std::size_t k = n->attributes.size(); k-- > 0;) {
      const Attribute& a = n->attributes[k];
      if ((a.flags & 1) || !LayerShown(cad, a.layer)) continue;
      const auto [low, high] = TextBox(a);
      if (p.x < low.x || p.x > high.x || p.y < low.y || p.y > high.y) continue;
      const bool taken = BlockFits(*e, *n) && AttributeFits(*e, a) && !Chosen(*e, n->handle, k);
      if (taken) e->attributes.emplace_back(n->handle, k);
      cad.Say(u"認識された数: " + std::u16string(taken ? u"1" : u"0"));
      return AskAttributes(cad, e);
    }
  }
  AskCorner(cad, e, p, std::nullopt);
}

// The other corner of a box from first; with no kind given, its direction
// decides: to the right a window, to the left a crossing.
void AskCorner(Cad& cad, const std::shared_ptr<Editing>& e, Point first, std::optional<bool> crossing) {
  Question q;
  q.prompt = u"もう一方のコーナーを指定: ";
  q.answer = [&cad, e, first, crossing](std::u16string_view a) {
    const auto p = ParsePoint(a);
    if (!p) {
      cad.Say(u"点が必要です。");
      return cad.Again();
    }
    AddWindow(cad, e, first, *p, crossing.value_or(p->x < first.x));
  };
  cad.Ask(std::move(q));
}

void AskFirstCorner(Cad& cad, const std::shared_ptr<Editing>& e, std::optional<bool> crossing) {
  Question q;
  q.prompt = u"一方のコーナーを指定: ";
  q.answer = [&cad, e, crossing](std::u16string_view a) {
    const auto p = ParsePoint(a);
    if (!p) {
      cad.Say(u"点が必要です。");
      return cad.Again();
    }
    AskCorner(cad, e, *p, crossing);
  };
  cad.Ask(std::move(q));
}

void AskAttributes(Cad& cad, const std::shared_ptr<Editing>& e) {
  Question q;
  q.prompt = u"属性を選択: ";
  q.answer = [&cad, e](std::u16string_view a) {
    if (a.empty()) return Done(cad, e);
    if (Is(a, {u"W", u"WINDOW"})) return AskFirstCorner(cad, e, false);
    if (Is(a, {u"C", u"CROSSING"})) return AskFirstCorner(cad, e, true);
    if (Is(a, {u"BOX"})) return AskFirstCorner(cad, e, std::nullopt);
    if (const auto p = ParsePoint(a)) return AddAt(cad, e, *p);
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
