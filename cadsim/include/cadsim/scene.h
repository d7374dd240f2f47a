// What a drawing looks like, flattened: segments, circles and texts in world
// coordinates with their colour index, blocks and dimension blocks resolved.
// The SVG rendering and cadsim.exe's window both draw from it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cadsim/drawing.h"

namespace cadsim {

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

struct Scene {
  std::vector<Segment> segments;
  std::vector<Round> circles;
  std::vector<Label> labels;
  // The extents of everything, with a small margin; (0,0)-(100,100) when empty.
  Point low, high;
};

// Visible layers only; inserted blocks with their visible attributes;
// dimensions through their geometry blocks or, lacking one, from their points.
Scene MakeScene(const Drawing& drawing);
// One entity of it, as drawn (no extents).
Scene MakeScene(const Drawing& drawing, const Entity& entity);

// An AutoCAD colour index as 0xRRGGBB that shows on white paper (7 is black).
std::uint32_t ColorRgb(int aci);

}  // namespace cadsim
