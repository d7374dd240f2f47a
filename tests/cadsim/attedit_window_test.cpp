// -ATTEDIT one at a time with its filters, windows and the Value option, as a
// renumbering types it: each case types the command and compares the drawing
// it leaves with the drawing as it was plus exactly the change expected.
//
// The sample (written by ezdxf, tools/make_data.py) holds 給水 1 with its
// number at (615,150), 給水 2 at (2455,-37.5) and 給湯 1 at (1600,1712.5),
// each number 125 high and centred on its point.
#include <gtest/gtest.h>

#include "cadsim_fixture.h"

namespace cadsim_test {
namespace {

constexpr std::u16string_view kNumber = u"(2)番号";

class AttEditWindow : public CadsimTest {
 protected:
  void SetUp() override { Start(8); }
  std::string Written(const cadsim::Drawing& d) { return cadsim::WriteDxf(d, desktop.Codec()); }
  // The number attribute of the entry with this (1)系統 value and number.
  cadsim::Attribute* Number(cadsim::Drawing& d, std::u16string_view system, std::u16string_view number) {
    for (cadsim::Entity& e : d.entities) {
      auto* n = std::get_if<cadsim::Insert>(&e);
      if (!n) continue;
      bool ours = false;
      for (const cadsim::Attribute& a : n->attributes) ours |= a.tag == u"(1)系統" && a.value == system;
      for (cadsim::Attribute& a : n->attributes)
        if (ours && a.tag == kNumber && a.value == number) return &a;
    }
    return nullptr;
  }
  void Type(std::u16string_view keys) { ASSERT_EQ(Send(keys), -1) << platform::ToUtf8(keys); }
};

// Each selection is typed after "-attedit y, block Plendra1, tag (2)番号,
// value 1" and the one attribute it should reach is set to 9; the drawing
// afterwards must be the one before with only those attributes changed.
TEST_F(AttEditWindow, SelectionsReachOnlyWhatTheyCoverAndIsShown) {
  struct Case {
    const char* name;
    std::u16string before;                     // typed before -ATTEDIT
    std::u16string selection;                  // at "属性を選択: "
    std::vector<std::u16string_view> changed;  // systems whose number 1 becomes 9
  };
  const Case cases[] = {
      {"crossing around the number's point", u"", u"c^M605,140^M625,160^M", {u"給水"}},
      {"crossing given right to left", u"", u"c^M625,160^M605,140^M", {u"給水"}},
      {"box from a point that hits nothing, leftwards: crossing", u"", u"660,200^M570,100^M", {u"給水"}},
      {"box rightwards: a window, the text is not inside", u"", u"570,100^M660,200^M", {}},
      {"window around the whole text", u"", u"w^M500,80^M730,220^M", {u"給水"}},
      {"window cutting the text", u"", u"w^M600,80^M730,220^M", {}},
      {"crossing around the block's insertion point only", u"", u"c^M605,250^M625,275^M", {}},
      {"window over both number 1s", u"", u"w^M0,-500^M3000,2000^M", {u"給水", u"給湯"}},
      {"crossing outside the view ZOOM shows", u"zoom^Mc^M1600,1700^M300^M", u"c^M605,140^M625,160^M", {}},
      {"crossing inside it", u"zoom^Mc^M600,150^M300^M", u"c^M605,140^M625,160^M", {u"給水"}},
      {"window cut by the view", u"zoom^Mc^M1600,1700^M300^M", u"w^M0,-500^M3000,2000^M", {u"給湯"}},
      {"layer off", u"-layer^Moff^M給水^M^M", u"c^M605,140^M625,160^M", {}},
      {"a typed point on the number's text", u"", u"615,150^M", {u"給水"}},
      {"two typed points on it: taken once", u"", u"610,145^M620,155^M", {u"給水"}},
      {"a typed point on another attribute's text", u"", u"615,375^M", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Start(8);
    if (!c.before.empty()) Type(c.before);
    cadsim::Drawing expected = TheDrawing();
    for (std::u16string_view system : c.changed) Number(expected, system, u"1")->value = u"9";
    std::u16string keys =
        u"-attedit^My^MPlendra1^M" + std::u16string(kNumber) + u"^M1^M" + c.selection + u"^M";
    for (std::size_t n = 0; n < c.changed.size(); ++n) keys += u"v^Mr^M9^M^M";
    Type(keys);
    EXPECT_NE(History().find(Decimal(c.changed.size()) + u" 個の属性を選択しました。"), std::u16string::npos);
    EXPECT_EQ(Written(TheDrawing()), Written(expected));
  }
}

TEST_F(AttEditWindow, FiltersAreWildCardsValuesExact) {
  struct Case {
    std::u16string block, tag, value;
    std::size_t selected;
  };
  // The window covers all three numbers and everything else of the entries.
  const Case cases[] = {
      {u"^M", u"^M", u"^M", 6},                 // the visible ones: system and number of each
      {u"plendra1^M", u"(2)番号^M", u"^M", 3},  // block and tag without regard to case
      {u"^M", u"(2)*^M", u"1^M", 2},
      {u"^M", u"(2)番号^M", u"#^M", 3},
      {u"^M", u"(2)番号^M", u"2,3^M", 1},
      {u"^M", u"(2)番号^M", u"~1^M", 1},
      {u"^M", u"(?)系統^M", u"給水^M", 2},
      {u"^M", u"材質^M", u"sgp^M", 0},  // values are exact
      {u"Other^M", u"^M", u"^M", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(platform::ToUtf8(c.block + c.tag + c.value));
    Start(8);
    const std::string before = Written(TheDrawing());
    std::u16string keys = u"-attedit^My^M" + c.block + c.tag + c.value + u"w^M-1000,-1000^M5000,5000^M^M";
    for (std::size_t n = 0; n < c.selected; ++n) keys += u"^M";  // Next past each
    Type(keys);
    EXPECT_NE(History().find(Decimal(c.selected) + u" 個の属性を選択しました。"), std::u16string::npos)
        << platform::ToUtf8(History());
    EXPECT_EQ(Written(TheDrawing()), before);
  }
}

TEST_F(AttEditWindow, ValueChangesAPartOrReplacesTheWhole) {
  cadsim::Drawing expected = TheDrawing();
  Number(expected, u"給水", u"2")->value = u"2-A";
  Number(expected, u"給湯", u"1")->value = u"1 0";
  Type(u"-attedit^My^M^M" + std::u16string(kNumber) + u"^M2^Mc^M2450,-40^M2460,-30^M^Mv^M^M2-A^M^M");
  // Change: the first occurrence of the part, blanks taken as typed.
  Type(u"-attedit^My^M^M" + std::u16string(kNumber) + u"^M1^Mc^M1595,1710^M1605,1715^M^Mv^Mc^M1^M1 0^M^M");
  EXPECT_EQ(Written(TheDrawing()), Written(expected));
  // A part the value does not hold changes nothing and asks for the next option.
  ASSERT_EQ(Post(u"-attedit^My^M^M" + std::u16string(kNumber) + u"^M^Mc^M1595,1710^M1605,1715^M^Mv^Mc^MX^M"),
            -1);
  EXPECT_NE(History().find(u"文字列 \"X\" が見つかりません。"), std::u16string::npos);
  EXPECT_TRUE(CurrentPrompt().starts_with(u"オプションを入力 [値(V)"));
  ASSERT_EQ(Post(u"v^M"), -1);
  EXPECT_EQ(CurrentPrompt(), u"値の変更タイプを入力 [変更(C)/置換(R)] <R>: ");
}

// The change a renumbering makes, taken back by one U after its group ends.
TEST_F(AttEditWindow, URestoresTheDrawingAfterAGroupOfEdits) {
  const std::string before = Written(TheDrawing());
  Type(u"undo^Mbe^M");
  Type(u"zoom^Mc^M615,150^M500^M");
  Type(u"-attedit^My^MPlendra1^M" + std::u16string(kNumber) + u"^M1^Mc^M605,140^M625,160^M^Mv^Mr^M2^M^M");
  Type(u"zoom^Mc^M2455,-37.5^M500^M");
  Type(u"-attedit^My^MPlendra1^M" + std::u16string(kNumber) +
       u"^M2^Mc^M2445,-47.5^M2465,-27.5^M^Mv^Mr^M1^M^M");
  Type(u"undo^Me^M");
  ASSERT_NE(Number(TheDrawing(), u"給水", u"2"), nullptr);
  ASSERT_EQ(Number(TheDrawing(), u"給水", u"1")->position.x, 2455);  // the two swapped
  Type(u"u^M");
  EXPECT_EQ(Written(TheDrawing()), before);
}

}  // namespace
}  // namespace cadsim_test
