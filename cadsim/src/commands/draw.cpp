// LINE and CIRCLE, as typed points and distances (AutoCAD LT has both, so a
// script that draws with them runs on every release the system serves).
//
// LINE makes each segment as its end point is given, as AutoCAD does: Enter
// ends, Undo takes the last segment back, Close returns to the first point
// once two segments exist. CIRCLE takes a center and a radius or diameter;
// the three-point, two-point and tangent forms are left out.
#include <memory>

#include "commands.h"

namespace cadsim::commands {
namespace {

struct Drawn {
  std::vector<Handle> segments;
  std::vector<Point> points;  // the first point, then each segment's end
};

void AddLine(Cad& cad, const std::shared_ptr<Drawn>& s, const Point& to) {
  Drawing& d = cad.TheDrawing();
  cadsim::Line l;
  l.handle = d.NewHandle();
  l.layer = d.current_layer;
  l.start = s->points.back();
  l.end = to;
  d.entities.emplace_back(l);
  s->segments.push_back(l.handle);
  s->points.push_back(to);
}

void AskNext(Cad& cad, const std::shared_ptr<Drawn>& s) {
  Question q;
  q.prompt = s->segments.size() >= 2 ? u"次の点を指定 または [閉じる(C)/元に戻す(U)]: "
                                     : u"次の点を指定 または [元に戻す(U)]: ";
  q.answer = [&cad, s](std::u16string_view a) {
    if (a.empty()) return cad.Finish();
    if (Is(a, {u"U", u"UNDO"})) {
      if (s->segments.empty()) {
        cad.Say(u"すべて元に戻しました。");
      } else {
        auto& all = cad.TheDrawing().entities;
        std::erase_if(all, [h = s->segments.back()](const Entity& e) { return CommonOf(e).handle == h; });
        s->segments.pop_back();
        s->points.pop_back();
      }
      return AskNext(cad, s);
    }
    if (s->segments.size() >= 2 && Is(a, {u"C", u"CLOSE"})) {
      AddLine(cad, s, s->points.front());
      return cad.Finish();
    }
    const auto p = ParsePoint(a);
    if (!p) {
      cad.Say(u"点または オプション キーワードが必要です。");
      return cad.Again();
    }
    AddLine(cad, s, *p);
    AskNext(cad, s);
  };
  cad.Ask(std::move(q));
}

void AskRadius(Cad& cad, const Point& center, bool diameter) {
  const auto& settings = cad.Settings();
  const auto last = settings.contains(u"CIRCLERAD") ? ParseNumber(settings.at(u"CIRCLERAD")) : std::nullopt;
  const double fallback = last.value_or(0) * (diameter ? 2 : 1);
  Question q;
  q.prompt = std::u16string(diameter ? u"円の直径を指定" : u"円の半径を指定 または [直径(D)]") +
             (fallback > 0 ? u" <" + Decimal(fallback) + u">" : u"") + u": ";
  q.answer = [&cad, center, diameter, fallback](std::u16string_view a) {
    if (!diameter && Is(a, {u"D", u"DIAMETER"})) return AskRadius(cad, center, true);
    auto v = a.empty() && fallback > 0 ? std::optional<double>(fallback) : ParseNumber(a);
    if (!v || *v <= 0) {
      cad.Say(v ? u"0 より大きい値を入力してください。" : u"距離が必要です。");
      return cad.Again();
    }
    const double radius = diameter ? *v / 2 : *v;
    cad.Settings()[u"CIRCLERAD"] = Decimal(radius, 8);
    cad.Finish([&cad, center, radius] {
      Drawing& d = cad.TheDrawing();
      cadsim::Circle c;
      c.handle = d.NewHandle();
      c.layer = d.current_layer;
      c.center = center;
      c.radius = radius;
      d.entities.emplace_back(c);
    });
  };
  cad.Ask(std::move(q));
}

}  // namespace

void DrawLine(Cad& cad) {
  Question q;
  q.prompt = u"1 点目を指定: ";
  q.answer = [&cad](std::u16string_view a) {
    // Enter would continue from the last line or arc drawn; cadsim draws
    // only from typed points, so it ends.
    if (a.empty()) return cad.Finish();
    const auto p = ParsePoint(a);
    if (!p) {
      cad.Say(u"点が必要です。");
      return cad.Again();
    }
    auto s = std::make_shared<Drawn>();
    s->points.push_back(*p);
    AskNext(cad, s);
  };
  cad.Ask(std::move(q));
}

void DrawCircle(Cad& cad) {
  Question q;
  q.prompt = u"円の中心点を指定 または [3点(3P)/2点(2P)/接、接、半(T)]: ";
  q.answer = [&cad](std::u16string_view a) {
    if (Is(a, {u"3P", u"2P", u"T", u"TTR"})) {
      cad.Say(u"cadsim は中心点と半径(直径)による円だけを作成します。");
      return cad.Again();
    }
    const auto p = ParsePoint(a);
    if (!p) {
      cad.Say(u"点または オプション キーワードが必要です。");
      return cad.Again();
    }
    AskRadius(cad, *p, false);
  };
  cad.Ask(std::move(q));
}

}  // namespace cadsim::commands
