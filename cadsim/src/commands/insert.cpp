// -INSERT: a block by name, or a drawing file inserted as a block.
//
// cadsim cannot read DWG. A drawing file that cadsim wrote itself (-WBLOCK
// to "X.dwg") holds DXF text under its .dwg name and is read as it is;
// otherwise "X.dwg" is read from the DXF of the same name next to it, or from
// one of the block folders the host names. A name that finds nothing ends the
// command with AutoCAD's message, so whatever was typed after it lands at the
// command prompt.
#include <cmath>
#include <filesystem>
#include <memory>
#include <numbers>

#include "cadsim/dxf.h"
#include "commands.h"

namespace cadsim::commands {
namespace {

struct Placing {
  std::u16string block;
  Point position;
  double scale = 1, rotation = 0;
  bool scale_given = false, rotation_given = false;
  bool announced = false;
  std::vector<std::u16string> values;  // one per attribute definition
};

std::u16string Stem(std::u16string_view path) {
  const std::size_t sep = path.find_last_of(u"\\/");
  std::u16string_view name = sep == std::u16string_view::npos ? path : path.substr(sep + 1);
  const std::size_t dot = name.find_last_of(u'.');
  return std::u16string(dot == std::u16string_view::npos ? name : name.substr(0, dot));
}

std::vector<std::filesystem::path> Candidates(Cad& cad, std::u16string_view path) {
  std::u16string dxf(path);
  const std::size_t sep = dxf.find_last_of(u"\\/"), dot = dxf.find_last_of(u'.');
  if (dot != std::u16string::npos && (sep == std::u16string::npos || dot > sep)) dxf.resize(dot);
  dxf += u".dxf";
  std::vector<std::filesystem::path> c{cad.LocalFile(path), cad.LocalFile(dxf)};
  for (const std::u16string& folder : cad.BlockFolders())
    c.push_back(std::filesystem::path(folder) / std::filesystem::path(Stem(path) + u".dxf"));
  return c;
}

// Reads the drawing file and adds it to the drawing as the block `name`,
// with the layers and text styles it uses. False when there is no such file.
bool LoadBlockFile(Cad& cad, std::u16string_view path, const std::u16string& name) {
  for (const std::filesystem::path& file : Candidates(cad, path)) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) continue;
    Drawing source;
    try {
      source = ReadDxfFile(file, cad.Codec());
    } catch (const std::exception&) {
      continue;  // a real DWG, or no drawing at all: cadsim reads DXF only
    }
    Drawing& d = cad.TheDrawing();
    // What comes from the other file takes handles of this drawing; links
    // to that file's objects (reactors, extension dictionaries) stay behind.
    for (const cadsim::Layer& l : source.layers) {
      if (d.FindLayer(l.name)) continue;
      d.layers.push_back(l);
      d.layers.back().handle = 0;
      d.layers.back().kept.app_data.clear();
    }
    for (const TextStyle& s : source.text_styles) {
      if (d.FindTextStyle(s.name)) continue;
      d.text_styles.push_back(s);
      d.text_styles.back().handle = 0;
      d.text_styles.back().kept.app_data.clear();
    }
    Block b;
    b.name = name;
    b.base = source.insertion_base;
    b.entities = std::move(source.entities);
    for (Entity& e : b.entities) ForgetHandles(e);
    d.blocks.push_back(std::move(b));
    d.Complete();
    return true;
  }
  return false;
}

Point Place(const Point& q, const Point& base, const Placing& p) {
  const double r = p.rotation * std::numbers::pi / 180;
  const double x = (q.x - base.x) * p.scale, y = (q.y - base.y) * p.scale;
  return {p.position.x + x * std::cos(r) - y * std::sin(r), p.position.y + x * std::sin(r) + y * std::cos(r),
          p.position.z + (q.z - base.z) * p.scale};
}

void Create(Cad& cad, const std::shared_ptr<Placing>& p) {
  Drawing& d = cad.TheDrawing();
  const Block* b = d.FindBlock(p->block);
  if (!b) return;
  cadsim::Insert n;
  n.handle = d.NewHandle();
  n.layer = d.current_layer;
  n.block = b->name;
  n.position = p->position;
  n.sx = n.sy = n.sz = p->scale;
  n.rotation = p->rotation;
  std::size_t k = 0;
  for (const AttributeDef* def : b->AttributeDefs()) {
    Attribute a;
    static_cast<Text&>(a) = *def;
    a.handle = d.NewHandle();
    // Attributes defined on layer 0 take the layer of the insert, as in AutoCAD.
    if (SameName(def->layer, u"0")) a.layer = n.layer;
    a.position = Place(def->position, b->base, *p);
    a.align = Place(def->align, b->base, *p);
    a.height = def->height * p->scale;
    a.rotation = def->rotation + p->rotation;
    a.tag = def->tag;
    a.flags = def->flags & ~2;
    a.value = k < p->values.size() ? p->values[k] : def->value;
    ++k;
    n.attributes.push_back(std::move(a));
  }
  if (!n.attributes.empty()) n.seqend = d.NewHandle();
  d.entities.push_back(std::move(n));
}

// With ATTDIA 1 AutoCAD asks for the values in its "属性編集" dialog box
// instead of at the command line: what a program types for the prompts waits
// until the box is closed and then lands at the command prompt. OK keeps the
// defaults.
void ShowDialog(Cad& cad, const std::shared_ptr<Placing>& p) {
  Question q;
  q.dialog = u"属性編集";
  q.on_user = [&cad, p](const UserAction&) {
    const auto defs = cad.TheDrawing().FindBlock(p->block)->AttributeDefs();
    for (std::size_t k = p->values.size(); k < defs.size(); ++k) p->values.push_back(defs[k]->value);
    cad.Finish([&cad, p] { Create(cad, p); });
  };
  cad.Ask(std::move(q));
}

void AskAttributes(Cad& cad, const std::shared_ptr<Placing>& p, std::size_t k) {
  const Block* b = cad.TheDrawing().FindBlock(p->block);
  const auto defs = b->AttributeDefs();
  const bool asked = cad.Settings()[u"ATTREQ"] != u"0";
  // Constant and preset attributes take their defaults without a prompt.
  while (k < defs.size() && (!asked || (defs[k]->flags & (2 | 8)))) p->values.push_back(defs[k++]->value);
  if (k >= defs.size()) return cad.Finish([&cad, p] { Create(cad, p); });
  if (!p->announced && cad.Settings()[u"ATTDIA"] == u"1") return ShowDialog(cad, p);
  if (!p->announced) cad.Say(u"属性値を入力"), p->announced = true;
  const AttributeDef& def = *defs[k];
  Question q;
  q.prompt = (def.prompt.empty() ? def.tag : def.prompt) +
             (def.value.empty() ? u"" : u" <" + def.value + u">") + u": ";
  q.literal_blanks = true;
  q.answer = [&cad, p, k, fallback = def.value](std::u16string_view a) {
    p->values.push_back(a.empty() ? fallback : std::u16string(a));
    AskAttributes(cad, p, k + 1);
  };
  cad.Ask(std::move(q));
}

void AskNumber(Cad& cad, std::u16string prompt, std::function<void(std::optional<double>)> then) {
  Question q;
  q.prompt = std::move(prompt);
  q.answer = [&cad, then = std::move(then)](std::u16string_view a) {
    if (a.empty()) return then(std::nullopt);
    const auto v = ParseNumber(a);
    if (!v) {
      cad.Say(u"数値が必要です。");
      return cad.Again();
    }
    then(v);
  };
  cad.Ask(std::move(q));
}

void AskRotation(Cad& cad, const std::shared_ptr<Placing>& p) {
  if (p->rotation_given) return AskAttributes(cad, p, 0);
  AskNumber(cad, u"回転角度を指定 <0>: ", [&cad, p](std::optional<double> v) {
    p->rotation = v.value_or(0);
    AskAttributes(cad, p, 0);
  });
}

void AskPoint(Cad& cad, const std::shared_ptr<Placing>& p) {
  Question q;
  q.prompt = u"挿入点を指定 または [尺度(S)/X/Y/Z/回転(R)/PScale/PX/PY/PZ/PRotate]: ";
  q.answer = [&cad, p](std::u16string_view a) {
    if (Is(a, {u"S", u"SCALE"})) {
      return AskNumber(cad, u"XYZ 軸の尺度を指定: ", [&cad, p](std::optional<double> v) {
        if (!v || *v == 0) {
          cad.Say(u"0 以外の値を入力してください。");
          return cad.Again();
        }
        p->scale = *v, p->scale_given = true;
        AskPoint(cad, p);
      });
    }
    if (Is(a, {u"R", u"ROTATE"})) {
      return AskNumber(cad, u"回転角度を指定: ", [&cad, p](std::optional<double> v) {
        p->rotation = v.value_or(0), p->rotation_given = true;
        AskPoint(cad, p);
      });
    }
    const auto point = ParsePoint(a);
    if (!point) {
      cad.Say(u"点または オプション キーワードが必要です。");
      return cad.Again();
    }
    p->position = *point;
    if (p->scale_given) return AskRotation(cad, p);
    AskNumber(cad, u"X 尺度を入力 または 角を指定 [コーナー(C)/XYZ] <1>: ",
              [&cad, p](std::optional<double> v) {
                p->scale = v.value_or(1);
                AskNumber(cad, u"Y 尺度を入力 <X 尺度と同じ>: ",
                          [&cad, p](std::optional<double>) { AskRotation(cad, p); });
              });
  };
  cad.Ask(std::move(q));
}

}  // namespace

void Insert(Cad& cad) {
  Question q;
  q.prompt = u"ブロック名を入力 または [?]: ";
  q.literal_blanks = true;  // file names
  q.answer = [&cad](std::u16string_view a) {
    if (a.empty()) return cad.Finish();
    auto p = std::make_shared<Placing>();
    const bool file = a.find_first_of(u"\\/.") != std::u16string_view::npos;
    p->block = file ? Stem(a) : std::u16string(a);
    // AutoCAD looks for a name it does not know as a drawing file; when
    // none is found it says so, marks the input invalid and ends.
    if (!cad.TheDrawing().FindBlock(p->block) && (!file || !LoadBlockFile(cad, a, p->block))) {
      cad.Say(file ? u"\"" + std::u16string(a) + u"\" が見つかりません。"
                   : u"ブロック \"" + std::u16string(a) + u"\" が見つかりません。");
      cad.Say(u"*無効*");
      return cad.Finish();
    }
    AskPoint(cad, p);
  };
  cad.Ask(std::move(q));
}

}  // namespace cadsim::commands
