// UCS (World and Previous) and ID.
//
// cadsim's drawing is in world coordinates only; UCS keeps track of whether
// the user system is the world one and of the previous states, so that a
// later Previous restores what was there.
#include "commands.h"

namespace cadsim::commands {

void Ucs(Cad& cad) {
  cad.Say(cad.UcsIsWorld() ? u"現在の UCS 名:  *ワールド*" : u"現在の UCS 名:  *名前なし*");
  Question q;
  q.prompt =
      u"UCS のオプションを入力 [新規作成(N)/移動(M)/直交(G)/前(P)/復元(R)/保存(S)/削除(D)/適用(A)/?/"
      u"ワールド(W)] <ワールド(W)>: ";
  q.answer = [&cad](std::u16string_view a) {
    if (a.empty() || Is(a, {u"W", u"WORLD"})) {
      cad.SetUcs(true);
      return cad.Finish();
    }
    if (Is(a, {u"P", u"PREVIOUS"})) {
      if (!cad.PreviousUcs()) cad.Say(u"前の UCS は保存されていません。");
      return cad.Finish();
    }
    cad.Say(u"cadsim はワールド(W) と前(P) 以外の UCS オプションをサポートしていません。");
    cad.Again();
  };
  cad.Ask(std::move(q));
}

void Id(Cad& cad) {
  auto report = [&cad](const Point& p) {
    cad.Say(u"X = " + Decimal(p.x) + u"     Y = " + Decimal(p.y) + u"     Z = " + Decimal(p.z));
    cad.Finish();
  };
  Question q;
  q.prompt = u"点を指定: ";
  q.answer = [&cad, report](std::u16string_view a) {
    const auto p = ParsePoint(a);
    if (!p) {
      cad.Say(u"点が必要です。");
      return cad.Again();
    }
    report(*p);
  };
  q.on_user = [&cad, report](const UserAction& u) {
    if (u.kind == UserAction::kPickPoint) return report(u.point);
    if (u.kind == UserAction::kPickEntity) {
      if (const Entity* e = cad.TheDrawing().FindEntity(u.handle)) return report(ReferencePoint(*e));
    }
    cad.Again();
  };
  cad.Ask(std::move(q));
}

}  // namespace cadsim::commands
