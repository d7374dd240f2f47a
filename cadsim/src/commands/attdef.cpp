// -ATTDEF: an attribute definition made at the command line, as AutoCAD and
// AutoCAD LT 2002 to 2006 ask for it (ATTDEF runs this form too: cadsim has
// no dialogs).
//
// The modes start from AFLAGS and each keyword toggles one (Invisible 1,
// Constant 2, Verify 4, Preset 8). Then the tag (a blank ends it, and
// AutoCAD stores it upper-cased), the prompt and the default value (for a
// constant attribute its value instead), and the text's placement as TEXT
// asks for it: start point, or a justification and its point, or another
// style; the height unless the style fixes one; the rotation. Prompt and
// values take blanks literally; a leading backslash keeps a leading blank.
#include <memory>

#include "commands.h"

namespace cadsim::commands {
namespace {

struct Justification {
  std::u16string_view keyword, point_prompt;
  int halign, valign;
};

// The justifications placed by one point. Align and Fit take two points and
// a height from them; cadsim leaves them out.
constexpr Justification kJustifications[] = {
    {u"C", u"文字列の中心点を指定: ", 1, 0},    {u"M", u"文字列の中央点を指定: ", 4, 0},
    {u"R", u"文字列の右端点を指定: ", 2, 0},    {u"TL", u"文字列の左上点を指定: ", 0, 3},
    {u"TC", u"文字列の上中心点を指定: ", 1, 3}, {u"TR", u"文字列の右上点を指定: ", 2, 3},
    {u"ML", u"文字列の左中央点を指定: ", 0, 2}, {u"MC", u"文字列の中央点を指定: ", 1, 2},
    {u"MR", u"文字列の右中央点を指定: ", 2, 2}, {u"BL", u"文字列の左下点を指定: ", 0, 1},
    {u"BC", u"文字列の下中心点を指定: ", 1, 1}, {u"BR", u"文字列の右下点を指定: ", 2, 1},
};

using Def = std::shared_ptr<AttributeDef>;

std::u16string YesNo(const AttributeDef& d, int bit) { return (d.flags & bit) ? u"Y" : u"N"; }

// "\ value" keeps its leading blank; the backslash itself is not stored.
std::u16string Literal(std::u16string_view answer) {
  if (!answer.empty() && answer.front() == u'\\') answer.remove_prefix(1);
  return std::u16string(answer);
}

double TextSize(Cad& cad) {
  const auto& settings = cad.Settings();
  const auto it = settings.find(u"TEXTSIZE");
  const auto v = it == settings.end() ? std::nullopt : ParseNumber(it->second);
  return v.value_or(2.5);
}

void AskPlacement(Cad& cad, const Def& d);

void Done(Cad& cad, const Def& d) {
  cad.Finish([&cad, d] {
    Drawing& drawing = cad.TheDrawing();
    AttributeDef made = *d;
    made.handle = drawing.NewHandle();
    drawing.entities.emplace_back(std::move(made));
  });
}

void AskRotation(Cad& cad, const Def& d) {
  Question q;
  q.prompt = u"文字列の角度を指定 <0>: ";
  q.answer = [&cad, d](std::u16string_view a) {
    const auto v = a.empty() ? std::optional<double>(0) : ParseNumber(a);
    if (!v) {
      cad.Say(u"数値が必要です。");
      return cad.Again();
    }
    d->rotation = *v;
    Done(cad, d);
  };
  cad.Ask(std::move(q));
}

void AskHeight(Cad& cad, const Def& d) {
  const TextStyle* style = cad.TheDrawing().FindTextStyle(d->style);
  if (style && style->height > 0) {
    // A style with a fixed height is not asked for one.
    d->height = style->height;
    return AskRotation(cad, d);
  }
  const double fallback = TextSize(cad);
  Question q;
  q.prompt = u"高さを指定 <" + Decimal(fallback) + u">: ";
  q.answer = [&cad, d, fallback](std::u16string_view a) {
    const auto v = a.empty() ? std::optional<double>(fallback) : ParseNumber(a);
    if (!v || *v <= 0) {
      cad.Say(v ? u"0 より大きい値を入力してください。" : u"数値が必要です。");
      return cad.Again();
    }
    d->height = *v;
    cad.Settings()[u"TEXTSIZE"] = Decimal(*v, 8);
    AskRotation(cad, d);
  };
  cad.Ask(std::move(q));
}

// The point the text stands at: for a justified text its alignment point,
// which AutoCAD writes as group 11 and readers place the text by.
void Place(const Def& d, const Point& p) {
  d->position = p;
  d->align = p;
}

void AskJustification(Cad& cad, const Def& d) {
  Question q;
  q.prompt =
      u"オプションを入力 [位置合わせ(A)/フィット(F)/中心(C)/中央(M)/右寄せ(R)/左上(TL)/上中心(TC)/右上(TR)/"
      u"左中央(ML)/中央(MC)/右中央(MR)/左下(BL)/下中心(BC)/右下(BR)]: ";
  q.answer = [&cad, d](std::u16string_view a) {
    if (Is(a, {u"A", u"F"})) {
      cad.Say(u"cadsim は位置合わせ(A)とフィット(F)をサポートしていません。");
      return cad.Again();
    }
    for (const Justification& j : kJustifications) {
      if (!Is(a, {j.keyword})) continue;
      d->halign = j.halign, d->valign = j.valign;
      Question point;
      point.prompt = std::u16string(j.point_prompt);
      point.answer = [&cad, d](std::u16string_view p) {
        const auto at = ParsePoint(p);
        if (!at) {
          cad.Say(u"点が必要です。");
          return cad.Again();
        }
        Place(d, *at);
        AskHeight(cad, d);
      };
      return cad.Ask(std::move(point));
    }
    cad.Say(u"オプション キーワードが無効です。");
    cad.Again();
  };
  cad.Ask(std::move(q));
}

void AskStyle(Cad& cad, const Def& d) {
  Question q;
  q.prompt = u"文字スタイル名を入力 または [?] <" + d->style + u">: ";
  q.literal_blanks = true;  // style names may hold blanks
  q.answer = [&cad, d](std::u16string_view a) {
    if (!a.empty()) {
      const TextStyle* s = cad.TheDrawing().FindTextStyle(a);
      if (!s) {
        cad.Say(u"文字スタイル \"" + std::u16string(a) + u"\" が見つかりません。");
        return cad.Again();
      }
      d->style = s->name;
      d->width_factor = s->width_factor;
    }
    AskPlacement(cad, d);
  };
  cad.Ask(std::move(q));
}

void AskPlacement(Cad& cad, const Def& d) {
  const TextStyle* style = cad.TheDrawing().FindTextStyle(d->style);
  const double height = style && style->height > 0 ? style->height : TextSize(cad);
  cad.Say(u"現在の文字スタイル:  \"" + d->style + u"\"  文字の高さ:  " + Decimal(height));
  Question q;
  q.prompt = u"文字列の始点を指定 または [位置合わせオプション(J)/文字スタイル(S)]: ";
  q.answer = [&cad, d](std::u16string_view a) {
    if (Is(a, {u"J", u"JUSTIFY"})) return AskJustification(cad, d);
    if (Is(a, {u"S", u"STYLE"})) return AskStyle(cad, d);
    // Enter would place it below the previous attribute definition; cadsim
    // does not remember that one and wants a point.
    const auto at = ParsePoint(a);
    if (!at) {
      cad.Say(u"点または オプション キーワードが必要です。");
      return cad.Again();
    }
    d->halign = d->valign = 0;
    Place(d, *at);
    AskHeight(cad, d);
  };
  cad.Ask(std::move(q));
}

void AskText(Cad& cad, std::u16string prompt, std::function<void(std::u16string)> then) {
  Question q;
  q.prompt = std::move(prompt);
  q.literal_blanks = true;
  q.answer = [then = std::move(then)](std::u16string_view a) { then(Literal(a)); };
  cad.Ask(std::move(q));
}

void AskTag(Cad& cad, const Def& d) {
  Question q;
  q.prompt = u"属性名称を入力: ";
  q.answer = [&cad, d](std::u16string_view a) {
    if (a.empty()) return cad.Again();
    d->tag = Upper(a);
    if (d->flags & 2)
      return AskText(cad, u"属性値を入力: ", [&cad, d](std::u16string v) {
        d->value = std::move(v);
        AskPlacement(cad, d);
      });
    AskText(cad, u"属性プロンプトを入力: ", [&cad, d](std::u16string prompt) {
      d->prompt = std::move(prompt);
      AskText(cad, u"既定の属性値を入力: ", [&cad, d](std::u16string v) {
        d->value = std::move(v);
        AskPlacement(cad, d);
      });
    });
  };
  cad.Ask(std::move(q));
}

void AskModes(Cad& cad, const Def& d) {
  cad.Say(u"現在の属性モード: 非表示=" + YesNo(*d, 1) + u" 一定=" + YesNo(*d, 2) + u" 確認=" + YesNo(*d, 4) +
          u" プリセット=" + YesNo(*d, 8));
  Question q;
  q.prompt = u"変更するモードを入力 [非表示(I)/一定(C)/確認(V)/プリセット(P)] <終了>: ";
  q.answer = [&cad, d](std::u16string_view a) {
    if (a.empty()) return AskTag(cad, d);
    constexpr std::pair<std::u16string_view, int> kModes[] = {{u"I", 1}, {u"C", 2}, {u"V", 4}, {u"P", 8}};
    for (const auto& [keyword, bit] : kModes) {
      if (!Is(a, {keyword})) continue;
      d->flags ^= bit;
      return AskModes(cad, d);
    }
    cad.Say(u"オプション キーワードが無効です。");
    cad.Again();
  };
  cad.Ask(std::move(q));
}

}  // namespace

void AttDef(Cad& cad) {
  Drawing& drawing = cad.TheDrawing();
  auto d = std::make_shared<AttributeDef>();
  const auto& settings = cad.Settings();
  const auto flags = settings.contains(u"AFLAGS") ? ParseNumber(settings.at(u"AFLAGS")) : std::nullopt;
  d->flags = static_cast<int>(flags.value_or(0)) & 15;
  d->layer = drawing.current_layer;
  d->style = drawing.current_text_style;
  if (const TextStyle* s = drawing.FindTextStyle(d->style)) d->width_factor = s->width_factor;
  AskModes(cad, d);
}

}  // namespace cadsim::commands
