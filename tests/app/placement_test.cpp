#include "app/placement.h"

#include <gtest/gtest.h>

#include "app/app_error.h"
#include "app_test_support.h"

namespace plendra {
namespace {

TEST(Nagasa_Marume, RoundsToTheChosenStepHalvesToEven) {
  struct Case {
    float M;
    std::int32_t index;
    float L;
  } cases[] = {
      {1234.4f, 0, 1234},    {1234.4f, 1, 1235}, {1234.4f, 2, 1230}, {1234.4f, 3, 1250},
      {1234.4f, 4, 1234.4f}, {1225, 2, 1220},    {1235, 2, 1240},    {1225, 3, 1200},
      {1275, 3, 1300},       {0.5f, 0, 0},       {1.5f, 0, 2},       {-1234.4f, 2, -1230},
  };
  for (const Case& c : cases) EXPECT_EQ(Nagasa_Marume(c.M, c.index), c.L) << c.M << " step " << c.index;
  EXPECT_EQ(ErrorOf([] { Nagasa_Marume(1000, 5); }), 9);
  EXPECT_EQ(ErrorOf([] { Nagasa_Marume(1000, -1); }), 9);
  EXPECT_EQ(ErrorOf([] { Nagasa_Marume(3e38f, 0); }), 6);  // the quotient is no 32-bit integer
}

TEST(Nagasa_Marume, ListsTheStepsTheDialogShows) {
  const std::u16string_view texts[] = {u"1mm", u"5mm", u"10mm", u"50mm", u"丸め無し"};
  const std::int32_t steps[] = {1, 5, 10, 50, 0};
  for (std::int32_t i = 0; i < 5; ++i) {
    EXPECT_EQ(MarumeItems()[i], texts[i]);
    EXPECT_EQ(MarumeStep(i), steps[i]);
  }
}

TEST(Mojihaba_Get, CountsCharactersOfTheShownTextAndHalfForThePoint) {
  struct Case {
    float M, K, H;
    std::int32_t D;
    float WF, R;
    std::int32_t Z;
    float TW;
  } cases[] = {
      {1234.4f, 100, 2.5f, 0, 1, 0, 0, 1000},     // "1234"
      {1500, 100, 2.5f, 2, 1, 0, 8, 1000},        // "1500"
      {1500, 100, 2.5f, 2, 1, 0, 12, 1000},       // "1500"
      {1500, 100, 2.5f, 2, 1, 0, 0, 1625},        // "1500.00", 6.5 characters
      {1500, 100, 2.5f, 2, 1, 0, 4, 1625},        // DIMZIN 4 keeps trailing zeros
      {1234.4f, 100, 2.5f, 2, 1, 0, 8, 1375},     // "1234.4"
      {1234.4f, 100, 2.5f, 0, 0.7f, 0, 0, 700},   // narrow text style
      {1234.4f, 100, 2.5f, 0, 1, 5, 0, 1000},     // DIMRND 5: "1235"
      {1234.4f, 100, 2.5f, 1, 1, 0.5f, 0, 1375},  // DIMRND 0.5: "1234.5"
      {9.996f, 1, 1, 2, 1, 0, 0, 4.5f},           // "10.00": the rounding adds a digit
      {1234.4f, 100, 2.5f, -1, 1, 0, 0, 1000},    // negative DIMDEC counts as none
      {-1234.4f, 100, 2.5f, 0, 1, 0, 0, 1250},    // "-1234"
  };
  for (const Case& c : cases) {
    float TW = -99;
    EXPECT_EQ(Mojihaba_Get(c.M, c.K, c.H, c.D, c.WF, c.R, c.Z, TW), -1);
    EXPECT_EQ(TW, c.TW) << c.M << " D=" << c.D << " Z=" << c.Z << " R=" << c.R;
  }
  float TW = 123;
  EXPECT_EQ(Mojihaba_Get(0, 100, 2.5f, 0, 1, 0, 0, TW), 0);
  EXPECT_EQ(TW, 123);
  EXPECT_EQ(ErrorOf([&] { Mojihaba_Get(3e38f, 1, 1, 0, 1, 0.001f, 0, TW); }), 6);
}

TEST(Iti_Get, AfterBeatsBeforeBeatsBelowBeatsAbove) {
  struct Case {
    bool Ue, Sita, Mae, Usiro;
    std::int32_t p;
  } cases[] = {
      {false, false, false, false, 0}, {true, false, false, false, 1}, {false, true, false, false, 2},
      {false, false, true, false, 3},  {false, false, false, true, 4}, {true, true, false, false, 2},
      {false, true, true, false, 3},   {true, false, false, true, 4},  {true, true, true, true, 4},
  };
  for (const Case& c : cases) EXPECT_EQ(Iti_Get(c.Ue, c.Sita, c.Mae, c.Usiro), c.p);
}

// The dimension of the worked example: text point (1000, 500), measured 1234.4,
// DIMSCALE 100, DIMTXT 2.5, DIMGAP 0.625, DIMDEC 0, DIMRND 0, DIMZIN 0, width
// factor 1, Okisa 0, Hanare 2; its text "1234" is 1000 wide.
TEST(PlaceEntry, PlacesTheEntryBesideTheDimensionText) {
  float example_TW = 0;
  ASSERT_EQ(Mojihaba_Get(1234.4f, 100, 2.5f, 0, 1, 0, 0, example_TW), -1);
  ASSERT_EQ(example_TW, 1000);
  struct Case {
    const char* name;
    std::int32_t p, angle, type, ov, TM;
    double okisa;
    float TW;
    float s, X, Y;
  } cases[] = {
      {"above", 1, 0, 0, -1, 0, 0, 1000, 250, 1000, 975},
      {"below", 2, 0, 0, -1, 0, 0, 1000, 250, 1000, -37.5f},
      {"before", 3, 0, 0, -1, 0, 0, 1000, 250, 150, 562.5f},
      {"after", 4, 0, 0, -1, 0, 0, 1000, 250, 1850, 562.5f},
      {"90 above", 1, 90, 0, -1, 0, 0, 1000, 250, 525, 500},
      {"90 below", 2, 90, 0, -1, 0, 0, 1000, 250, 1537.5f, 500},
      {"90 before", 3, 90, 0, -1, 0, 0, 1000, 250, 937.5f, -350},
      {"90 after", 4, 90, 0, -1, 0, 0, 1000, 250, 937.5f, 1350},
      {"89 is not upright", 1, 89, 0, -1, 0, 0, 1000, 250, 1000, 975},
      {"270 is not upright", 1, 270, 32, -1, 0, 0, 1000, 250, 1000, 975},
      {"Okisa -3", 1, 0, 0, -1, 0, -3, 1000, 200, 1000, 925},
      {"none on", 0, 0, 0, -1, 0, 0, 1000, 250, 0, 0},
      {"none on, moved text", 0, 90, 128, -1, 1, 0, 1000, 250, 0, 0},
      {"measured 0, before", 3, 0, 0, -1, 0, 0, 0, 250, 650, 562.5f},
      {"measured 0, after", 4, 0, 0, -1, 0, 0, 0, 250, 1350, 562.5f},
      // Text moved by the user: the dimension's override, else DIMTMOVE.
      {"128 leader above", 1, 0, 128, -1, 1, 0, 1000, 250, 812.5f, 1162.5f},
      {"160 leader above", 1, 0, 160, -1, 1, 0, 1000, 250, 812.5f, 1162.5f},
      {"32 is not moved", 1, 0, 32, -1, 1, 0, 1000, 250, 1000, 975},
      {"override 2 above", 1, 0, 128, 2, 1, 0, 1000, 250, 1000, 975},
      {"override 2 below", 2, 0, 128, 2, 1, 0, 1000, 250, 1000, 25},
      {"override 0 over DIMTMOVE 2", 1, 0, 128, 0, 2, 0, 1000, 250, 1000, 1162.5f},
      {"line above", 1, 0, 128, -1, 0, 0, 1000, 250, 1000, 1162.5f},
      {"90 line above", 1, 90, 128, -1, 0, 0, 1000, 250, 337.5f, 500},
      {"90 leader above", 1, 90, 128, -1, 1, 0, 1000, 250, 337.5f, 1000},
      {"90 free below", 2, 90, 160, -1, 2, 0, 1000, 250, 1475, 500},
      {"90 free above", 1, 90, 160, -1, 2, 0, 1000, 250, 525, 500},
      {"other rule", 2, 0, 128, 3, 1, 0, 1000, 250, 1000, -37.5f},
  };
  for (const Case& c : cases) {
    PlacementInput in{.p = c.p,
                      .P0 = 1000,
                      .P1 = 500,
                      .angle = c.angle,
                      .type = c.type,
                      .ov = c.ov,
                      .K = 100,
                      .H = 2.5f,
                      .G = 0.625f,
                      .TM = c.TM,
                      .TW = c.TW,
                      .okisa = c.okisa,
                      .hanare = 2};
    const Placement out = PlaceEntry(in);
    EXPECT_EQ(out.s, c.s) << c.name;
    EXPECT_EQ(out.X, c.X) << c.name;
    EXPECT_EQ(out.Y, c.Y) << c.name;
  }
}

TEST(PlaceEntry, RaisesOverflowForAPointBeyondTheFloatRange) {
  PlacementInput in{.p = 1,
                    .P0 = 0,
                    .P1 = 3e38f,
                    .angle = 0,
                    .type = 0,
                    .ov = -1,
                    .K = 1,
                    .H = 3e37f,
                    .G = 0,
                    .TM = 0,
                    .TW = 0,
                    .okisa = 0,
                    .hanare = 0};
  EXPECT_EQ(ErrorOf([&] { PlaceEntry(in); }), 6);
  in.p = 2;  // below stays in range
  EXPECT_EQ(PlaceEntry(in).Y, 3e38f - 1.5e37f - 3e37f);
}

}  // namespace
}  // namespace plendra
