#include "cadsim/drawing.h"

#include <algorithm>

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
  };
  return std::visit(Visitor{}, entity);
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
      DimStyle style;
      style.name = d->style;
      dim_styles.push_back(std::move(style));
    }
  };
  for (const Entity& e : entities) entity(e);
  for (const Block& b : blocks)
    for (const Entity& e : b.entities) entity(e);
  for (const Layer& l : layers) linetype(l.linetype);
  for (Block& b : missing_blocks)
    if (!FindBlock(b.name)) blocks.push_back(std::move(b));
}

void Drawing::Complete() {
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
    DimStyle standard;
    standard.name = u"Standard";
    dim_styles.insert(dim_styles.begin(), standard);
  }

  AddMissingDimensionBlocks(*this);
  AddReferencedTableEntries();

  // The seed must lie above every handle already given, or a new entity
  // could take the handle of an old one.
  Handle highest = 0;
  auto see = [&](Handle h) { highest = std::max(highest, h); };
  auto see_entity = [&](const Entity& e) {
    see(CommonOf(e).handle);
    if (const auto* i = std::get_if<Insert>(&e)) {
      see(i->seqend);
      for (const Attribute& a : i->attributes) see(a.handle);
    }
  };
  for (const Layer& l : layers) see(l.handle);
  for (const TextStyle& s : text_styles) see(s.handle);
  for (const DimStyle& s : dim_styles) see(s.handle);
  for (const Block& b : blocks) {
    see(b.record), see(b.begin), see(b.end);
    for (const Entity& e : b.entities) see_entity(e);
  }
  for (const Entity& e : entities) see_entity(e);
  next_handle = std::max(next_handle, highest + 1);

  auto give = [&](Handle& h) {
    if (h == 0) h = NewHandle();
  };
  auto give_entity = [&](Entity& e) {
    give(CommonOf(e).handle);
    if (auto* i = std::get_if<Insert>(&e)) {
      for (Attribute& a : i->attributes) give(a.handle);
      if (!i->attributes.empty()) give(i->seqend);
    }
  };
  for (Layer& l : layers) give(l.handle);
  for (TextStyle& s : text_styles) give(s.handle);
  for (DimStyle& s : dim_styles) {
    give(s.handle);
    if (s.dimtxsty == 0 || !FindTextStyle(s.dimtxsty)) s.dimtxsty = FindTextStyle(u"Standard")->handle;
  }
  for (Block& b : blocks) {
    give(b.record), give(b.begin), give(b.end);
    for (Entity& e : b.entities) give_entity(e);
  }
  for (Entity& e : entities) give_entity(e);
}

}  // namespace cadsim
