#include "cadsim/drawing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "dimension_blocks.h"

namespace cadsim {

const Common& CommonOf(const Entity& entity) {
  return std::visit([](const auto& e) -> const Common& { return e; }, entity);
}

Common& CommonOf(Entity& entity) {
  return std::visit([](auto& e) -> Common& { return e; }, entity);
}

Point ReferencePoint(const Entity& entity) {
  struct Visitor {
    Point operator()(const Line& l) const { return l.start; }
    Point operator()(const Circle& c) const { return c.center; }
    Point operator()(const Solid& s) const { return s.corners[0]; }
    Point operator()(const Text& t) const { return t.position; }
    Point operator()(const AttributeDef& a) const { return a.position; }
    Point operator()(const Dimension& d) const { return d.text_mid; }
    Point operator()(const Insert& i) const { return i.position; }
    Point operator()(const Foreign& f) const { return f.First(); }
  };
  return std::visit(Visitor{}, entity);
}

Point Foreign::First() const {
  Point p;
  bool x = false, y = false, z = false;
  for (const Group& g : kept.groups) {
    auto number = [&] {
      const std::string s(g.value.begin(), g.value.end());
      return std::strtod(s.c_str(), nullptr);
    };
    if (g.code == 10 && !x) p.x = number(), x = true;
    if (g.code == 20 && !y) p.y = number(), y = true;
    if (g.code == 30 && !z) p.z = number(), z = true;
  }
  return p;
}

std::u16string Record::Value(int code) const {
  for (const Group& g : groups)
    if (g.code == code) return g.value;
  return {};
}

std::vector<const AttributeDef*> Block::AttributeDefs() const {
  std::vector<const AttributeDef*> defs;
  for (const Entity& e : entities)
    if (const auto* a = std::get_if<AttributeDef>(&e)) defs.push_back(a);
  return defs;
}

bool SameName(std::u16string_view a, std::u16string_view b) {
  auto fold = [](char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char16_t x, char16_t y) { return fold(x) == fold(y); });
}

namespace {
template <class T>
T* FindNamed(std::vector<T>& items, std::u16string_view name) {
  for (T& item : items)
    if (SameName(item.name, name)) return &item;
  return nullptr;
}
}  // namespace

Layer* Drawing::FindLayer(std::u16string_view name) { return FindNamed(layers, name); }
TextStyle* Drawing::FindTextStyle(std::u16string_view name) { return FindNamed(text_styles, name); }
DimStyle* Drawing::FindDimStyle(std::u16string_view name) { return FindNamed(dim_styles, name); }
Block* Drawing::FindBlock(std::u16string_view name) { return FindNamed(blocks, name); }

Layer& Drawing::EnsureLayer(std::u16string_view name) {
  if (Layer* l = FindLayer(name)) return *l;
  Layer layer;
  layer.handle = NewHandle();
  layer.name = name;
  layers.push_back(std::move(layer));
  return layers.back();
}

TextStyle* Drawing::FindTextStyle(Handle handle) {
  for (TextStyle& s : text_styles)
    if (s.handle == handle) return &s;
  return nullptr;
}

Entity* Drawing::FindEntity(Handle handle) {
  for (Entity& e : entities)
    if (CommonOf(e).handle == handle) return &e;
  return nullptr;
}

void Drawing::AddReferencedTableEntries() {
  // A file without tables (small writers leave them out) still names layers,
  // linetypes and styles; AutoCAD and other readers expect each to exist.
  auto linetype = [&](const std::u16string& name) {
    if (name.empty() || SameName(name, u"ByLayer") || SameName(name, u"ByBlock") ||
        SameName(name, u"Continuous"))
      return;
    for (const std::u16string& known : linetypes)
      if (SameName(known, name)) return;
    linetypes.push_back(name);
  };
  auto text_style = [&](const std::u16string& name) {
    if (name.empty() || FindTextStyle(name)) return;
    TextStyle style;
    style.name = name;
    text_styles.push_back(std::move(style));
  };
  std::vector<Block> missing_blocks;  // added after the loops over blocks
  // Handles come later, once the seed lies above every handle in the file.
  auto layer = [&](const std::u16string& name) {
    if (FindLayer(name)) return;
    Layer l;
    l.name = name;
    layers.push_back(std::move(l));
  };
  auto entity = [&](const Entity& e) {
    const Common& c = CommonOf(e);
    layer(c.layer);
    linetype(c.linetype);
    if (const auto* t = std::get_if<Text>(&e)) text_style(t->style);
    if (const auto* a = std::get_if<AttributeDef>(&e)) text_style(a->style);
    if (const auto* n = std::get_if<Insert>(&e)) {
      for (const Attribute& a : n->attributes) layer(a.layer), text_style(a.style);
      if (!FindBlock(n->block)) {
        Block empty;  // a reference to nothing still needs its definition
        empty.name = n->block;
        missing_blocks.push_back(std::move(empty));
      }
    }
    if (const auto* d = std::get_if<Dimension>(&e); d && !FindDimStyle(d->style)) {
      DimStyle style = DimStyleDefaults(measurement);
      style.name = d->style;
      dim_styles.push_back(std::move(style));
    }
  };
  for (const Entity& e : entities) entity(e);
  for (const Entity& e : paper) entity(e);
  for (const Block& b : blocks)
    for (const Entity& e : b.entities) entity(e);
  for (const Layer& l : layers) linetype(l.linetype);
  for (Block& b : missing_blocks)
    if (!FindBlock(b.name)) blocks.push_back(std::move(b));
}

void Drawing::Complete() {
  AddStandardEntries();
  MeasureDimensions();  // the blocks made for dimensions show the measurement
  AddMissingDimensionBlocks(*this);
  AddReferencedTableEntries();
  // The seed must lie above every handle already given, or a new entity
  // could take the handle of an old one.
  next_handle = std::max(next_handle, HighestHandle() + 1);
  GiveHandles();
  RegisterApplications();
  // The table entries kept as read, and those just registered.
  for (Record& r : kept.table_entries)
    if (r.Value(5).empty()) r.groups.insert(r.groups.begin(), Group{5, HandleText(NewHandle())});
}

void Drawing::AddStandardEntries() {
  if (!FindLayer(u"0")) {
    Layer zero;
    zero.name = u"0";
    layers.insert(layers.begin(), zero);
  }
  if (!FindTextStyle(u"Standard")) {
    TextStyle standard;
    standard.name = u"Standard";
    text_styles.insert(text_styles.begin(), standard);
  }
  if (!FindDimStyle(u"Standard")) {
    DimStyle standard = DimStyleDefaults(measurement);
    standard.name = u"Standard";
    dim_styles.insert(dim_styles.begin(), standard);
  }
}

Handle Drawing::HighestHandle() const {
  Handle highest = 0;
  auto see = [&](Handle h) { highest = std::max(highest, h); };
  auto see_entity = [&](const Entity& e) {
    see(CommonOf(e).handle);
    if (const auto* i = std::get_if<Insert>(&e)) {
      see(i->seqend);
      for (const Attribute& a : i->attributes) see(a.handle);
    }
    if (const auto* f = std::get_if<Foreign>(&e))
      for (const Foreign::Record& r : f->following) see(r.handle);
  };
  auto see_records = [&](const std::vector<Record>& records) {
    for (const Record& r : records)
      for (const Group& g : r.groups)
        if (g.code == 5 || g.code == 105) see(HandleOf(g.value));
  };
  for (const Layer& l : layers) see(l.handle);
  for (const TextStyle& s : text_styles) see(s.handle);
  for (const DimStyle& s : dim_styles) see(s.handle);
  for (const Block& b : blocks) {
    see(b.record);
    see(b.begin);
    see(b.end);
    for (const Entity& e : b.entities) see_entity(e);
  }
  for (const Entity& e : entities) see_entity(e);
  for (const Entity& e : paper) see_entity(e);
  see_records(kept.table_entries);
  see_records(kept.objects);
  for (Handle h : {kept.model_record, kept.model_begin, kept.model_end, kept.model_layout, kept.paper_record,
                   kept.paper_begin, kept.paper_end, kept.paper_layout})
    see(h);
  return highest;
}

void Drawing::GiveHandles() {
  auto give = [&](Handle& h) {
    if (h == 0) h = NewHandle();
  };
  auto give_entity = [&](Entity& e) {
    give(CommonOf(e).handle);
    if (auto* i = std::get_if<Insert>(&e)) {
      for (Attribute& a : i->attributes) give(a.handle);
      if (!i->attributes.empty()) give(i->seqend);
    }
    if (auto* f = std::get_if<Foreign>(&e))
      for (Foreign::Record& r : f->following) give(r.handle);
  };
  for (Layer& l : layers) give(l.handle);
  for (TextStyle& s : text_styles) give(s.handle);
  for (DimStyle& s : dim_styles) {
    give(s.handle);
    if (s.dimtxsty == 0 || !FindTextStyle(s.dimtxsty)) s.dimtxsty = FindTextStyle(u"Standard")->handle;
  }
  for (Block& b : blocks) {
    give(b.record);
    give(b.begin);
    give(b.end);
    for (Entity& e : b.entities) give_entity(e);
  }
  for (Entity& e : entities) give_entity(e);
  for (Entity& e : paper) give_entity(e);
}

void Drawing::MeasureDimensions() {
  auto measure = [](std::vector<Entity>& list) {
    for (Entity& e : list)
      if (auto* d = std::get_if<Dimension>(&e); d && std::isnan(d->measurement)) d->measurement = Measure(*d);
  };
  measure(entities);
  measure(paper);
  for (Block& b : blocks) measure(b.entities);
}

void Drawing::RegisterApplications() {
  // Every application that extended data names must be in the APPID table,
  // or readers drop its data; ACAD holds the dimension overrides.
  std::vector<std::u16string> names{u"ACAD"};
  auto note = [&](const Kept& k) {
    for (const Group& g : k.xdata)
      if (g.code == 1001 && std::find(names.begin(), names.end(), g.value) == names.end())
        names.push_back(g.value);
  };
  auto note_entity = [&](const Entity& e) {
    note(CommonOf(e).kept);
    if (const auto* i = std::get_if<Insert>(&e))
      for (const Attribute& a : i->attributes) note(a.kept);
  };
  for (const Entity& e : entities) note_entity(e);
  for (const Entity& e : paper) note_entity(e);
  for (const Block& b : blocks) {
    note(b.record_kept);
    note(b.begin_kept);
    for (const Entity& e : b.entities) note_entity(e);
  }
  for (const Layer& l : layers) note(l.kept);
  for (const TextStyle& s : text_styles) note(s.kept);
  for (const DimStyle& s : dim_styles) note(s.kept);
  for (const std::u16string& name : names) {
    bool known = false;
    for (const Record& r : kept.table_entries)
      known = known || (r.type == "APPID" && SameName(r.Value(2), name));
    if (!known) kept.table_entries.push_back(Record{"APPID", {{2, name}, {70, u"0"}}});
  }
}

Handle HandleOf(std::u16string_view text) {
  Handle h = 0;
  for (char16_t c : text) {
    int d = -1;
    if (c >= u'0' && c <= u'9') d = c - u'0';
    if (c >= u'A' && c <= u'F') d = c - u'A' + 10;
    if (c >= u'a' && c <= u'f') d = c - u'a' + 10;
    if (d < 0) break;
    h = h * 16 + static_cast<Handle>(d);
  }
  return h;
}

std::u16string HandleText(Handle h) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "%llX", static_cast<unsigned long long>(h));
  return std::u16string(buf, buf + std::char_traits<char>::length(buf));
}

}  // namespace cadsim
