#include "dxf_entities.h"

namespace cadsim::dxf {
namespace {

// Where the entity goes: the block record that owns it, and whether it lies
// in paper space.
struct Owner {
  Handle record = 0;
  bool paper = false;
};

void Head(Emitter& out, std::string_view type, const Common& c, Owner owner) {
  out.Raw(0, type);
  out.Hex(5, c.handle);
  out.Pass(c.kept.app_data);
  out.Hex(330, owner.record);
  out.Raw(100, "AcDbEntity");
  if (owner.paper) out.Int(67, 1);
  out.Str(8, c.layer);
  if (!SameName(c.linetype, u"ByLayer")) out.Str(6, c.linetype);
  if (c.color != 256) out.Int(62, c.color);
  if (c.lineweight != -1) out.Int(370, c.lineweight);
  out.KeptIn(c.kept, "AcDbEntity");
}

// What the entity kept under subclasses the writer did not write, then its
// extended data.
void Tail(Emitter& out, const Common& c, std::initializer_list<std::string_view> written,
          bool empty_markers = false) {
  out.KeptRest(c.kept, written, empty_markers);
  out.Pass(c.kept.xdata);
}

// The AcDbText part shared by TEXT, ATTDEF and ATTRIB.
void TextBody(Emitter& out, const Text& t) {
  out.Raw(100, "AcDbText");
  out.KeptIn(t.kept, "AcDbText");
  out.At(10, t.position);
  out.Real(40, t.height);
  out.Str(1, t.value);
  if (t.rotation != 0) out.Real(50, t.rotation);
  if (t.width_factor != 1) out.Real(41, t.width_factor);
  out.Str(7, t.style);
  if (t.halign != 0) out.Int(72, t.halign);
  if (t.halign != 0 || t.valign != 0) out.At(11, t.align);
}

void Write(Emitter& out, const Line& l, Owner owner) {
  Head(out, "LINE", l, owner);
  out.Raw(100, "AcDbLine");
  out.At(10, l.start);
  out.At(11, l.end);
  out.KeptIn(l.kept, "AcDbLine");
  Tail(out, l, {"AcDbEntity", "AcDbLine"});
}

void Write(Emitter& out, const Circle& c, Owner owner) {
  Head(out, "CIRCLE", c, owner);
  out.Raw(100, "AcDbCircle");
  out.At(10, c.center);
  out.Real(40, c.radius);
  out.KeptIn(c.kept, "AcDbCircle");
  Tail(out, c, {"AcDbEntity", "AcDbCircle"});
}

void Write(Emitter& out, const Solid& s, Owner owner) {
  Head(out, "SOLID", s, owner);
  out.Raw(100, "AcDbTrace");
  for (int k = 0; k < 4; ++k) out.At(10 + k, s.corners[k]);
  out.KeptIn(s.kept, "AcDbTrace");
  Tail(out, s, {"AcDbEntity", "AcDbTrace"});
}

void Write(Emitter& out, const Text& t, Owner owner) {
  Head(out, "TEXT", t, owner);
  TextBody(out, t);
  out.Raw(100, "AcDbText");
  if (t.valign != 0) out.Int(73, t.valign);
  Tail(out, t, {"AcDbEntity", "AcDbText"});
}

void Write(Emitter& out, const AttributeDef& a, Owner owner) {
  Head(out, "ATTDEF", a, owner);
  TextBody(out, a);
  out.Raw(100, "AcDbAttributeDefinition");
  out.Str(3, a.prompt);
  out.Str(2, a.tag);
  out.Int(70, a.flags);
  if (a.valign != 0) out.Int(74, a.valign);
  out.KeptIn(a.kept, "AcDbAttributeDefinition");
  Tail(out, a, {"AcDbEntity", "AcDbText", "AcDbAttributeDefinition"});
}

void WriteAttribute(Emitter& out, const Attribute& a, Owner insert) {
  Head(out, "ATTRIB", a, insert);
  TextBody(out, a);
  out.Raw(100, "AcDbAttribute");
  out.Str(2, a.tag);
  out.Int(70, a.flags);
  if (a.valign != 0) out.Int(74, a.valign);
  out.KeptIn(a.kept, "AcDbAttribute");
  Tail(out, a, {"AcDbEntity", "AcDbText", "AcDbAttribute"});
}

void Write(Emitter& out, const Insert& n, Owner owner) {
  Head(out, "INSERT", n, owner);
  out.Raw(100, "AcDbBlockReference");
  if (!n.attributes.empty()) out.Int(66, 1);
  out.Str(2, n.block);
  out.At(10, n.position);
  if (n.sx != 1) out.Real(41, n.sx);
  if (n.sy != 1) out.Real(42, n.sy);
  if (n.sz != 1) out.Real(43, n.sz);
  if (n.rotation != 0) out.Real(50, n.rotation);
  out.KeptIn(n.kept, "AcDbBlockReference");
  Tail(out, n, {"AcDbEntity", "AcDbBlockReference"});
  if (n.attributes.empty()) return;
  for (const Attribute& a : n.attributes) WriteAttribute(out, a, Owner{n.handle, owner.paper});
  out.Raw(0, "SEQEND");
  out.Hex(5, n.seqend);
  out.Hex(330, n.handle);
  out.Raw(100, "AcDbEntity");
  if (owner.paper) out.Int(67, 1);
  out.Str(8, n.layer);
}

// The overrides go back into the extended data of application ACAD, where
// AutoCAD keeps them, ahead of whatever else ACAD holds there.
void DimensionXData(Emitter& out, const Dimension& d) {
  auto overrides = [&] {
    out.Raw(1000, "DSTYLE");
    out.Raw(1002, "{");
    for (const DimOverride& o : d.overrides) {
      out.Int(1070, o.variable);
      out.Pass(Group{o.group, o.value});
    }
    out.Raw(1002, "}");
  };
  bool acad = false;
  for (const Group& g : d.kept.xdata) acad = acad || (g.code == 1001 && g.value == u"ACAD");
  if (!acad && !d.overrides.empty()) {
    out.Raw(1001, "ACAD");
    overrides();
  }
  for (const Group& g : d.kept.xdata) {
    out.Pass(g);
    if (g.code == 1001 && g.value == u"ACAD" && !d.overrides.empty()) overrides();
  }
}

void Write(Emitter& out, const Dimension& d, Owner owner) {
  Head(out, "DIMENSION", d, owner);
  out.Raw(100, "AcDbDimension");
  out.Str(2, d.block);
  out.At(10, d.definition);
  out.At(11, d.text_mid);
  out.Int(70, d.type);
  out.Int(71, d.attachment);
  out.Str(1, d.text);
  out.Real(42, d.measurement);
  out.Str(3, d.style);
  out.KeptIn(d.kept, "AcDbDimension");
  std::string_view subclasses[2];
  auto subclass = [&](int k, std::string_view name) {
    out.Raw(100, name);
    subclasses[k] = name;
  };
  switch (d.Kind()) {
    case 0:
      subclass(0, "AcDbAlignedDimension");
      out.At(13, d.p13);
      out.At(14, d.p14);
      out.KeptIn(d.kept, "AcDbAlignedDimension");
      out.Real(50, d.angle);
      subclass(1, "AcDbRotatedDimension");
      break;
    case 1:
      subclass(0, "AcDbAlignedDimension");
      out.At(13, d.p13);
      out.At(14, d.p14);
      break;
    case 2:
      subclass(0, "AcDb2LineAngularDimension");
      out.At(13, d.p13);
      out.At(14, d.p14);
      out.At(15, d.p15);
      out.At(16, d.p16);
      break;
    case 5:
      subclass(0, "AcDb3PointAngularDimension");
      out.At(13, d.p13);
      out.At(14, d.p14);
      out.At(15, d.p15);
      break;
    case 3:
      subclass(0, "AcDbDiametricDimension");
      out.At(15, d.p15);
      break;
    case 4:
      subclass(0, "AcDbRadialDimension");
      out.At(15, d.p15);
      break;
    default:
      subclass(0, "AcDbOrdinateDimension");
      out.At(13, d.p13);
      out.At(14, d.p14);
      break;
  }
  // A rotated dimension's own groups (52, the extension lines' slant) go
  // under its last marker; an aligned one's were written above.
  if (d.Kind() != 0) out.KeptIn(d.kept, subclasses[0]);
  if (!subclasses[1].empty()) out.KeptIn(d.kept, subclasses[1]);
  out.KeptRest(d.kept, {"AcDbEntity", "AcDbDimension", subclasses[0], subclasses[1]});
  DimensionXData(out, d);
}

void Write(Emitter& out, const Foreign& f, Owner owner) {
  Head(out, f.type, f, owner);
  Tail(out, f, {"AcDbEntity"}, true);
  for (const Foreign::Record& r : f.following) {
    out.Raw(0, r.type);
    out.Hex(5, r.handle);
    out.Hex(330, f.handle);
    out.Pass(r.groups);
  }
}

}  // namespace

void WriteEntity(Emitter& out, const Entity& entity, Handle owner, bool paper) {
  std::visit([&](const auto& e) { Write(out, e, Owner{owner, paper}); }, entity);
}

}  // namespace cadsim::dxf
