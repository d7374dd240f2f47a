// -STYLE: a text style made or changed at the command line, which becomes
// the current text style. AutoCAD asks for the font, the height (0: asked
// for at each text), the width factor, the oblique angle, backwards and
// upside down, and for an SHX font that can stand upright whether to.
#include <memory>

#include "commands.h"

namespace cadsim::commands {
namespace {

struct Made {
  TextStyle style;
};

using StylePtr = std::shared_ptr<Made>;

void Store(Cad& cad, const StylePtr& m) {
  cad.Finish([&cad, m] {
    Drawing& d = cad.TheDrawing();
    if (TextStyle* s = d.FindTextStyle(m->style.name)) {
      s->font = m->style.font;
      s->height = m->style.height;
      s->width_factor = m->style.width_factor;
    } else {
      m->style.handle = d.NewHandle();
      d.text_styles.push_back(m->style);
    }
    d.current_text_style = m->style.name;
  });
  cad.Say(u"\"" + m->style.name + u"\" は現在の文字スタイルです。");
}

void AskYesNo(Cad& cad, std::u16string prompt, std::function<void()> next) {
  Question q;
  q.prompt = std::move(prompt);
  q.answer = [&cad, next = std::move(next)](std::u16string_view a) {
    if (a.empty() || Is(a, {u"Y", u"YES", u"N", u"NO"})) return next();
    cad.Say(u"Yes または No を入力してください。");
    cad.Again();
  };
  cad.Ask(std::move(q));
}

void AskNumber(Cad& cad, std::u16string prompt, double low, std::function<void(std::optional<double>)> next) {
  Question q;
  q.prompt = std::move(prompt);
  q.answer = [&cad, low, next = std::move(next)](std::u16string_view a) {
    if (a.empty()) return next(std::nullopt);
    const auto v = ParseNumber(a);
    if (!v || *v < low) {
      cad.Say(u"数値が必要です。");
      return cad.Again();
    }
    next(v);
  };
  cad.Ask(std::move(q));
}

bool IsShx(std::u16string_view font) {
  const std::u16string upper = Upper(font);
  return upper.find(u'.') == std::u16string::npos || upper.ends_with(u".SHX");
}

void AskFlags(Cad& cad, const StylePtr& m) {
  AskYesNo(cad, u"文字列を反転表示しますか? [はい(Y)/いいえ(N)] <N>: ", [&cad, m] {
    AskYesNo(cad, u"文字列を上下反転表示しますか? [はい(Y)/いいえ(N)] <N>: ", [&cad, m] {
      if (!IsShx(m->style.font)) return Store(cad, m);
      AskYesNo(cad, u"縦書きにしますか? [はい(Y)/いいえ(N)] <N>: ", [&cad, m] { Store(cad, m); });
    });
  });
}

void AskShape(Cad& cad, const StylePtr& m) {
  AskNumber(cad, u"文字の高さを指定 <" + Decimal(m->style.height) + u">: ", 0, [&cad, m](auto h) {
    if (h) m->style.height = *h;
    AskNumber(cad, u"幅係数を指定 <" + Decimal(m->style.width_factor) + u">: ", 1e-9, [&cad, m](auto w) {
      if (w) m->style.width_factor = *w;
      AskNumber(cad, u"傾斜角度を指定 <0>: ", -85, [&cad, m](auto) { AskFlags(cad, m); });
    });
  });
}

void AskFont(Cad& cad, const StylePtr& m) {
  std::u16string shown = m->style.font;
  if (Upper(shown).ends_with(u".SHX")) shown.resize(shown.size() - 4);
  Question q;
  q.prompt = u"フォント名またはフォント ファイル名を指定 <" + shown + u">: ";
  q.literal_blanks = true;  // TrueType font names hold blanks
  q.answer = [&cad, m](std::u16string_view a) {
    if (!a.empty()) {
      std::u16string font(a);
      if (font.find(u'.') == std::u16string::npos) font += u".shx";
      m->style.font = font;
    }
    AskShape(cad, m);
  };
  cad.Ask(std::move(q));
}

}  // namespace

void Style(Cad& cad) {
  Question q;
  q.prompt = u"文字スタイル名を入力 または [?] <" + cad.TheDrawing().current_text_style + u">: ";
  q.literal_blanks = true;  // style names may hold blanks
  q.answer = [&cad](std::u16string_view a) {
    auto m = std::make_shared<Made>();
    m->style.name = a.empty() ? cad.TheDrawing().current_text_style : std::u16string(a);
    if (const TextStyle* s = cad.TheDrawing().FindTextStyle(m->style.name)) {
      m->style = *s;
      m->style.name = s->name;
    } else {
      cad.Say(u"新しい文字スタイルです。");
    }
    AskFont(cad, m);
  };
  cad.Ask(std::move(q));
}

}  // namespace cadsim::commands
