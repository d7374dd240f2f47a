// UNDO and U over the undo record (Cad::Undo).
//
// U takes back the newest entry: a command, or a whole group closed by UNDO
// End (reported as GROUP), or a mark. While a group is open, U and UNDO n
// stop at its beginning, as AutoCAD does; UNDO End (or a new BEgin) closes
// it, after which U takes the rest back as one. UNDO Back takes back
// everything since the newest mark, or, after asking, everything.
#include "commands.h"

namespace cadsim::commands {
namespace {

using Entry = Cad::UndoEntry;

enum class Step { kUndone, kMark, kNothing };

// Takes back the newest entry; *name receives what U reports for it.
Step StepBack(Cad& cad, std::u16string* name) {
  auto& entries = cad.Undo().entries;
  if (entries.empty()) return Step::kNothing;
  const Entry top = entries.back();
  switch (top.kind) {
    case Entry::kMark:
      entries.pop_back();
      return Step::kMark;
    case Entry::kBegin:  // an open group taken back to its start: no further
      return Step::kNothing;
    case Entry::kCommand:
      if (top.before) cad.Restore(*top.before);  // none: the command changed nothing
      entries.pop_back();
      *name = top.name;
      return Step::kUndone;
    case Entry::kEnd:
      break;
  }
  std::size_t begin = entries.size() - 1;
  while (begin > 0 && entries[begin].kind != Entry::kBegin) --begin;
  if (entries[begin].kind == Entry::kBegin) cad.Restore(*entries[begin].before);
  entries.resize(begin);
  *name = u"GROUP";
  return Step::kUndone;
}

// Takes back up to count entries (all with count 0, or up to the newest mark
// with to_mark) and reports them on one line, as AutoCAD lists them.
void TakeBack(Cad& cad, std::size_t count, bool to_mark) {
  std::u16string names;
  bool everything = false;
  for (std::size_t n = 0; count == 0 || n < count; ++n) {
    std::u16string name;
    const Step step = StepBack(cad, &name);
    if (step == Step::kNothing) {
      everything = cad.Undo().entries.empty();
      break;
    }
    if (step == Step::kMark) {
      if (!names.empty()) cad.Say(names), names.clear();
      cad.Say(u"マークに到達しました。");
      if (to_mark) break;
      continue;
    }
    if (!names.empty()) names += u' ';
    names += name;
  }
  if (!names.empty()) cad.Say(names);
  if (everything) cad.Say(u"すべて元に戻しました。");
}

void EndGroup(Cad& cad) {
  auto& undo = cad.Undo();
  if (!undo.group_open) return;
  undo.group_open = false;
  // A group with nothing left in it leaves nothing behind.
  if (!undo.entries.empty() && undo.entries.back().kind == Entry::kBegin)
    undo.entries.pop_back();
  else
    undo.entries.push_back({Entry::kEnd, {}, nullptr});
}

bool HasMark(Cad& cad) {
  for (const Entry& e : cad.Undo().entries)
    if (e.kind == Entry::kMark) return true;
  return false;
}

void AskOnOff(Cad& cad) {
  Question q;
  q.prompt = u"UNDO の自動モードをオンにしますか? [オン(ON)/オフ(OFF)] <" +
             std::u16string(cad.Undo().auto_on ? u"オン" : u"オフ") + u">: ";
  q.answer = [&cad](std::u16string_view a) {
    if (a.empty()) return cad.Finish();
    if (!Is(a, {u"ON", u"OFF"})) {
      cad.Say(u"オプション キーワードが無効です。");
      return cad.Again();
    }
    const bool on = Is(a, {u"ON"});
    cad.Finish([&cad, on] { cad.Undo().auto_on = on; });
  };
  cad.Ask(std::move(q));
}

void AskControl(Cad& cad) {
  Question q;
  q.prompt = u"UNDO コントロールのオプションを入力 [すべて(A)/なし(N)/1 回(O)] <すべて>: ";
  q.answer = [&cad](std::u16string_view a) {
    if (a.empty() || Is(a, {u"A", u"ALL"})) return cad.Finish();
    if (Is(a, {u"N", u"NONE", u"O", u"ONE"})) {
      cad.Say(u"cadsim は UNDO コントロールの なし と 1 回 をサポートしていません。");
      return cad.Finish();
    }
    cad.Say(u"オプション キーワードが無効です。");
    cad.Again();
  };
  cad.Ask(std::move(q));
}

void AskEverything(Cad& cad) {
  Question q;
  q.prompt = u"すべて元に戻します。よろしいですか? <Y>: ";
  q.answer = [&cad](std::u16string_view a) {
    if (!a.empty() && !Is(a, {u"Y", u"YES"})) return cad.Finish();
    cad.Finish([&cad] { TakeBack(cad, 0, false); });
  };
  cad.Ask(std::move(q));
}

}  // namespace

void UndoOne(Cad& cad) {
  cad.Finish([&cad] { TakeBack(cad, 1, false); });
}

void Undo(Cad& cad) {
  cad.Say(u"現在の設定: 自動 = " + std::u16string(cad.Undo().auto_on ? u"オン" : u"オフ") +
          u", コントロール = すべて");
  Question q;
  q.prompt =
      u"元に戻す操作の数を入力 または [自動(A)/コントロール(C)/開始(BE)/終了(E)/マーク(M)/後退(B)] <1>: ";
  q.answer = [&cad](std::u16string_view a) {
    if (a.empty()) return cad.Finish([&cad] { TakeBack(cad, 1, false); });
    if (Is(a, {u"A", u"AUTO"})) return AskOnOff(cad);
    if (Is(a, {u"C", u"CONTROL"})) return AskControl(cad);
    if (Is(a, {u"BE", u"BEGIN"}))
      return cad.Finish([&cad] {
        // A BEgin inside an open group ends that group first.
        EndGroup(cad);
        cad.Undo().entries.push_back({Entry::kBegin, {}, cad.Now()});
        cad.Undo().group_open = true;
      });
    if (Is(a, {u"E", u"END"})) return cad.Finish([&cad] { EndGroup(cad); });
    if (Is(a, {u"M", u"MARK"}))
      return cad.Finish([&cad] { cad.Undo().entries.push_back({Entry::kMark, {}, nullptr}); });
    if (Is(a, {u"B", u"BACK"})) {
      if (!HasMark(cad)) return AskEverything(cad);
      return cad.Finish([&cad] { TakeBack(cad, 0, true); });
    }
    const auto n = ParseNumber(a);
    if (!n || *n < 1 || *n > 32767 || *n != static_cast<double>(static_cast<int>(*n))) {
      cad.Say(u"1 から 32767 までの整数、またはオプション キーワードが必要です。");
      return cad.Again();
    }
    cad.Finish([&cad, count = static_cast<std::size_t>(*n)] { TakeBack(cad, count, false); });
  };
  cad.Ask(std::move(q));
}

}  // namespace cadsim::commands
