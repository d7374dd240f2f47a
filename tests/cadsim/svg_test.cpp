// The SVG picture shows where entries landed: their visible attribute texts,
// the dimensions' texts, each layer in its colour.
#include "cadsim/svg.h"

#include <gtest/gtest.h>

#include "cadsim/scene.h"
#include "cadsim_fixture.h"

namespace cadsim_test {
namespace {

class Svg : public CadsimTest {};

TEST_F(Svg, ShowsVisibleAttributesButNotInvisibleOnes) {
  const std::string svg = cadsim::RenderSvg(Sample());
  EXPECT_NE(svg.find(">給水</text>"), std::string::npos);
  EXPECT_NE(svg.find(">給湯</text>"), std::string::npos);
  EXPECT_EQ(svg.find(">SGP</text>"), std::string::npos) << "the material attribute is invisible";
}

TEST_F(Svg, ShowsDimensionTextsFromTheirBlocks) {
  const std::string svg = cadsim::RenderSvg(Sample());
  EXPECT_NE(svg.find(">1230</text>"), std::string::npos);
  EXPECT_NE(svg.find(">1800</text>"), std::string::npos);
}

// Entities the model keeps unread, and the arc of an angular dimension
// without a block, drawn as segments: every end lies at the radius from the
// centre, the first and the last at the ends of the arc.
struct ArcCase {
  const char* name;
  std::string entities;
  cadsim::Point centre, from, to;
};

class DrawnArc : public CadsimTest, public ::testing::WithParamInterface<ArcCase> {};

TEST_P(DrawnArc, RunsAlongItsCircleFromEndToEnd) {
  const cadsim::Drawing d = cadsim::ReadDxf(
      "  0\nSECTION\n  2\nENTITIES\n" + GetParam().entities + "  0\nENDSEC\n  0\nEOF\n", desktop.Codec());
  const cadsim::Scene scene = cadsim::MakeScene(d);
  const cadsim::Point c = GetParam().centre;
  const double radius = std::hypot(GetParam().from.x - c.x, GetParam().from.y - c.y);
  std::vector<cadsim::Segment> arc;
  for (const cadsim::Segment& s : scene.segments)
    if (std::abs(std::hypot(s.a.x - c.x, s.a.y - c.y) - radius) < 1e-6 &&
        std::abs(std::hypot(s.b.x - c.x, s.b.y - c.y) - radius) < 1e-6)
      arc.push_back(s);
  ASSERT_GE(arc.size(), 4u);
  EXPECT_NEAR(arc.front().a.x, GetParam().from.x, 1e-6);
  EXPECT_NEAR(arc.front().a.y, GetParam().from.y, 1e-6);
  EXPECT_NEAR(arc.back().b.x, GetParam().to.x, 1e-6);
  EXPECT_NEAR(arc.back().b.y, GetParam().to.y, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(
    Arcs, DrawnArc,
    ::testing::Values(
        ArcCase{
            "Arc", "  0\nARC\n 10\n5\n 20\n5\n 40\n10\n 50\n0\n 51\n90\n", {5, 5, 0}, {15, 5, 0}, {5, 15, 0}},
        // Three points: vertex (0,0), legs along x and y, the arc through (7,7).
        ArcCase{"AngularDimension",
                "  0\nDIMENSION\n  8\n0\n 70\n37\n 10\n7\n 20\n7\n 11\n8\n 21\n8\n 13\n20\n 23\n0\n"
                " 14\n0\n 24\n20\n 15\n0\n 25\n0\n",
                {0, 0, 0},
                {std::hypot(7.0, 7.0), 0, 0},
                {0, std::hypot(7.0, 7.0), 0}},
        // Two lines: along x through (-10,0)-(10,0) and the diagonal from
        // (0,0) to (10,10); the arc through (-3,10) spans the wide side.
        ArcCase{"TwoLineAngularDimension",
                "  0\nDIMENSION\n  8\n0\n 70\n34\n 10\n0\n 20\n0\n 11\n0\n 21\n12\n 13\n-10\n 23\n0\n"
                " 14\n10\n 24\n0\n 15\n10\n 25\n10\n 16\n-3\n 26\n10\n",
                {0, 0, 0},
                {std::hypot(3.0, 10.0) * std::sqrt(0.5), std::hypot(3.0, 10.0) * std::sqrt(0.5), 0},
                {-std::hypot(3.0, 10.0), 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Svg, LayersAreDrawnInTheirColours) {
  cadsim::Drawing d;
  cadsim::Layer red;
  red.name = u"赤";
  red.color = 1;
  d.layers.push_back(red);
  cadsim::Line line;
  line.layer = u"赤";
  line.end = {100, 0, 0};
  d.entities.push_back(line);
  d.Complete();
  EXPECT_NE(cadsim::RenderSvg(d).find("stroke=\"#e00000\""), std::string::npos);
}

TEST_F(Svg, LayersThatAreOffAreNotDrawn) {
  cadsim::Drawing d = Sample();
  d.FindLayer(u"給湯")->off = true;
  EXPECT_EQ(cadsim::RenderSvg(d).find(">給湯</text>"), std::string::npos);
}

}  // namespace
}  // namespace cadsim_test
