// ZOOM with its Center, Window, Previous, All and Extents options, as
// Plendra's findings list zooms to an entry and a renumbering shows the entry
// it selects.
//
// cadsim draws nothing on a screen, so the view is kept only as AutoCAD
// reports it back (Cad::View): its center and height, the width following
// from Cad::kViewAspect. A window selection finds only what the view shows.
// All and Extents show the whole drawing again; the other options are
// accepted and change nothing.
#include <algorithm>
#include <cmath>
#include <optional>

#include "commands.h"

namespace cadsim::commands {
namespace {

void Show(Cad& cad, Cad::ViewState view) {
  cad.Finish([&cad, view] {
    cad.PreviousViews().push_back(cad.View());
    cad.View() = view;
  });
}

// A window fits the view around it: its height, or its width at the view's
// aspect, whichever needs more.
void ShowWindow(Cad& cad, Point a, Point b) {
  const double w = std::abs(b.x - a.x), h = std::abs(b.y - a.y);
  const double height = std::max(h, w / Cad::kViewAspect);
  if (height <= 0) {
    cad.Say(u"*無効な窓*");
    return cad.Finish();
  }
  Show(cad, {{(a.x + b.x) / 2, (a.y + b.y) / 2, 0}, height, true});
}

void AskOtherCorner(Cad& cad, Point first) {
  Question q;
  q.prompt = u"もう一方のコーナーを指定: ";
  q.answer = [&cad, first](std::u16string_view a) {
    const auto p = ParsePoint(a);
    if (!p) {
      cad.Say(u"点が必要です。");
      return cad.Again();
    }
    ShowWindow(cad, first, *p);
  };
  cad.Ask(std::move(q));
}

void AskFirstCorner(Cad& cad) {
  Question q;
  q.prompt = u"一方のコーナーを指定: ";
  q.answer = [&cad](std::u16string_view a) {
    const auto p = ParsePoint(a);
    if (!p) {
      cad.Say(u"点が必要です。");
      return cad.Again();
    }
    AskOtherCorner(cad, *p);
  };
  cad.Ask(std::move(q));
}

void AskCenter(Cad& cad) {
  Question center;
  center.prompt = u"中心点を指定: ";
  center.answer = [&cad](std::u16string_view p) {
    const auto point = ParsePoint(p);
    if (!point) {
      cad.Say(u"点が必要です。");
      return cad.Again();
    }
    Question height;
    height.prompt = u"尺度または高さを入力 <" + Decimal(cad.View().height) + u">: ";
    height.answer = [&cad, at = *point](std::u16string_view h) {
      std::optional<double> value = h.empty() ? std::optional<double>(cad.View().height) : ParseNumber(h);
      // "2x": a scale of the present view, twice as close.
      if (!value && !h.empty() && (h.back() == u'x' || h.back() == u'X'))
        if (const auto scale = ParseNumber(h.substr(0, h.size() - 1)); scale && *scale > 0)
          value = cad.View().height / *scale;
      if (!value || *value <= 0) {
        cad.Say(u"正の数値が必要です。");
        return cad.Again();
      }
      Show(cad, {at, *value, true});
    };
    cad.Ask(std::move(height));
  };
  cad.Ask(std::move(center));
}

}  // namespace

void Zoom(Cad& cad) {
  // AutoCAD asks in two lines; the command line shows the second.
  cad.Say(u"窓の隅を指定、尺度 (nX または nXP) を入力、または");
  Question q;
  q.prompt =
      u"[全体(A)/中心(C)/ダイナミック(D)/範囲(E)/前画面(P)/倍率(S)/窓(W)/オブジェクト(O)] <リアルタイム>: ";
  q.answer = [&cad](std::u16string_view a) {
    if (Is(a, {u"C", u"CENTER"})) return AskCenter(cad);
    if (Is(a, {u"W", u"WINDOW"})) return AskFirstCorner(cad);
    if (const auto p = ParsePoint(a)) return AskOtherCorner(cad, *p);  // a window's first corner
    if (Is(a, {u"A", u"ALL", u"E", u"EXTENTS"}))
      return Show(cad, {cad.View().center, cad.View().height, false});
    if (Is(a, {u"P", u"PREVIOUS"})) {
      auto& previous = cad.PreviousViews();
      if (previous.empty()) {
        cad.Say(u"前画面はもう保存されていません。");
        return cad.Finish();
      }
      return cad.Finish([&cad] {
        auto& stack = cad.PreviousViews();
        if (stack.empty()) return;
        cad.View() = stack.back();
        stack.pop_back();
      });
    }
    cad.Finish();
  };
  cad.Ask(std::move(q));
}

}  // namespace cadsim::commands
