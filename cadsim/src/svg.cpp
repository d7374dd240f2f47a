#include "cadsim/svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>
#include <vector>

namespace cadsim {
namespace {

struct Segment {
  Point a, b;
  int color;
};
struct Round {
  Point center;
  double radius;
  int color;
};
struct Label {
  Point at;
  double height, rotation;
  int halign;
  std::u16string text;
  int color;
};

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

std::string Utf8(std::u16string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size())
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    if (c < 0x80) {
      if (c == '<')
        out += "&lt;";
      else if (c == '>')
        out += "&gt;";
      else if (c == '&')
        out += "&amp;";
      else
        out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6)), out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12)), out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18)), out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F)), out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// AutoCAD colour index to a colour that shows on white paper.
std::string Rgb(int aci) {
  static const char* kBasic[] = {"#000000", "#e00000", "#b09000", "#00a000", "#00a0a0",
                                 "#0000e0", "#c000c0", "#000000", "#808080", "#b0b0b0"};
  if (aci >= 0 && aci <= 9) return kBasic[aci];
  char buf[32];
  const int hue = (aci * 37) % 360;
  std::snprintf(buf, sizeof buf, "hsl(%d,70%%,40%%)", hue);
  return buf;
}

class Collector {
 public:
  explicit Collector(const Drawing& d) : d_(d) {}

  void Entities(const std::vector<Entity>& entities, const Placement& at, int by_block, int depth) {
    for (const Entity& e : entities) One(e, at, by_block, depth);
  }

  std::vector<Segment> segments;
  std::vector<Round> circles;
  std::vector<Label> labels;

 private:
  int ColorOf(const Common& c, int by_block) {
    if (c.color == 0) return by_block;
    if (c.color != 256) return c.color;
    const Layer* l = const_cast<Drawing&>(d_).FindLayer(c.layer);
    return l ? l->color : 7;
  }
  void Add(const Text& t, const Placement& at, int color, std::u16string_view text) {
    const Point p = at.Apply(t.halign || t.valign ? t.align : t.position);
    labels.push_back(
        {p, t.height * std::abs(at.sy), t.rotation + at.rotation, t.halign, std::u16string(text), color});
  }

  void One(const Entity& e, const Placement& at, int by_block, int depth) {
    const Common& c = CommonOf(e);
    const Layer* layer = const_cast<Drawing&>(d_).FindLayer(c.layer);
    if (layer && (layer->off || layer->frozen)) return;
    const int color = ColorOf(c, by_block);
    if (const auto* l = std::get_if<Line>(&e)) {
      segments.push_back({at.Apply(l->start), at.Apply(l->end), color});
    } else if (const auto* s = std::get_if<Solid>(&e)) {
      // DXF orders the corners 1, 2, 4, 3 around the outline.
      const int order[] = {0, 1, 3, 2, 0};
      for (int k = 0; k < 4; ++k)
        segments.push_back({at.Apply(s->corners[order[k]]), at.Apply(s->corners[order[k + 1]]), color});
    } else if (const auto* r = std::get_if<Circle>(&e)) {
      circles.push_back({at.Apply(r->center), r->radius * std::abs(at.sx), color});
    } else if (const auto* t = std::get_if<Text>(&e)) {
      Add(*t, at, color, t->value);
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
        segments.push_back({at.Apply(dim->p13), at.Apply(dim->definition), color});
        segments.push_back({at.Apply(dim->p14), at.Apply(dim->definition), color});
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

std::string RenderSvg(const Drawing& drawing) {
  Collector c(drawing);
  c.Entities(drawing.entities, Placement{}, 7, 0);
  double x0 = std::numeric_limits<double>::infinity(), y0 = x0, x1 = -x0, y1 = -x0;
  auto see = [&](const Point& p, double pad) {
    x0 = std::min(x0, p.x - pad), y0 = std::min(y0, p.y - pad);
    x1 = std::max(x1, p.x + pad), y1 = std::max(y1, p.y + pad);
  };
  for (const Segment& s : c.segments) see(s.a, 0), see(s.b, 0);
  for (const Round& r : c.circles) see(r.center, r.radius);
  for (const Label& l : c.labels) see(l.at, l.height * (1 + l.text.size()));
  if (x0 > x1) x0 = y0 = 0, x1 = 100, y1 = 100;
  const double margin = std::max(x1 - x0, y1 - y0) * 0.03 + 1;
  x0 -= margin, y0 -= margin, x1 += margin, y1 += margin;
  const double stroke = std::max(x1 - x0, y1 - y0) / 1500;

  std::string out;
  char buf[512];
  std::snprintf(buf, sizeof buf,
                "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"%g %g %g %g\" width=\"1200\" "
                "height=\"%d\">\n<rect x=\"%g\" y=\"%g\" width=\"%g\" height=\"%g\" fill=\"white\"/>\n",
                x0, -y1, x1 - x0, y1 - y0, static_cast<int>(1200 * (y1 - y0) / (x1 - x0)), x0, -y1, x1 - x0,
                y1 - y0);
  out += buf;
  for (const Segment& s : c.segments) {
    std::snprintf(buf, sizeof buf,
                  "<line x1=\"%g\" y1=\"%g\" x2=\"%g\" y2=\"%g\" stroke=\"%s\" stroke-width=\"%g\"/>\n",
                  s.a.x, -s.a.y, s.b.x, -s.b.y, Rgb(s.color).c_str(), stroke);
    out += buf;
  }
  for (const Round& r : c.circles) {
    std::snprintf(buf, sizeof buf,
                  "<circle cx=\"%g\" cy=\"%g\" r=\"%g\" fill=\"none\" stroke=\"%s\" stroke-width=\"%g\"/>\n",
                  r.center.x, -r.center.y, r.radius, Rgb(r.color).c_str(), stroke);
    out += buf;
  }
  for (const Label& l : c.labels) {
    const char* anchor = l.halign == 1 || l.halign == 4 ? "middle" : l.halign == 2 ? "end" : "start";
    std::snprintf(buf, sizeof buf,
                  "<text x=\"%g\" y=\"%g\" font-size=\"%g\" fill=\"%s\" text-anchor=\"%s\" "
                  "transform=\"rotate(%g %g %g)\">",
                  l.at.x, -l.at.y, l.height, Rgb(l.color).c_str(), anchor, -l.rotation, l.at.x, -l.at.y);
    out += buf;
    out += Utf8(l.text);
    out += "</text>\n";
  }
  out += "</svg>\n";
  return out;
}

}  // namespace cadsim
