// -LAYER: the options the system uses (New, Thaw, ON, Unlock) and their
// counterparts, each asking for a list of names; Enter ends the command.
#include "commands.h"

namespace cadsim::commands {
namespace {

std::vector<std::u16string> Names(std::u16string_view list) {
  std::vector<std::u16string> names;
  while (true) {
    const std::size_t comma = list.find(u',');
    if (!list.substr(0, comma).empty()) names.emplace_back(list.substr(0, comma));
    if (comma == std::u16string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return names;
}

bool Matches(std::u16string_view pattern, std::u16string_view name) {
  return pattern == u"*" || SameName(pattern, name);
}

void AskOption(Cad& cad);

// Asks for layer names and applies fn to each existing layer that matches.
void ForNames(Cad& cad, std::u16string prompt, std::function<void(cadsim::Layer&)> fn) {
  Question q;
  q.prompt = std::move(prompt);
  q.answer = [&cad, fn = std::move(fn)](std::u16string_view a) {
    for (const std::u16string& name : Names(a)) {
      bool found = false;
      for (cadsim::Layer& l : cad.TheDrawing().layers)
        if (Matches(name, l.name)) fn(l), found = true;
      if (!found) cad.Say(u"画層 \"" + name + u"\" が見つかりません。");
    }
    AskOption(cad);
  };
  cad.Ask(std::move(q));
}

void AskOption(Cad& cad) {
  Question q;
  q.prompt =
      u"オプションを入力 [?/作成(M)/設定(S)/新規作成(N)/ON/OFF/色(C)/線種(L)/線の太さ(LW)/フリーズ(F)/"
      u"フリーズ解除(T)/ロック(LO)/ロック解除(U)]: ";
  q.answer = [&cad](std::u16string_view a) {
    Drawing& d = cad.TheDrawing();
    if (a.empty()) return cad.Finish();
    if (Is(a, {u"N", u"NEW"})) {
      Question n;
      n.prompt = u"新規画層の名前を入力 (複数可): ";
      n.answer = [&cad](std::u16string_view names) {
        for (const std::u16string& name : Names(names)) cad.TheDrawing().EnsureLayer(name);
        AskOption(cad);
      };
      return cad.Ask(std::move(n));
    }
    if (Is(a, {u"M", u"MAKE"})) {
      Question m;
      m.prompt = u"新しい現在画層の名前を入力 <" + d.current_layer + u">: ";
      m.answer = [&cad](std::u16string_view name) {
        if (!name.empty()) cad.TheDrawing().current_layer = cad.TheDrawing().EnsureLayer(name).name;
        AskOption(cad);
      };
      return cad.Ask(std::move(m));
    }
    if (Is(a, {u"S", u"SET"}))
      return ForNames(cad, u"現在画層にする画層の名前を入力: ",
                      [&d](cadsim::Layer& l) { d.current_layer = l.name; });
    if (Is(a, {u"ON"}))
      return ForNames(cad, u"表示する画層の名前を入力: ", [](cadsim::Layer& l) { l.off = false; });
    if (Is(a, {u"OFF"}))
      return ForNames(cad, u"非表示にする画層の名前を入力: ", [](cadsim::Layer& l) { l.off = true; });
    if (Is(a, {u"T", u"THAW"}))
      return ForNames(cad, u"フリーズ解除する画層の名前を入力: ", [](cadsim::Layer& l) { l.frozen = false; });
    if (Is(a, {u"F", u"FREEZE"}))
      return ForNames(cad, u"フリーズする画層の名前を入力: ", [](cadsim::Layer& l) { l.frozen = true; });
    if (Is(a, {u"U", u"UNLOCK"}))
      return ForNames(cad, u"ロック解除する画層の名前を入力: ", [](cadsim::Layer& l) { l.locked = false; });
    if (Is(a, {u"LO", u"LOCK"}))
      return ForNames(cad, u"ロックする画層の名前を入力: ", [](cadsim::Layer& l) { l.locked = true; });
    if (Is(a, {u"C", u"COLOR"})) {
      Question c;
      c.prompt = u"色番号を入力: ";
      c.answer = [&cad](std::u16string_view v) {
        const auto n = ParseNumber(v);
        if (!n || *n < 1 || *n > 255) {
          cad.Say(u"1 から 255 までの整数を入力してください。");
          return cad.Again();
        }
        const auto color = static_cast<std::int16_t>(*n);
        ForNames(cad, u"色 " + Ascii(std::to_string(color)) + u" にする画層の名前を入力: ",
                 [color](cadsim::Layer& l) { l.color = color; });
      };
      return cad.Ask(std::move(c));
    }
    cad.Say(u"オプション キーワードが無効です。");
    cad.Again();
  };
  cad.Ask(std::move(q));
}

}  // namespace

void Layer(Cad& cad) {
  cad.Say(u"現在の画層: \"" + cad.TheDrawing().current_layer + u"\"");
  AskOption(cad);
}

}  // namespace cadsim::commands
