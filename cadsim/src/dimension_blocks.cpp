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
  const bool angular = d.Kind() == 2 || d.Kind() == 5;
  const double value = angular ? d.measurement * 180 / std::numbers::pi : d.measurement;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", angular ? 0 : style ? style->dimdec : 0, value);
  std::string s = buf;
  // DIMZIN 8 leaves out trailing zeros.
  if (style && (style->dimzin & 8) && s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  if (angular) s += "%%d";
  return std::u16string(s.begin(), s.end());
}

Group Number(int code, double value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.12g", value);
  return Group{code, std::u16string(buf, buf + std::char_traits<char>::length(buf))};
}

// An ARC, which the model keeps as another program's entity would come.
Foreign ArcThrough(const Point& centre, const Point& on, double from_degrees, double to_degrees) {
  Foreign arc;
  arc.type = "ARC";
  arc.color = 0;
  const double radius = std::hypot(on.x - centre.x, on.y - centre.y);
  arc.kept.groups = {{100, u"AcDbCircle"},     Number(10, centre.x),  Number(20, centre.y),
                     Number(30, centre.z),     Number(40, radius),    {100, u"AcDbArc"},
                     Number(50, from_degrees), Number(51, to_degrees)};
  return arc;
}

double Degrees(const Point& from, const Point& to) {
  return std::atan2(to.y - from.y, to.x - from.x) * 180 / std::numbers::pi;
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
  if (d.Kind() == 5) {
    // Vertex 15, arc through 10, from the first leg to the second.
    const double a1 = Degrees(d.p15, d.p13), a2 = Degrees(d.p15, d.p14);
    const double sweep = d.measurement * 180 / std::numbers::pi;
    const bool ccw = std::abs(std::fmod(a2 - a1 + 720, 360) - sweep) < 1e-6;
    out.push_back(ccw ? ArcThrough(d.p15, d.definition, a1, a2) : ArcThrough(d.p15, d.definition, a2, a1));
  }
  if (d.Kind() == 2) {
    // The arc through 16 around the lines' crossing, between the two rays
    // (one of each line) that hold 16 and lie the measured angle apart.
    const double dx1 = d.p14.x - d.p13.x, dy1 = d.p14.y - d.p13.y;
    const double dx2 = d.p15.x - d.definition.x, dy2 = d.p15.y - d.definition.y;
    const double det = dx1 * dy2 - dy1 * dx2;
    if (det != 0) {
      const double t = ((d.definition.x - d.p13.x) * dy2 - (d.definition.y - d.p13.y) * dx2) / det;
      const Point centre{d.p13.x + t * dx1, d.p13.y + t * dy1, d.p13.z};
      const double l1 = Degrees(d.p13, d.p14), l2 = Degrees(d.definition, d.p15);
      const double at = Degrees(centre, d.p16), sweep = d.measurement * 180 / std::numbers::pi;
      auto turn = [](double a) { return std::fmod(std::fmod(a, 360) + 360, 360); };
      for (double from : {l1, l1 + 180, l2, l2 + 180}) {
        const double other = from == l1 || from == l1 + 180 ? l2 : l1;
        const double gap = turn(from + sweep - other);
        const bool on_other =
            std::min(std::abs(gap), std::abs(gap - 180)) < 1e-6 || std::abs(gap - 360) < 1e-6;
        if (on_other && turn(at - from) <= sweep + 1e-9) {
          out.push_back(ArcThrough(centre, d.p16, from, from + sweep));
          break;
        }
      }
    }
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
