#include "dxf_entities.h"

namespace cadsim::dxf {
namespace {

void Head(Emitter& out, std::string_view type, const Common& c, Handle owner) {
  out.Raw(0, type);
  out.Hex(5, c.handle);
  out.Hex(330, owner);
  out.Raw(100, "AcDbEntity");
  out.Str(8, c.layer);
  if (!SameName(c.linetype, u"ByLayer")) out.Str(6, c.linetype);
  if (c.color != 256) out.Int(62, c.color);
  if (c.lineweight != -1) out.Int(370, c.lineweight);
}

// The AcDbText part shared by TEXT, ATTDEF and ATTRIB.
void TextBody(Emitter& out, const Text& t) {
  out.Raw(100, "AcDbText");
  out.At(10, t.position);
  out.Real(40, t.height);
  out.Str(1, t.value);
  if (t.rotation != 0) out.Real(50, t.rotation);
  if (t.width_factor != 1) out.Real(41, t.width_factor);
  out.Str(7, t.style);
  if (t.halign != 0) out.Int(72, t.halign);
  if (t.halign != 0 || t.valign != 0) out.At(11, t.align);
}

void Write(Emitter& out, const Line& l, Handle owner) {
  Head(out, "LINE", l, owner);
  out.Raw(100, "AcDbLine");
  out.At(10, l.start);
  out.At(11, l.end);
}

void Write(Emitter& out, const Circle& c, Handle owner) {
  Head(out, "CIRCLE", c, owner);
  out.Raw(100, "AcDbCircle");
  out.At(10, c.center);
  out.Real(40, c.radius);
}

void Write(Emitter& out, const Solid& s, Handle owner) {
  Head(out, "SOLID", s, owner);
  out.Raw(100, "AcDbTrace");
  for (int k = 0; k < 4; ++k) out.At(10 + k, s.corners[k]);
}

void Write(Emitter& out, const Text& t, Handle owner) {
  Head(out, "TEXT", t, owner);
  TextBody(out, t);
  out.Raw(100, "AcDbText");
  if (t.valign != 0) out.Int(73, t.valign);
}

void Write(Emitter& out, const AttributeDef& a, Handle owner) {
  Head(out, "ATTDEF", a, owner);
  TextBody(out, a);
  out.Raw(100, "AcDbAttributeDefinition");
  out.Str(3, a.prompt);
  out.Str(2, a.tag);
  out.Int(70, a.flags);
  if (a.valign != 0) out.Int(74, a.valign);
}

void WriteAttribute(Emitter& out, const Attribute& a, Handle insert) {
  Head(out, "ATTRIB", a, insert);
  TextBody(out, a);
  out.Raw(100, "AcDbAttribute");
  out.Str(2, a.tag);
  out.Int(70, a.flags);
  if (a.valign != 0) out.Int(74, a.valign);
}

void Write(Emitter& out, const Insert& n, Handle owner) {
  Head(out, "INSERT", n, owner);
  out.Raw(100, "AcDbBlockReference");
  if (!n.attributes.empty()) out.Int(66, 1);
  out.Str(2, n.block);
  out.At(10, n.position);
  if (n.sx != 1) out.Real(41, n.sx);
  if (n.sy != 1) out.Real(42, n.sy);
  if (n.sz != 1) out.Real(43, n.sz);
  if (n.rotation != 0) out.Real(50, n.rotation);
  if (n.attributes.empty()) return;
  for (const Attribute& a : n.attributes) WriteAttribute(out, a, n.handle);
  out.Raw(0, "SEQEND");
  out.Hex(5, n.seqend);
  out.Hex(330, n.handle);
  out.Raw(100, "AcDbEntity");
  out.Str(8, n.layer);
}

void Write(Emitter& out, const Dimension& d, Handle owner) {
  Head(out, "DIMENSION", d, owner);
  out.Raw(100, "AcDbDimension");
  out.Str(2, d.block);
  out.At(10, d.definition);
  out.At(11, d.text_mid);
  out.Int(70, d.type);
  out.Int(71, 5);  // text attached at its middle
  out.Str(1, d.text);
  out.Real(42, d.measurement);
  out.Str(3, d.style);
  switch (d.Kind()) {
    case 0:
      out.Raw(100, "AcDbAlignedDimension");
      out.At(13, d.p13);
      out.At(14, d.p14);
      out.Real(50, d.angle);
      out.Raw(100, "AcDbRotatedDimension");
      break;
    case 1:
      out.Raw(100, "AcDbAlignedDimension");
      out.At(13, d.p13);
      out.At(14, d.p14);
      break;
    case 2:
      out.Raw(100, "AcDb2LineAngularDimension");
      out.At(13, d.p13);
      out.At(14, d.p14);
      out.At(15, d.p15);
      out.At(16, d.p16);
      break;
    case 5:
      out.Raw(100, "AcDb3PointAngularDimension");
      out.At(13, d.p13);
      out.At(14, d.p14);
      out.At(15, d.p15);
      break;
    case 3:
      out.Raw(100, "AcDbDiametricDimension");
      out.At(15, d.p15);
      out.Real(40, 0);
      break;
    case 4:
      out.Raw(100, "AcDbRadialDimension");
      out.At(15, d.p15);
      out.Real(40, 0);
      break;
    default:
      out.Raw(100, "AcDbOrdinateDimension");
      out.At(13, d.p13);
      out.At(14, d.p14);
      break;
  }
  if (d.overrides.empty()) return;
  out.Raw(1001, "ACAD");
  out.Raw(1000, "DSTYLE");
  out.Raw(1002, "{");
  for (const DimOverride& o : d.overrides) {
    out.Int(1070, o.variable);
    out.Str(o.group, o.value);
  }
  out.Raw(1002, "}");
}

}  // namespace

void WriteEntity(Emitter& out, const Entity& entity, Handle owner) {
  std::visit([&](const auto& e) { Write(out, e, owner); }, entity);
}

}  // namespace cadsim::dxf
