#include "cadsim/svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "cadsim/scene.h"
#include "platform/utf8.h"

namespace cadsim {
namespace {

// UTF-8 with the characters that SVG text must not hold bare escaped.
std::string Utf8(std::u16string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const char32_t c = platform::NextCodePoint(text, i);
    if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else if (c == '&')
      out += "&amp;";
    else
      platform::AppendUtf8(out, c);
  }
  return out;
}

std::string Rgb(int aci) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "#%06x", static_cast<unsigned>(ColorRgb(aci)));
  return buf;
}

}  // namespace

std::string RenderSvg(const Drawing& drawing) {
  const Scene c = MakeScene(drawing);
  const double x0 = c.low.x, y0 = c.low.y, x1 = c.high.x, y1 = c.high.y;
  const double stroke = std::max(x1 - x0, y1 - y0) / 1500;
  // The picture is 1200 pixels wide and as high as the drawing's shape asks,
  // within what a viewer shows: a drawing read with coordinates near the
  // largest double has extents that overflow, and a thin one a ratio beyond
  // any int.
  const double ratio = (y1 - y0) / (x1 - x0);
  const int height = std::isfinite(ratio) ? static_cast<int>(std::clamp(1200 * ratio, 1.0, 120000.0)) : 1200;

  std::string out;
  char buf[512];
  std::snprintf(buf, sizeof buf,
                "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"%g %g %g %g\" width=\"1200\" "
                "height=\"%d\">\n<rect x=\"%g\" y=\"%g\" width=\"%g\" height=\"%g\" fill=\"white\"/>\n",
                x0, -y1, x1 - x0, y1 - y0, height, x0, -y1, x1 - x0, y1 - y0);
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
