// ZOOM with its Center option, as Plendra's findings list zooms to an entry.
//
// cadsim draws nothing on a screen, so the view is kept only as AutoCAD
// reports it back: the last center and height (Cad::View) for tests to read.
// The other options are accepted and change nothing.
#include "commands.h"

namespace cadsim::commands {

void Zoom(Cad& cad) {
  // AutoCAD asks in two lines; the command line shows the second.
  cad.Say(u"窓の隅を指定、尺度 (nX または nXP) を入力、または");
  Question q;
  q.prompt =
      u"[全体(A)/中心(C)/ダイナミック(D)/範囲(E)/前画面(P)/倍率(S)/窓(W)/オブジェクト(O)] <リアルタイム>: ";
  q.answer = [&cad](std::u16string_view a) {
    if (!Is(a, {u"C", u"CENTER"})) return cad.Finish();
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
        const auto value = h.empty() ? std::optional<double>(cad.View().height) : ParseNumber(h);
        if (!value || *value <= 0) {
          cad.Say(u"正の数値が必要です。");
          return cad.Again();
        }
        cad.View() = {at, *value};
        cad.Finish();
      };
      cad.Ask(std::move(height));
    };
    cad.Ask(std::move(center));
  };
  cad.Ask(std::move(q));
}

}  // namespace cadsim::commands
