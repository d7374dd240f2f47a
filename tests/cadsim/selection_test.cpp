// What a selection takes, as AutoCAD makes it: ALL includes what lies on
// layers that are off but not frozen ones; a pick takes only what is shown,
// and hits a dimension at its lines and arrows as well as its text.
#include <gtest/gtest.h>

#include <algorithm>

#include "cadsim_fixture.h"

namespace cadsim_test {
namespace {

struct LayerState {
  const char* name;
  bool off, frozen;
  bool in_all, picked;
};

class HiddenLayer : public CadsimTest, public ::testing::WithParamInterface<LayerState> {
 protected:
  void Hide() {
    cadsim::Layer& layer = *TheDrawing().FindLayer(u"寸法");
    layer.off = GetParam().off;
    layer.frozen = GetParam().frozen;
  }
  cadsim::Handle Dim() { return DimensionMeasuring(1230); }
  bool Selected(cadsim::Handle h) {
    const auto& set = Cad().PreviousSelection();
    return std::find(set.begin(), set.end(), h) != set.end();
  }
};

TEST_P(HiddenLayer, DecidesWhatAllAndAPickTake) {
  Start(1);
  Hide();
  // The user picks the dimension; a pick that takes nothing leaves the
  // prompt waiting, and Esc ends it.
  Cad().Script(cadsim::UserAction::Pick(Dim(), 500));
  Cad().Script(cadsim::UserAction::Escape(500));
  ASSERT_EQ(Send(u"^C^Cselect^Msingle^M"), -1);
  EXPECT_EQ(Selected(Dim()), GetParam().picked);
  ASSERT_EQ(Send(u"^C^Cselect^Mall^M^M"), -1);
  EXPECT_EQ(Selected(Dim()), GetParam().in_all);
}

TEST_P(HiddenLayer, DecidesWhatAPickAtAPointTakes) {
  Start(1);
  Hide();
  Cad().Script(cadsim::UserAction::PickAt({615, -212.5, 0}, 500));
  Cad().Script(cadsim::UserAction::Escape(500));
  ASSERT_EQ(Send(u"^C^Cselect^Msingle^M"), -1);
  EXPECT_EQ(Selected(Dim()), GetParam().picked);
}

INSTANTIATE_TEST_SUITE_P(States, HiddenLayer,
                         ::testing::Values(LayerState{"Shown", false, false, true, true},
                                           LayerState{"Off", true, false, true, false},
                                           LayerState{"Frozen", false, true, false, false},
                                           LayerState{"OffAndFrozen", true, true, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

struct PickPoint {
  const char* name;
  cadsim::Point at;
  bool hits;  // the dimension measuring 1230 (from (0,0) to (1230,0), its line at y = -400)
};

class DimensionPick : public CadsimTest, public ::testing::WithParamInterface<PickPoint> {};

TEST_P(DimensionPick, HitsItsLinesArrowsAndText) {
  Start(1);
  Cad().pick_tolerance = 10;
  const cadsim::Handle hit = Cad().HitTest(GetParam().at);
  EXPECT_EQ(hit == DimensionMeasuring(1230), GetParam().hits) << "hit " << hit;
}

INSTANTIATE_TEST_SUITE_P(Points, DimensionPick,
                         ::testing::Values(PickPoint{"Text", {615, -212.5, 0}, true},
                                           PickPoint{"FirstExtensionLine", {0, -300, 0}, true},
                                           PickPoint{"DimensionLine", {300, -400, 0}, true},
                                           PickPoint{"Arrowhead", {1225, -400, 0}, true},
                                           PickPoint{"BesideTheLine", {300, -460, 0}, false},
                                           PickPoint{"EmptySpace", {2000, 5000, 0}, false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace cadsim_test
