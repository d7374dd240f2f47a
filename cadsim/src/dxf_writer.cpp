// The DXF writer: AutoCAD 2000 ASCII DXF. The sections are written in
// AutoCAD's order; the header comes last in the making because $HANDSEED must
// lie above the handles the other sections hand out. What a read file held
// besides the model (its classes, table entries, objects, other sections)
// is written back where it was, with the handles it had, so that the links
// between them hold.
#include <algorithm>
#include <fstream>
#include <limits>

#include "cadsim/dxf.h"
#include "dxf_emitter.h"
#include "dxf_entities.h"

namespace cadsim {
namespace {

using dxf::Emitter;

struct FileHandles {
  Handle model_record = 0, paper_record = 0, model_layout = 0, paper_layout = 0;
  Handle root = 0, groups = 0, layouts = 0;
};

// A handle the file came with, or a new one.
Handle Given(Emitter& out, Handle kept) { return kept ? kept : out.NewHandle(); }

void TableHead(Emitter& out, std::string_view name, Handle handle, std::size_t count) {
  out.Raw(0, "TABLE");
  out.Raw(2, name);
  out.Hex(5, handle);
  out.Raw(330, "0");
  out.Raw(100, "AcDbSymbolTable");
  out.Int(70, static_cast<long>(count));
}

void RecordHead(Emitter& out, std::string_view type, Handle handle, Handle table, std::string_view subclass,
                const Kept* kept = nullptr, int handle_code = 5) {
  out.Raw(0, type);
  out.Hex(handle_code, handle);
  if (kept) out.Pass(kept->app_data);
  out.Hex(330, table);
  out.Raw(100, "AcDbSymbolTableRecord");
  if (kept) out.KeptIn(*kept, "AcDbSymbolTableRecord");
  out.Raw(100, subclass);
}

void RecordTail(Emitter& out, const Kept& kept, std::string_view subclass) {
  out.KeptIn(kept, subclass);
  out.KeptRest(kept, {"AcDbSymbolTableRecord", subclass});
  out.Pass(kept.xdata);
}

bool Has(const Kept& kept, int code) {
  for (const Group& g : kept.groups)
    if (g.code == code) return true;
  return false;
}

std::string_view RecordSubclass(std::string_view type) {
  if (type == "VPORT") return "AcDbViewportTableRecord";
  if (type == "LTYPE") return "AcDbLinetypeTableRecord";
  if (type == "VIEW") return "AcDbViewTableRecord";
  if (type == "UCS") return "AcDbUCSTableRecord";
  if (type == "APPID") return "AcDbRegAppTableRecord";
  return "AcDbTextStyleTableRecord";
}

// A table entry kept as read: its handle and 102 groups, the owner, then the
// rest. An entry of a release 12 file (no subclass markers) gets AutoCAD
// 2000's.
void KeptEntry(Emitter& out, const Record& r, Handle table) {
  out.Raw(0, r.type);
  bool marked = false;
  for (const Group& g : r.groups) marked = marked || g.code == 100;
  bool owner_written = false, app_data = false;
  for (const Group& g : r.groups) {
    const bool head = g.code == 5 || g.code == 105 || g.code == 102 || app_data;
    if (g.code == 102) app_data = !g.value.starts_with(u"}");
    if (!head && !owner_written) {
      out.Hex(330, table);
      owner_written = true;
      if (!marked) {
        out.Raw(100, "AcDbSymbolTableRecord");
        out.Raw(100, RecordSubclass(r.type));
      }
    }
    out.Pass(g);
  }
  if (!owner_written) out.Hex(330, table);
}

// The kept entries of one table.
std::vector<const Record*> KeptEntries(const Drawing& d, std::string_view type) {
  std::vector<const Record*> found;
  for (const Record& r : d.kept.table_entries)
    if (r.type == type) found.push_back(&r);
  return found;
}

const Record* KeptLinetype(const Drawing& d, std::u16string_view name) {
  for (const Record* r : KeptEntries(d, "LTYPE"))
    if (SameName(r->Value(2), name)) return r;
  return nullptr;
}

void Linetype(Emitter& out, Handle table, std::u16string_view name, std::u16string_view description) {
  RecordHead(out, "LTYPE", out.NewHandle(), table, "AcDbLinetypeTableRecord");
  out.Str(2, name);
  out.Int(70, 0);
  out.Str(3, description);
  out.Int(72, 65);
  out.Int(73, 0);
  out.Real(40, 0);
}

// Each table gets its handle before its entries get theirs, in the order
// AutoCAD writes them.
void VportTable(Emitter& out, const Drawing& d) {
  const Handle t = out.NewHandle();
  const auto vports = KeptEntries(d, "VPORT");
  TableHead(out, "VPORT", t, vports.empty() ? 1 : vports.size());
  for (const Record* r : vports) KeptEntry(out, *r, t);
  if (vports.empty()) {
    RecordHead(out, "VPORT", out.NewHandle(), t, "AcDbViewportTableRecord");
    out.Raw(2, "*Active");
    out.Int(70, 0);
    out.At(10, {0, 0, 0});
    out.At(11, {1, 1, 0});
    out.Real(12, 0);
    out.Real(22, 0);
    out.Real(40, 1000);
    out.Real(41, 1.5);
  }
  out.Raw(0, "ENDTAB");
}

void LinetypeTable(Emitter& out, const Drawing& d) {
  const Handle t = out.NewHandle();
  TableHead(out, "LTYPE", t, 3 + d.linetypes.size());
  auto linetype = [&](std::u16string_view name, std::u16string_view description) {
    if (const Record* r = KeptLinetype(d, name))
      KeptEntry(out, *r, t);
    else
      Linetype(out, t, name, description);
  };
  linetype(u"ByBlock", u"");
  linetype(u"ByLayer", u"");
  linetype(u"Continuous", u"Solid line");
  for (const std::u16string& name : d.linetypes) linetype(name, u"");
  out.Raw(0, "ENDTAB");
}

void LayerTable(Emitter& out, const Drawing& d) {
  const Handle t = out.NewHandle();
  TableHead(out, "LAYER", t, d.layers.size());
  for (const Layer& l : d.layers) {
    RecordHead(out, "LAYER", l.handle, t, "AcDbLayerTableRecord", &l.kept);
    out.Str(2, l.name);
    out.Int(70, (l.frozen ? 1 : 0) | (l.locked ? 4 : 0));
    out.Int(62, l.off ? -l.color : l.color);
    out.Str(6, l.linetype);
    out.Int(370, l.lineweight);
    RecordTail(out, l.kept, "AcDbLayerTableRecord");
  }
  out.Raw(0, "ENDTAB");
}

// The text styles of the model, then the shape files kept as read.
void StyleTable(Emitter& out, const Drawing& d) {
  const Handle t = out.NewHandle();
  const auto shapes = KeptEntries(d, "STYLE");
  TableHead(out, "STYLE", t, d.text_styles.size() + shapes.size());
  for (const TextStyle& s : d.text_styles) {
    RecordHead(out, "STYLE", s.handle, t, "AcDbTextStyleTableRecord", &s.kept);
    out.Str(2, s.name);
    if (!Has(s.kept, 70)) out.Int(70, 0);
    out.Real(40, s.height);
    out.Real(41, s.width_factor);
    if (!Has(s.kept, 50)) out.Real(50, 0);
    if (!Has(s.kept, 71)) out.Int(71, 0);
    if (!Has(s.kept, 42)) out.Real(42, 2.5);
    out.Str(3, s.font);
    out.Str(4, s.bigfont);
    RecordTail(out, s.kept, "AcDbTextStyleTableRecord");
  }
  for (const Record* r : shapes) KeptEntry(out, *r, t);
  out.Raw(0, "ENDTAB");
}

// A table the model has no part in (VIEW, UCS, APPID): its entries as read.
void KeptTable(Emitter& out, const Drawing& d, std::string_view type) {
  const Handle t = out.NewHandle();
  const auto entries = KeptEntries(d, type);
  TableHead(out, type, t, entries.size());
  for (const Record* r : entries) KeptEntry(out, *r, t);
  out.Raw(0, "ENDTAB");
}

void DimStyleTable(Emitter& out, const Drawing& d) {
  const Handle t = out.NewHandle();
  TableHead(out, "DIMSTYLE", t, d.dim_styles.size());
  out.Raw(100, "AcDbDimStyleTable");
  for (const DimStyle& s : d.dim_styles) {
    RecordHead(out, "DIMSTYLE", s.handle, t, "AcDbDimStyleTableRecord", &s.kept, 105);
    out.Str(2, s.name);
    out.Int(70, s.flags);
    // As AutoCAD writes a style: the variables that differ from the DXF
    // reference's defaults (the imperial ones, whatever the drawing's
    // measurement system), and the text style always.
    const std::vector<int>& codes = DimStyleCodes();
    for (int code : codes) {
      if (code == 340)
        out.Hex(340, s.dimtxsty);
      else if (!IsDimStyleDefault(s, code, Measurement::kImperial))
        out.Pass(Group{code, DimStyleValue(s, code)});
    }
    for (const auto& [code, value] : s.values)
      if (std::find(codes.begin(), codes.end(), code) == codes.end()) out.Pass(Group{code, value});
    RecordTail(out, s.kept, "AcDbDimStyleTableRecord");
  }
  out.Raw(0, "ENDTAB");
}

// Model and paper space, then the drawing's blocks.
void BlockRecordTable(Emitter& out, const Drawing& d, const FileHandles& f) {
  const Handle t = out.NewHandle();
  TableHead(out, "BLOCK_RECORD", t, 2 + d.blocks.size());
  RecordHead(out, "BLOCK_RECORD", f.model_record, t, "AcDbBlockTableRecord");
  out.Raw(2, "*Model_Space");
  out.Hex(340, f.model_layout);
  RecordHead(out, "BLOCK_RECORD", f.paper_record, t, "AcDbBlockTableRecord");
  out.Raw(2, "*Paper_Space");
  out.Hex(340, f.paper_layout);
  for (const Block& b : d.blocks) {
    RecordHead(out, "BLOCK_RECORD", b.record, t, "AcDbBlockTableRecord", &b.record_kept);
    out.Str(2, b.name);
    if (!Has(b.record_kept, 340)) out.Raw(340, "0");
    RecordTail(out, b.record_kept, "AcDbBlockTableRecord");
  }
  out.Raw(0, "ENDTAB");
}

void Tables(Emitter& out, const Drawing& d, const FileHandles& f) {
  out.Raw(0, "SECTION");
  out.Raw(2, "TABLES");
  VportTable(out, d);
  LinetypeTable(out, d);
  LayerTable(out, d);
  StyleTable(out, d);
  for (std::string_view kept_table : {"VIEW", "UCS", "APPID"}) KeptTable(out, d, kept_table);
  DimStyleTable(out, d);
  BlockRecordTable(out, d, f);
  out.Raw(0, "ENDSEC");
}

void BlockFrame(Emitter& out, std::u16string_view name, Handle record, Handle begin, Handle end, int flags,
                const Point& base, const std::vector<Entity>& entities, const Kept& kept = {}) {
  out.Raw(0, "BLOCK");
  out.Hex(5, begin);
  out.Pass(kept.app_data);
  out.Hex(330, record);
  out.Raw(100, "AcDbEntity");
  out.Raw(8, "0");
  out.KeptIn(kept, "AcDbEntity");
  out.Raw(100, "AcDbBlockBegin");
  out.Str(2, name);
  out.Int(70, flags);
  out.At(10, base);
  out.Str(3, name);
  if (!Has(kept, 1)) out.Raw(1, "");
  out.KeptIn(kept, "AcDbBlockBegin");
  out.KeptRest(kept, {"AcDbEntity", "AcDbBlockBegin"});
  out.Pass(kept.xdata);
  for (const Entity& e : entities) dxf::WriteEntity(out, e, record);
  out.Raw(0, "ENDBLK");
  out.Hex(5, end);
  out.Hex(330, record);
  out.Raw(100, "AcDbEntity");
  out.Raw(8, "0");
  out.Raw(100, "AcDbBlockEnd");
}

void Blocks(Emitter& out, const Drawing& d, const FileHandles& f) {
  out.Raw(0, "SECTION");
  out.Raw(2, "BLOCKS");
  const FileKept& k = d.kept;
  BlockFrame(out, u"*Model_Space", f.model_record, Given(out, k.model_begin), Given(out, k.model_end), 0, {},
             {});
  BlockFrame(out, u"*Paper_Space", f.paper_record, Given(out, k.paper_begin), Given(out, k.paper_end), 0, {},
             {});
  for (const Block& b : d.blocks) {
    const int flags = b.flags | (b.AttributeDefs().empty() ? 0 : 2);
    BlockFrame(out, b.name, b.record, b.begin, b.end, flags, b.base, b.entities, b.begin_kept);
  }
  out.Raw(0, "ENDSEC");
}

void Entities(Emitter& out, const Drawing& d, const FileHandles& f, const WriteOptions& options) {
  out.Raw(0, "SECTION");
  out.Raw(2, "ENTITIES");
  for (const Entity& e : d.entities) {
    if (options.only &&
        std::find(options.only->begin(), options.only->end(), CommonOf(e).handle) == options.only->end())
      continue;
    dxf::WriteEntity(out, e, f.model_record);
  }
  if (!options.only)
    for (const Entity& e : d.paper) dxf::WriteEntity(out, e, f.paper_record, true);
  out.Raw(0, "ENDSEC");
}

void Dictionary(Emitter& out, Handle handle, Handle owner,
                std::initializer_list<std::pair<std::string_view, Handle>> entries) {
  out.Raw(0, "DICTIONARY");
  out.Hex(5, handle);
  out.Hex(330, owner);
  out.Raw(100, "AcDbDictionary");
  out.Int(281, 1);
  for (const auto& [name, h] : entries) {
    out.Raw(3, name);
    out.Hex(350, h);
  }
}

void Layout(Emitter& out, Handle handle, Handle owner, std::string_view name, int tab, Handle record) {
  out.Raw(0, "LAYOUT");
  out.Hex(5, handle);
  out.Hex(330, owner);
  out.Raw(100, "AcDbPlotSettings");
  out.Raw(1, "");
  out.Raw(2, "none_device");
  out.Raw(4, "");
  out.Raw(6, "");
  for (int code = 40; code <= 49; ++code) out.Real(code, code == 44 ? 420 : code == 45 ? 297 : 0);
  out.Real(140, 0), out.Real(141, 0), out.Real(142, 1), out.Real(143, 1);
  out.Int(70, tab == 0 ? 1024 : 0);
  out.Int(72, 1), out.Int(73, 0), out.Int(74, 5);
  out.Raw(7, "");
  out.Int(75, 16), out.Int(76, 0), out.Int(77, 2), out.Int(78, 300);
  out.Real(147, 1), out.Real(148, 0), out.Real(149, 0);
  out.Raw(100, "AcDbLayout");
  out.Raw(1, name);
  out.Int(70, 1);
  out.Int(71, tab);
  out.Real(10, 0), out.Real(20, 0);
  out.Real(11, 420), out.Real(21, 297);
  out.At(12, {});
  out.At(14, {1e20, 1e20, 1e20});
  out.At(15, {-1e20, -1e20, -1e20});
  out.Real(146, 0);
  out.At(13, {});
  out.At(16, {1, 0, 0});
  out.At(17, {0, 1, 0});
  out.Int(76, tab == 0 ? 1 : 0);
  out.Hex(330, record);
}

void Objects(Emitter& out, const Drawing& d, FileHandles& f) {
  if (!d.kept.objects.empty()) {
    // The file's own: its dictionaries and layouts name the handles kept.
    out.Raw(0, "SECTION");
    out.Raw(2, "OBJECTS");
    for (const Record& r : d.kept.objects) {
      out.Raw(0, r.type);
      out.Pass(r.groups);
    }
    out.Raw(0, "ENDSEC");
    return;
  }
  f.root = out.NewHandle();
  f.groups = out.NewHandle();
  f.layouts = out.NewHandle();
  out.Raw(0, "SECTION");
  out.Raw(2, "OBJECTS");
  Dictionary(out, f.root, 0, {{"ACAD_GROUP", f.groups}, {"ACAD_LAYOUT", f.layouts}});
  Dictionary(out, f.groups, f.root, {});
  Dictionary(out, f.layouts, f.root, {{"Layout1", f.paper_layout}, {"Model", f.model_layout}});
  Layout(out, f.model_layout, f.layouts, "Model", 0, f.model_record);
  Layout(out, f.paper_layout, f.layouts, "Layout1", 1, f.paper_record);
  out.Raw(0, "ENDSEC");
}

void Extents(const Drawing& d, Point& low, Point& high) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  low = {kInf, kInf, 0}, high = {-kInf, -kInf, 0};
  for (const Entity& e : d.entities) {
    const Point p = ReferencePoint(e);
    low.x = std::min(low.x, p.x);
    low.y = std::min(low.y, p.y);
    high.x = std::max(high.x, p.x);
    high.y = std::max(high.y, p.y);
  }
  if (low.x > high.x) {
    low = {0, 0, 0};
    high = {420, 297, 0};
  }
}

bool HeaderKept(const Drawing& d, std::string_view name) {
  for (const auto& [var, groups] : d.kept.header)
    if (var == name) return true;
  return false;
}

void Header(Emitter& out, const Drawing& d, Handle seed) {
  auto var = [&](std::string_view name) { out.Raw(9, name); };
  out.Raw(0, "SECTION");
  out.Raw(2, "HEADER");
  var("$ACADVER");
  out.Raw(1, "AC1015");
  var("$ACADMAINTVER");
  out.Int(70, 6);
  var("$DWGCODEPAGE");
  out.Raw(3, "ANSI_932");
  var("$INSBASE");
  out.At(10, d.insertion_base);
  Point low, high;
  Extents(d, low, high);
  var("$EXTMIN");
  out.At(10, low);
  var("$EXTMAX");
  out.At(10, high);
  var("$CLAYER");
  out.Str(8, d.current_layer);
  var("$TEXTSTYLE");
  out.Str(7, d.current_text_style);
  var("$DIMSTYLE");
  out.Str(2, d.current_dim_style);
  var("$MEASUREMENT");
  out.Int(70, static_cast<long>(d.measurement));
  // A drawing of cadsim's own: millimetres, four decimals.
  for (auto [name, value] :
       {std::pair<std::string_view, long>{"$LUNITS", 2}, {"$LUPREC", 4}, {"$INSUNITS", 4}}) {
    if (HeaderKept(d, name)) continue;
    var(name);
    out.Int(70, value);
  }
  for (const auto& [name, groups] : d.kept.header) {
    var(name);
    out.Pass(groups);
  }
  var("$HANDSEED");
  out.Hex(5, seed);
  out.Raw(0, "ENDSEC");
  out.Raw(0, "SECTION");
  out.Raw(2, "CLASSES");
  for (const Record& r : d.kept.classes) {
    out.Raw(0, r.type);
    out.Pass(r.groups);
  }
  out.Raw(0, "ENDSEC");
}

}  // namespace

std::string WriteDxf(const Drawing& drawing, platform::TextCodec& codec, const WriteOptions& options) {
  Emitter body(codec, drawing.next_handle);
  FileHandles f;
  const FileKept& k = drawing.kept;
  f.model_record = Given(body, k.model_record);
  f.paper_record = Given(body, k.paper_record);
  f.model_layout = Given(body, k.model_layout);
  f.paper_layout = Given(body, k.paper_layout);
  Tables(body, drawing, f);
  Blocks(body, drawing, f);
  Entities(body, drawing, f, options);
  Objects(body, drawing, f);
  for (const Section& s : k.sections) {
    body.Raw(0, "SECTION");
    body.Raw(2, s.name);
    body.Pass(s.groups);
    body.Raw(0, "ENDSEC");
  }
  body.Raw(0, "EOF");
  Emitter head(codec, 0);
  Header(head, drawing, body.NextFree());
  return head.Out() + body.Out();
}

bool WriteDxfFile(const std::filesystem::path& path, const Drawing& drawing, platform::TextCodec& codec,
                  const WriteOptions& options) {
  const std::string bytes = WriteDxf(drawing, codec, options);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

}  // namespace cadsim
