// -WBLOCK: objects, a block or the whole drawing written as a drawing file,
// as AutoCAD and AutoCAD LT 2002 to 2006 ask for it at the command line.
//
// The output file's name comes first (quotes around a name with blanks are
// taken off; ".dwg" is added to a name without an extension), and an existing
// file is replaced only when the user says so. Then: Enter defines a new
// drawing from objects (insertion base point, then the selection; the
// objects leave the drawing, as they do in those releases), "=" writes the
// block named like the file, "*" the whole drawing, any other name that
// block.
//
// cadsim cannot write DWG: the file holds cadsim's own AutoCAD 2000 DXF text
// under the name it was given, and cadsim's -INSERT reads it back as a block.
// A real AutoCAD could not open such a ".dwg"; only the substitute reads it.
#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>

#include "cadsim/dxf.h"
#include "commands.h"

namespace cadsim::commands {
namespace {

struct Writing {
  std::u16string name;  // as typed, with its extension
  std::filesystem::path file;
};

std::u16string Unquoted(std::u16string_view a) {
  if (a.size() >= 2 && a.front() == u'"' && a.back() == u'"') a = a.substr(1, a.size() - 2);
  return std::u16string(a);
}

std::u16string WithDwg(std::u16string name) {
  const std::size_t sep = name.find_last_of(u"\\/"), dot = name.find_last_of(u'.');
  if (dot == std::u16string::npos || (sep != std::u16string::npos && dot < sep)) name += u".dwg";
  return name;
}

std::u16string Stem(std::u16string_view path) {
  const std::size_t sep = path.find_last_of(u"\\/");
  std::u16string_view name = sep == std::u16string_view::npos ? path : path.substr(sep + 1);
  return std::u16string(name.substr(0, name.find_last_of(u'.')));
}

// A new drawing holding these entities with base as its insertion base: the
// tables of the drawing they come from, and the blocks they name.
Drawing NewDrawing(const Drawing& from, std::vector<Entity> entities, const Point& base) {
  Drawing out;
  out.layers = from.layers;
  out.linetypes = from.linetypes;
  out.text_styles = from.text_styles;
  out.dim_styles = from.dim_styles;
  for (cadsim::Layer& l : out.layers) l.kept.app_data.clear();
  for (TextStyle& s : out.text_styles) s.kept.app_data.clear();
  for (DimStyle& s : out.dim_styles) s.kept.app_data.clear();
  out.measurement = from.measurement;
  out.insertion_base = base;
  out.next_handle = from.next_handle;  // the tables keep their handles
  std::set<std::u16string> named;
  for (Entity& e : entities) {
    ForgetHandles(e);
    if (const auto* n = std::get_if<cadsim::Insert>(&e)) named.insert(n->block);
    if (const auto* d = std::get_if<Dimension>(&e)) named.insert(d->block);
  }
  for (const Block& b : from.blocks) {
    if (!named.contains(b.name)) continue;
    Block copy = b;
    copy.record = copy.begin = copy.end = 0;
    copy.record_kept = copy.begin_kept = {};
    for (Entity& e : copy.entities) ForgetHandles(e);
    out.blocks.push_back(std::move(copy));
  }
  out.entities = std::move(entities);
  out.Complete();
  return out;
}

void Write(Cad& cad, const std::shared_ptr<Writing>& w, Drawing drawing, std::function<void()> after = {}) {
  cad.Finish([&cad, w, drawing = std::move(drawing), after = std::move(after)] {
    if (!WriteDxfFile(w->file, drawing, cad.Codec())) {
      cad.Say(u"ファイル \"" + w->name + u"\" に書き込めません。");
      return;
    }
    if (after) after();
  });
}

void AskObjects(Cad& cad, const std::shared_ptr<Writing>& w) {
  Question q;
  q.prompt = u"挿入基点を指定: ";
  q.answer = [&cad, w](std::u16string_view a) {
    const auto base = ParsePoint(a);
    if (!base) {
      cad.Say(u"点が必要です。");
      return cad.Again();
    }
    SelectObjects(cad, false, [&cad, w, base = *base](std::vector<Handle> set) {
      if (set.empty()) {
        cad.Say(u"オブジェクトが選択されていません。");
        return cad.Finish();
      }
      // In drawing order, whatever order they were selected in: a block's
      // attribute definitions prompt in the order they were made.
      Drawing& d = cad.TheDrawing();
      const std::set<Handle> chosen(set.begin(), set.end());
      std::vector<Entity> entities;
      for (const Entity& e : d.entities)
        if (chosen.contains(CommonOf(e).handle)) entities.push_back(e);
      Write(cad, w, NewDrawing(d, std::move(entities), base), [&cad, chosen] {
        std::erase_if(cad.TheDrawing().entities,
                      [&chosen](const Entity& e) { return chosen.contains(CommonOf(e).handle); });
      });
    });
  };
  cad.Ask(std::move(q));
}

void AskWhat(Cad& cad, const std::shared_ptr<Writing>& w) {
  cad.Say(u"既存のブロック名を入力 または");
  Question q;
  q.prompt = u"[= (ブロック=出力ファイル)/* (図面全体)] <新しい図面を定義>: ";
  q.literal_blanks = true;  // block names may hold blanks
  q.answer = [&cad, w](std::u16string_view a) {
    if (a.empty()) return AskObjects(cad, w);
    Drawing& d = cad.TheDrawing();
    if (a == u"*") {
      Drawing whole = d;
      whole.paper.clear();
      return Write(cad, w, std::move(whole));
    }
    const std::u16string name = a == u"=" ? Stem(w->name) : std::u16string(a);
    const Block* b = d.FindBlock(name);
    if (!b) {
      cad.Say(u"ブロック \"" + name + u"\" が見つかりません。");
      return cad.Again();
    }
    Write(cad, w, NewDrawing(d, b->entities, b->base));
  };
  cad.Ask(std::move(q));
}

}  // namespace

void WBlock(Cad& cad) {
  Question q;
  q.prompt = u"出力ファイル名を入力: ";
  q.literal_blanks = true;  // file names
  q.answer = [&cad](std::u16string_view a) {
    const std::u16string name = Unquoted(a);
    if (name.empty()) return cad.Finish();
    auto w = std::make_shared<Writing>();
    w->name = WithDwg(name);
    w->file = cad.LocalFile(w->name);
    std::error_code ec;
    if (!std::filesystem::exists(w->file, ec)) return AskWhat(cad, w);
    Question replace;
    replace.prompt = u"同じ名前の図面が既に存在します。置き換えますか? <N>: ";
    replace.answer = [&cad, w](std::u16string_view r) {
      if (Is(r, {u"Y", u"YES"})) return AskWhat(cad, w);
      cad.Finish();
    };
    cad.Ask(std::move(replace));
  };
  cad.Ask(std::move(q));
}

}  // namespace cadsim::commands
