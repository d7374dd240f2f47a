// What a dimension measures, from its definition points, as AutoCAD
// measures it when it makes or updates the dimension (and writes to group
// 42). Files from other programs often leave 42 out; a reader that trusts it
// would read 0.
#include <cmath>
#include <limits>
#include <numbers>
#include <utility>

#include "cadsim/drawing.h"

namespace cadsim {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

double Distance(const Point& a, const Point& b) { return std::hypot(b.x - a.x, b.y - a.y); }
double Direction(const Point& from, const Point& to) { return std::atan2(to.y - from.y, to.x - from.x); }

// An angle brought into [0, 2 pi).
double Turn(double a) {
  a = std::fmod(a, kTwoPi);
  return a < 0 ? a + kTwoPi : a;
}

// The angle of the sector between two lines through centre that holds the
// arc point: the two lines cross and make four sectors, and AutoCAD measures
// the one the dimension arc was drawn in.
double SectorAngle(const Point& centre, double line1, double line2, const Point& arc) {
  const double at = Direction(centre, arc);
  const double rays1[] = {line1, line1 + std::numbers::pi}, rays2[] = {line2, line2 + std::numbers::pi};
  for (double a : rays1) {
    for (double b : rays2) {
      for (const auto& [from, to] : {std::pair{a, b}, std::pair{b, a}}) {
        const double sweep = Turn(to - from);
        if (sweep <= std::numbers::pi + 1e-12 && Turn(at - from) <= sweep + 1e-12) return sweep;
      }
    }
  }
  return Turn(line2 - line1);
}

// Where the lines p1-p2 and q1-q2 cross, if they do.
bool Crossing(const Point& p1, const Point& p2, const Point& q1, const Point& q2, Point& at) {
  const double dx1 = p2.x - p1.x, dy1 = p2.y - p1.y, dx2 = q2.x - q1.x, dy2 = q2.y - q1.y;
  const double det = dx1 * dy2 - dy1 * dx2;
  if (std::abs(det) < 1e-12 * (std::hypot(dx1, dy1) * std::hypot(dx2, dy2) + 1e-300)) return false;
  const double t = ((q1.x - p1.x) * dy2 - (q1.y - p1.y) * dx2) / det;
  at = {p1.x + t * dx1, p1.y + t * dy1, p1.z};
  return true;
}

}  // namespace

double Measure(const Dimension& d) {
  switch (d.Kind()) {
    case 0: {
      // Rotated: the distance of the two extension-line origins along the
      // dimension line's direction.
      const double r = d.angle * std::numbers::pi / 180;
      return std::abs((d.p14.x - d.p13.x) * std::cos(r) + (d.p14.y - d.p13.y) * std::sin(r));
    }
    case 1:
      return Distance(d.p13, d.p14);
    case 2: {
      // Two lines: 13-14 and 10-15; 16 lies on the dimension arc.
      Point centre;
      const double line1 = Direction(d.p13, d.p14), line2 = Direction(d.definition, d.p15);
      if (!Crossing(d.p13, d.p14, d.definition, d.p15, centre)) return 0;
      return SectorAngle(centre, line1, line2, d.p16);
    }
    case 5: {
      // Three points: vertex 15, extension-line origins 13 and 14, the arc
      // through 10. The angle may pass 180 degrees.
      const double a1 = Direction(d.p15, d.p13), a2 = Direction(d.p15, d.p14);
      const double sweep = Turn(a2 - a1);
      return Turn(Direction(d.p15, d.definition) - a1) <= sweep ? sweep : kTwoPi - sweep;
    }
    case 3:  // diameter: 10 and 15 lie on the circle opposite each other
    case 4:  // radius: 10 is the centre, 15 on the circle
      return Distance(d.definition, d.p15);
    case 6:
      // Ordinate: bit 64 marks an X datum; 10 is the origin, 13 the feature.
      return std::abs((d.type & 64) ? d.p13.x - d.definition.x : d.p13.y - d.definition.y);
  }
  return std::numeric_limits<double>::quiet_NaN();
}

}  // namespace cadsim
