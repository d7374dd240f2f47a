#include "cadsim/scene.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <numbers>

namespace cadsim {
namespace {

// Where a block's contents land: scale, rotate, move.
struct Placement {
  Point origin;
  double sx = 1, sy = 1, rotation = 0;
  Point base;
  Point Apply(const Point& p) const {
    const double x = (p.x - base.x) * sx, y = (p.y - base.y) * sy;
    const double r = rotation * std::numbers::pi / 180;
    return {origin.x + x * std::cos(r) - y * std::sin(r), origin.y + x * std::sin(r) + y * std::cos(r), 0};
  }
};

double Number(const Group& g) {
  std::string digits;
  for (char16_t c : g.value) digits += c < 0x80 ? static_cast<char>(c) : ' ';
  return std::strtod(digits.c_str(), nullptr);
}

// The value of the first group with this code in a kept entity, or fallback.
double Value(const std::vector<Group>& groups, int code, double fallback = 0) {
  for (const Group& g : groups)
    if (g.code == code) return Number(g);
  return fallback;
}

// MTEXT's text without its formatting codes: "\P" breaks the line, "\H2.5;"
// and the like set a font or height, braces group.
std::u16string PlainMText(const std::u16string& s) {
  std::u16string out;
  for (std::size_t k = 0; k < s.size(); ++k) {
    if (s[k] == u'{' || s[k] == u'}') continue;
    if (s[k] == u'\\' && k + 1 < s.size()) {
      const char16_t c = s[k + 1];
      if (c == u'P') {
        out += u' ';
        ++k;
      } else if (c == u'\\' || c == u'{' || c == u'}') {
        out += c;
        ++k;
      } else {
        const std::size_t semi = s.find(u';', k);
        if (semi == std::u16string::npos) break;
        k = semi;
      }
      continue;
    }
    out += s[k];
  }
  return out;
}

// The points of groups 10/20 in order (a polyline's vertices).
std::vector<Point> Vertices(const std::vector<Group>& groups) {
  std::vector<Point> points;
  for (const Group& g : groups) {
    if (g.code == 10) points.push_back({Number(g), 0, 0});
    if (g.code == 20 && !points.empty()) points.back().y = Number(g);
  }
  return points;
}

class Collector {
 public:
  explicit Collector(const Drawing& d) : d_(d) {}

  void Entities(const std::vector<Entity>& entities, const Placement& at, int by_block, int depth) {
    for (const Entity& e : entities) One(e, at, by_block, depth);
  }

  Scene scene;

 private:
  int ColorOf(const Common& c, int by_block) {
    if (c.color == 0) return by_block;
    if (c.color != 256) return c.color;
    const Layer* l = const_cast<Drawing&>(d_).FindLayer(c.layer);
    return l ? l->color : 7;
  }
  void Add(const Text& t, const Placement& at, int color, std::u16string_view text) {
    const Point p = at.Apply(t.halign || t.valign ? t.align : t.position);
    scene.labels.push_back(
        {p, t.height * std::abs(at.sy), t.rotation + at.rotation, t.halign, std::u16string(text), color});
  }

  // An arc drawn as short segments, counterclockwise from start to end.
  void Arc(const Point& centre, double radius, double start, double end, const Placement& at, int color) {
    if (end < start) end += 360;
    const int steps = std::max(2, static_cast<int>((end - start) / 6));
    Point last;
    for (int k = 0; k <= steps; ++k) {
      const double a = (start + (end - start) * k / steps) * std::numbers::pi / 180;
      const Point p = at.Apply({centre.x + radius * std::cos(a), centre.y + radius * std::sin(a), 0});
      if (k > 0) scene.segments.push_back({last, p, color});
      last = p;
    }
  }

  // What can be drawn of the entity types the model keeps unread.
  void Foreign(const cadsim::Foreign& f, const Placement& at, int color) {
    const std::vector<Group>& g = f.kept.groups;
    if (f.type == "ARC") {
      Arc(f.First(), Value(g, 40), Value(g, 50), Value(g, 51, 360), at, color);
    } else if (f.type == "LWPOLYLINE" || f.type == "POLYLINE") {
      std::vector<Point> points = Vertices(g);
      if (f.type == "POLYLINE") {
        points.clear();
        for (const cadsim::Foreign::Record& r : f.following) {
          const auto v = Vertices(r.groups);
          points.insert(points.end(), v.begin(), v.end());
        }
      }
      if ((static_cast<int>(Value(g, 70)) & 1) && !points.empty()) points.push_back(points.front());
      for (std::size_t k = 1; k < points.size(); ++k)
        scene.segments.push_back({at.Apply(points[k - 1]), at.Apply(points[k]), color});
    } else if (f.type == "MTEXT") {
      std::u16string text;
      for (const Group& x : g)
        if (x.code == 3) text += x.value;
      for (const Group& x : g)
        if (x.code == 1) text += x.value;
      Text t;
      t.position = t.align = f.First();
      t.height = Value(g, 40, 2.5);
      const double dx = Value(g, 11, 1), dy = Value(g, 21);
      t.rotation = Value(g, 50, std::atan2(dy, dx) * 180 / std::numbers::pi);
      // Attachment 1-9 (top left ... bottom right): its column is TEXT's alignment.
      t.halign = (static_cast<int>(Value(g, 71, 1)) - 1) % 3;
      Add(t, at, color, PlainMText(text));
    }
  }

  void One(const Entity& e, const Placement& at, int by_block, int depth) {
    const Common& c = CommonOf(e);
    const Layer* layer = const_cast<Drawing&>(d_).FindLayer(c.layer);
    if (layer && (layer->off || layer->frozen)) return;
    const int color = ColorOf(c, by_block);
    if (const auto* l = std::get_if<Line>(&e)) {
      scene.segments.push_back({at.Apply(l->start), at.Apply(l->end), color});
    } else if (const auto* s = std::get_if<Solid>(&e)) {
      // DXF orders the corners 1, 2, 4, 3 around the outline.
      const int order[] = {0, 1, 3, 2, 0};
      for (int k = 0; k < 4; ++k)
        scene.segments.push_back({at.Apply(s->corners[order[k]]), at.Apply(s->corners[order[k + 1]]), color});
    } else if (const auto* r = std::get_if<Circle>(&e)) {
      scene.circles.push_back({at.Apply(r->center), r->radius * std::abs(at.sx), color});
    } else if (const auto* t = std::get_if<Text>(&e)) {
      Add(*t, at, color, t->value);
    } else if (const auto* f = std::get_if<cadsim::Foreign>(&e)) {
      Foreign(*f, at, color);
    } else if (const auto* n = std::get_if<Insert>(&e)) {
      const Block* b = const_cast<Drawing&>(d_).FindBlock(n->block);
      if (b && depth < 8) {
        Placement inner{at.Apply(n->position), n->sx * at.sx, n->sy * at.sy, n->rotation + at.rotation,
                        b->base};
        for (const Entity& be : b->entities)
          if (!std::holds_alternative<AttributeDef>(be)) One(be, inner, color, depth + 1);
      }
      for (const Attribute& a : n->attributes)
        if (!(a.flags & 1)) Add(a, Placement{}, ColorOf(a, color), a.value);
    } else if (const auto* dim = std::get_if<Dimension>(&e)) {
      const Block* b = const_cast<Drawing&>(d_).FindBlock(dim->block);
      if (b && !b->entities.empty() && depth < 8) {
        Entities(b->entities, at, color, depth + 1);
      } else {
        // No geometry block: extension lines and dimension line from the points.
        scene.segments.push_back({at.Apply(dim->p13), at.Apply(dim->definition), color});
        scene.segments.push_back({at.Apply(dim->p14), at.Apply(dim->definition), color});
        Text t;
        t.position = dim->text_mid;
        t.height = 2.5;
        char buf[32];
        std::snprintf(buf, sizeof buf, "%g", dim->measurement);
        std::u16string value(buf, buf + std::char_traits<char>::length(buf));
        Add(t, at, color, dim->text.empty() ? value : dim->text);
      }
    }
  }

  const Drawing& d_;
};

}  // namespace

std::uint32_t ColorRgb(int aci) {
  static constexpr std::uint32_t kBasic[] = {0x000000, 0xe00000, 0xb09000, 0x00a000, 0x00a0a0,
                                             0x0000e0, 0xc000c0, 0x000000, 0x808080, 0xb0b0b0};
  if (aci >= 0 && aci <= 9) return kBasic[aci];
  // Other indexes: spread over the hues, dark enough to read.
  const double h = (aci * 37) % 360 / 60.0;
  const double x = 1 - std::abs(std::fmod(h, 2) - 1);
  double r = 0, g = 0, b = 0;
  if (h < 1)
    r = 1, g = x;
  else if (h < 2)
    r = x, g = 1;
  else if (h < 3)
    g = 1, b = x;
  else if (h < 4)
    g = x, b = 1;
  else if (h < 5)
    r = x, b = 1;
  else
    r = 1, b = x;
  auto c = [](double v) { return static_cast<std::uint32_t>(v * 0xb0); };
  return c(r) << 16 | c(g) << 8 | c(b);
}

Scene MakeScene(const Drawing& drawing, const Entity& entity) {
  Collector c(drawing);
  c.Entities({entity}, Placement{}, 7, 0);
  return std::move(c.scene);
}

Scene MakeScene(const Drawing& drawing) {
  Collector c(drawing);
  c.Entities(drawing.entities, Placement{}, 7, 0);
  Scene scene = std::move(c.scene);
  double x0 = std::numeric_limits<double>::infinity(), y0 = x0, x1 = -x0, y1 = -x0;
  auto see = [&](const Point& p, double pad) {
    x0 = std::min(x0, p.x - pad), y0 = std::min(y0, p.y - pad);
    x1 = std::max(x1, p.x + pad), y1 = std::max(y1, p.y + pad);
  };
  for (const Segment& s : scene.segments) see(s.a, 0), see(s.b, 0);
  for (const Round& r : scene.circles) see(r.center, r.radius);
  for (const Label& l : scene.labels) {
    // A text runs about 0.8 of its height a character from its alignment point.
    const double width = l.height * 0.8 * static_cast<double>(l.text.size());
    const double start = l.halign == 1 || l.halign == 4 ? -width / 2 : l.halign == 2 ? -width : 0;
    const double r = l.rotation * std::numbers::pi / 180;
    for (double along : {start, start + width})
      see({l.at.x + along * std::cos(r), l.at.y + along * std::sin(r), 0}, l.height);
  }
  if (x0 > x1) x0 = y0 = 0, x1 = 100, y1 = 100;
  const double margin = std::max(x1 - x0, y1 - y0) * 0.03 + 1;
  scene.low = {x0 - margin, y0 - margin, 0};
  scene.high = {x1 + margin, y1 + margin, 0};
  return scene;
}

}  // namespace cadsim
