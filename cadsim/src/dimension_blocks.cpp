// Geometry blocks for dimensions that have none.
//
// AutoCAD draws every dimension through an anonymous block ("*D3") and other
// DXF readers drop a DIMENSION whose block is missing. A drawing read from a
// file without them gets simple ones here: extension lines, the dimension line
// and the text, enough to see and to pick.
#include "dimension_blocks.h"

#include <cmath>
#include <cstdio>
#include <numbers>

namespace cadsim {
namespace {

Point Along(const Point& origin, double angle_degrees, const Point& p) {
  const double r = angle_degrees * std::numbers::pi / 180;
  const double ux = std::cos(r), uy = std::sin(r);
  const double t = (p.x - origin.x) * ux + (p.y - origin.y) * uy;
  return {origin.x + t * ux, origin.y + t * uy, origin.z};
}

Line Segment(const Point& a, const Point& b) {
  Line l;
  l.color = 0;  // ByBlock: the dimension's colour
  l.start = a, l.end = b;
  return l;
}

std::u16string Measured(const Dimension& d, const DimStyle* style) {
  if (!d.text.empty() && d.text != u"<>") return d.text;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", style ? style->dimdec : 0, d.measurement);
  return std::u16string(buf, buf + std::char_traits<char>::length(buf));
}

std::vector<Entity> Geometry(Drawing& drawing, const Dimension& d) {
  std::vector<Entity> out;
  const DimStyle* style = drawing.FindDimStyle(d.style);
  if (d.Kind() == 0 || d.Kind() == 1) {
    // Rotated: the dimension line runs through the definition point at the
    // dimension's angle. Aligned: parallel to the measured points.
    const double angle =
        d.Kind() == 0 ? d.angle : std::atan2(d.p14.y - d.p13.y, d.p14.x - d.p13.x) * 180 / std::numbers::pi;
    const Point f1 = Along(d.definition, angle, d.p13), f2 = Along(d.definition, angle, d.p14);
    out.push_back(Segment(d.p13, f1));
    out.push_back(Segment(d.p14, f2));
    out.push_back(Segment(f1, f2));
  }
  Text t;
  t.color = 0;
  t.height = style ? style->dimtxt * (style->dimscale == 0 ? 1 : style->dimscale) : 2.5;
  t.value = Measured(d, style);
  t.halign = 4;  // middle: centred on the text point both ways
  t.position = t.align = d.text_mid;
  t.rotation = d.Kind() == 0 ? d.angle : 0;
  out.push_back(t);
  return out;
}

}  // namespace

void AddMissingDimensionBlocks(Drawing& drawing) {
  int next = 1;
  auto free_name = [&] {
    std::u16string name;
    do {
      const std::string n = "*D" + std::to_string(next++);
      name.assign(n.begin(), n.end());
    } while (drawing.FindBlock(name));
    return name;
  };
  for (Entity& e : drawing.entities) {
    auto* d = std::get_if<Dimension>(&e);
    if (!d || (!d->block.empty() && drawing.FindBlock(d->block))) continue;
    Block b;
    b.name = d->block.empty() ? free_name() : d->block;
    b.flags = 1;  // anonymous
    b.entities = Geometry(drawing, *d);
    d->block = b.name;
    drawing.blocks.push_back(std::move(b));
  }
}

}  // namespace cadsim
