// The DXF writer: AutoCAD 2000 ASCII DXF. The sections are written in
// AutoCAD's order; the header comes last in the making because $HANDSEED must
// lie above the handles the other sections hand out.
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

void TableHead(Emitter& out, std::string_view name, Handle handle, std::size_t count) {
  out.Raw(0, "TABLE");
  out.Raw(2, name);
  out.Hex(5, handle);
  out.Raw(330, "0");
  out.Raw(100, "AcDbSymbolTable");
  out.Int(70, static_cast<long>(count));
}

void RecordHead(Emitter& out, std::string_view type, Handle handle, Handle table, std::string_view subclass,
                int handle_code = 5) {
  out.Raw(0, type);
  out.Hex(handle_code, handle);
  out.Hex(330, table);
  out.Raw(100, "AcDbSymbolTableRecord");
  out.Raw(100, subclass);
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

void Tables(Emitter& out, const Drawing& d, FileHandles& f) {
  out.Raw(0, "SECTION");
  out.Raw(2, "TABLES");

  Handle t = out.NewHandle();
  TableHead(out, "VPORT", t, 1);
  RecordHead(out, "VPORT", out.NewHandle(), t, "AcDbViewportTableRecord");
  out.Raw(2, "*Active");
  out.Int(70, 0);
  out.At(10, {0, 0, 0});
  out.At(11, {1, 1, 0});
  out.Real(12, 0), out.Real(22, 0);
  out.Real(40, 1000);
  out.Real(41, 1.5);
  out.Raw(0, "ENDTAB");

  t = out.NewHandle();
  TableHead(out, "LTYPE", t, 3 + d.linetypes.size());
  Linetype(out, t, u"ByBlock", u"");
  Linetype(out, t, u"ByLayer", u"");
  Linetype(out, t, u"Continuous", u"Solid line");
  for (const std::u16string& name : d.linetypes) Linetype(out, t, name, u"");
  out.Raw(0, "ENDTAB");

  t = out.NewHandle();
  TableHead(out, "LAYER", t, d.layers.size());
  for (const Layer& l : d.layers) {
    RecordHead(out, "LAYER", l.handle, t, "AcDbLayerTableRecord");
    out.Str(2, l.name);
    out.Int(70, (l.frozen ? 1 : 0) | (l.locked ? 4 : 0));
    out.Int(62, l.off ? -l.color : l.color);
    out.Str(6, l.linetype);
    out.Int(370, l.lineweight);
  }
  out.Raw(0, "ENDTAB");

  t = out.NewHandle();
  TableHead(out, "STYLE", t, d.text_styles.size());
  for (const TextStyle& s : d.text_styles) {
    RecordHead(out, "STYLE", s.handle, t, "AcDbTextStyleTableRecord");
    out.Str(2, s.name);
    out.Int(70, 0);
    out.Real(40, s.height);
    out.Real(41, s.width_factor);
    out.Real(50, 0);
    out.Int(71, 0);
    out.Real(42, 2.5);
    out.Str(3, s.font);
    out.Str(4, s.bigfont);
  }
  out.Raw(0, "ENDTAB");

  for (std::string_view empty : {"VIEW", "UCS"}) {
    TableHead(out, empty, out.NewHandle(), 0);
    out.Raw(0, "ENDTAB");
  }

  t = out.NewHandle();
  TableHead(out, "APPID", t, 1);
  RecordHead(out, "APPID", out.NewHandle(), t, "AcDbRegAppTableRecord");
  out.Raw(2, "ACAD");
  out.Int(70, 0);
  out.Raw(0, "ENDTAB");

  t = out.NewHandle();
  TableHead(out, "DIMSTYLE", t, d.dim_styles.size());
  out.Raw(100, "AcDbDimStyleTable");
  for (const DimStyle& s : d.dim_styles) {
    RecordHead(out, "DIMSTYLE", s.handle, t, "AcDbDimStyleTableRecord", 105);
    out.Str(2, s.name);
    out.Int(70, 0);
    out.Real(40, s.dimscale);
    out.Real(41, s.dimasz);
    out.Real(42, s.dimexo);
    out.Real(44, s.dimexe);
    out.Real(45, s.dimrnd);
    out.Int(78, s.dimzin);
    out.Real(140, s.dimtxt);
    out.Real(147, s.dimgap);
    out.Int(271, s.dimdec);
    out.Int(279, s.dimtmove);
    out.Hex(340, s.dimtxsty);
  }
  out.Raw(0, "ENDTAB");

  t = out.NewHandle();
  TableHead(out, "BLOCK_RECORD", t, 2 + d.blocks.size());
  f.model_record = out.NewHandle();
  f.paper_record = out.NewHandle();
  f.model_layout = out.NewHandle();
  f.paper_layout = out.NewHandle();
  RecordHead(out, "BLOCK_RECORD", f.model_record, t, "AcDbBlockTableRecord");
  out.Raw(2, "*Model_Space");
  out.Hex(340, f.model_layout);
  RecordHead(out, "BLOCK_RECORD", f.paper_record, t, "AcDbBlockTableRecord");
  out.Raw(2, "*Paper_Space");
  out.Hex(340, f.paper_layout);
  for (const Block& b : d.blocks) {
    RecordHead(out, "BLOCK_RECORD", b.record, t, "AcDbBlockTableRecord");
    out.Str(2, b.name);
    out.Raw(340, "0");
  }
  out.Raw(0, "ENDTAB");
  out.Raw(0, "ENDSEC");
}

void BlockFrame(Emitter& out, std::u16string_view name, Handle record, Handle begin, Handle end, int flags,
                const Point& base, const std::vector<Entity>& entities) {
  out.Raw(0, "BLOCK");
  out.Hex(5, begin);
  out.Hex(330, record);
  out.Raw(100, "AcDbEntity");
  out.Raw(8, "0");
  out.Raw(100, "AcDbBlockBegin");
  out.Str(2, name);
  out.Int(70, flags);
  out.At(10, base);
  out.Str(3, name);
  out.Raw(1, "");
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
  BlockFrame(out, u"*Model_Space", f.model_record, out.NewHandle(), out.NewHandle(), 0, {}, {});
  BlockFrame(out, u"*Paper_Space", f.paper_record, out.NewHandle(), out.NewHandle(), 0, {}, {});
  for (const Block& b : d.blocks) {
    const int flags = b.flags | (b.AttributeDefs().empty() ? 0 : 2);
    BlockFrame(out, b.name, b.record, b.begin, b.end, flags, b.base, b.entities);
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

void Objects(Emitter& out, FileHandles& f) {
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
    low.x = std::min(low.x, p.x), low.y = std::min(low.y, p.y);
    high.x = std::max(high.x, p.x), high.y = std::max(high.y, p.y);
  }
  if (low.x > high.x) low = {0, 0, 0}, high = {420, 297, 0};
}

void Header(Emitter& out, const Drawing& d, Handle seed) {
  auto var = [&](std::string_view name) { out.Raw(9, name); };
  out.Raw(0, "SECTION");
  out.Raw(2, "HEADER");
  var("$ACADVER"), out.Raw(1, "AC1015");
  var("$ACADMAINTVER"), out.Int(70, 6);
  var("$DWGCODEPAGE"), out.Raw(3, "ANSI_932");
  var("$INSBASE"), out.At(10, d.insertion_base);
  Point low, high;
  Extents(d, low, high);
  var("$EXTMIN"), out.At(10, low);
  var("$EXTMAX"), out.At(10, high);
  var("$CLAYER"), out.Str(8, d.current_layer);
  var("$TEXTSTYLE"), out.Str(7, d.current_text_style);
  var("$DIMSTYLE"), out.Str(2, d.current_dim_style);
  var("$LUNITS"), out.Int(70, 2);
  var("$LUPREC"), out.Int(70, 4);
  var("$INSUNITS"), out.Int(70, 4);
  var("$MEASUREMENT"), out.Int(70, 1);
  var("$HANDSEED"), out.Hex(5, seed);
  out.Raw(0, "ENDSEC");
  out.Raw(0, "SECTION");
  out.Raw(2, "CLASSES");
  out.Raw(0, "ENDSEC");
}

}  // namespace

std::string WriteDxf(const Drawing& drawing, platform::TextCodec& codec, const WriteOptions& options) {
  Emitter body(codec, drawing.next_handle);
  FileHandles f;
  Tables(body, drawing, f);
  Blocks(body, drawing, f);
  Entities(body, drawing, f, options);
  Objects(body, f);
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
