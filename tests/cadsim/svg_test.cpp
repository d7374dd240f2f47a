// The SVG picture shows where entries landed: their visible attribute texts,
// the dimensions' texts, each layer in its colour.
#include "cadsim/svg.h"

#include <gtest/gtest.h>

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
