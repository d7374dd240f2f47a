// SELECT and the object selection every editing command uses.
#include <algorithm>
#include <memory>

#include "commands.h"

namespace cadsim::commands {
namespace {

constexpr std::u16string_view kSelectPrompt = u"オブジェクトを選択: ";

struct Selection {
  bool single = false;
  std::vector<Handle> set;
  std::function<void(std::vector<Handle>)> done;
};

// ALL takes what lies on layers that are off too, as AutoCAD does; only a
// frozen layer keeps its objects out of every selection.
bool Thawed(Cad& cad, const Entity& e) {
  const cadsim::Layer* l = cad.TheDrawing().FindLayer(CommonOf(e).layer);
  return !l || !l->frozen;
}

void Report(Cad& cad, std::size_t found) { cad.Say(u"認識された数: " + Ascii(std::to_string(found))); }

void Ask(Cad& cad, std::shared_ptr<Selection> s);

void End(Cad& cad, const std::shared_ptr<Selection>& s) {
  cad.PreviousSelection() = s->set;
  s->done(s->set);
}

void Add(Cad& cad, const std::shared_ptr<Selection>& s, const std::vector<Handle>& found) {
  for (Handle h : found)
    if (std::find(s->set.begin(), s->set.end(), h) == s->set.end()) s->set.push_back(h);
  Report(cad, found.size());
  if (s->single && !found.empty()) return End(cad, s);
  Ask(cad, s);
}

void Typed(Cad& cad, const std::shared_ptr<Selection>& s, std::u16string_view answer) {
  Drawing& d = cad.TheDrawing();
  if (answer.empty()) return End(cad, s);
  if (Is(answer, {u"SI", u"SINGLE"})) {
    s->single = true;
    return Ask(cad, s);
  }
  std::vector<Handle> found;
  if (Is(answer, {u"L", u"LAST"})) {
    for (auto it = d.entities.rbegin(); it != d.entities.rend(); ++it) {
      if (cad.Shown(*it)) {  // the newest object that can be seen
        found.push_back(CommonOf(*it).handle);
        break;
      }
    }
  } else if (Is(answer, {u"P", u"PREVIOUS"})) {
    for (Handle h : cad.PreviousSelection())
      if (d.FindEntity(h)) found.push_back(h);
  } else if (Is(answer, {u"ALL"})) {
    for (const Entity& e : d.entities)
      if (Thawed(cad, e)) found.push_back(CommonOf(e).handle);
  } else {
    cad.Say(u"*無効な選択*");
    cad.Say(
        u"点を指定するか、窓(W)/最後(L)/交差(C)/ボックス(BOX)/すべて(ALL)/前回(P)/一つ(SI) "
        u"を指定してください。");
    return Ask(cad, s);
  }
  Add(cad, s, found);
}

void Picked(Cad& cad, const std::shared_ptr<Selection>& s, const UserAction& action) {
  const Handle h = cad.Picked(action);
  if (h == 0) return Ask(cad, s);  // a pick in empty space or at a hidden object: still selecting
  Add(cad, s, {h});
}

void Ask(Cad& cad, std::shared_ptr<Selection> s) {
  Question q;
  q.prompt = kSelectPrompt;
  q.answer = [&cad, s](std::u16string_view a) { Typed(cad, s, a); };
  q.on_user = [&cad, s](const UserAction& a) { Picked(cad, s, a); };
  cad.Ask(std::move(q));
}

}  // namespace

void SelectObjects(Cad& cad, bool single, std::function<void(std::vector<Handle>)> done) {
  auto s = std::make_shared<Selection>();
  s->single = single;
  s->done = std::move(done);
  Ask(cad, std::move(s));
}

void Select(Cad& cad) {
  SelectObjects(cad, false, [&cad](std::vector<Handle>) { cad.Finish(); });
}

}  // namespace cadsim::commands
