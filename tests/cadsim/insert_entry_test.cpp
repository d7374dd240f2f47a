// A parts-table entry as the application writes it: the block insertion with
// its eight attribute answers, the attribute style, then the layer steps.
#include <gtest/gtest.h>

#include "cadsim_fixture.h"

namespace cadsim_test {
namespace {

class InsertEntry : public CadsimTest {
 protected:
  // The application folder without a trailing separator, as Windows spells it.
  std::u16string AppFolder() { return u"C:\\Program Files\\Plendra"; }
  std::u16string InsertKeys(std::u16string_view rotation) {
    return u"^C^C-insert^M" + AppFolder() + u"\\Plendra1.dwg^Ms^M250^M1000,975" + std::u16string(rotation);
  }
  const cadsim::Insert& Newest() {
    const auto inserts = All<cadsim::Insert>(TheDrawing());
    return *inserts.back();
  }
};

TEST_F(InsertEntry, WorkedExampleInsertsTheBlockWithItsEightAttributes) {
  Start(1);
  const std::size_t before = All<cadsim::Insert>(TheDrawing()).size();
  ASSERT_EQ(Post(InsertKeys(u"^M0^M")), -1);
  EXPECT_EQ(CurrentPrompt(), u"寸法文字の X 座標: ");
  ASSERT_EQ(Send(u"1000^M500^M0^M1230^M^M^M給水^M3^M"), -1);

  ASSERT_EQ(All<cadsim::Insert>(TheDrawing()).size(), before + 1);
  const cadsim::Insert& n = Newest();
  EXPECT_EQ(n.block, u"Plendra1");
  EXPECT_EQ(n.position.x, 1000);
  EXPECT_EQ(n.position.y, 975);
  EXPECT_EQ(n.sx, 250);
  EXPECT_EQ(n.rotation, 0);
  std::vector<std::u16string> values;
  for (const cadsim::Attribute& a : n.attributes) values.push_back(a.value);
  EXPECT_EQ(values,
            (std::vector<std::u16string>{u"1000", u"500", u"0", u"1230", u"SGP", u"20A", u"給水", u"3"}));
  EXPECT_EQ(n.attributes[6].tag, u"(1)系統");
  EXPECT_EQ(n.attributes[7].tag, u"(2)番号");
  // The number sits below the balloon's line: block (0, -0.45) scaled by 250.
  EXPECT_DOUBLE_EQ(n.attributes[7].align.y, 975 - 0.45 * 250);
}

TEST_F(InsertEntry, PromptsShowTheDefaultsThatEnterKeeps) {
  Start(1);
  ASSERT_EQ(Post(InsertKeys(u"^M0^M") + u"1^M2^M3^M4^M"), -1);
  EXPECT_EQ(CurrentPrompt(), u"材質 <SGP>: ");
}

TEST_F(InsertEntry, AttributeValuesKeepTheirBlanks) {
  Start(1);
  ASSERT_EQ(Post(InsertKeys(u"^M0^M")), -1);
  ASSERT_EQ(Send(u"1000^M500^M0^M1230^MSGP VB^M^M給水 A^M3^M"), -1);
  EXPECT_EQ(Newest().attributes[4].value, u"SGP VB");
  EXPECT_EQ(Newest().attributes[6].value, u"給水 A");
}

TEST_F(InsertEntry, VerticalDimensionsInsertTurnedAQuarter) {
  Start(1);
  ASSERT_EQ(Post(InsertKeys(u"^M90^M")), -1);
  ASSERT_EQ(Send(u"1000^M500^M0^M1230^M^M^M給水^M3^M"), -1);
  EXPECT_EQ(Newest().rotation, 90);
  EXPECT_EQ(Newest().attributes[7].rotation, 90);
  EXPECT_NEAR(Newest().attributes[7].align.x, 1000 + 0.45 * 250, 1e-9);
}

TEST_F(InsertEntry, AttributeStyleEditChangesTheNewestAttributeAndEnds) {
  Start(1);
  ASSERT_EQ(Post(InsertKeys(u"^M0^M")), -1);
  ASSERT_EQ(Send(u"1000^M500^M0^M1230^M^M^M給水^M3^M"), -1);
  ASSERT_EQ(Send(u"-attedit^My^M^M^M^Ml^M^Ms^MJIS^M^M"), -1);
  EXPECT_EQ(Newest().attributes[7].style, u"JIS");
  EXPECT_NE(History().find(u"1 個の属性を選択しました。"), std::u16string::npos);
}

TEST_F(InsertEntry, AttributeStyleEditWithNoStyleNameKeepsTheStyleAndEnds) {
  Start(1);
  ASSERT_EQ(Post(InsertKeys(u"^M0^M")), -1);
  ASSERT_EQ(Send(u"1000^M500^M0^M1230^M^M^M給水^M3^M"), -1);
  const std::u16string before = Newest().attributes[7].style;
  ASSERT_EQ(Send(u"-attedit^My^M^M^M^Ml^M^Ms^M^M^M"), -1);
  EXPECT_EQ(Newest().attributes[7].style, before);
}

TEST_F(InsertEntry, UnknownTextStyleIsAskedForAgain) {
  Start(1);
  ASSERT_EQ(Post(InsertKeys(u"^M0^M")), -1);
  ASSERT_EQ(Send(u"1000^M500^M0^M1230^M^M^M給水^M3^M"), -1);
  ASSERT_EQ(Post(u"-attedit^My^M^M^M^Ml^M^Ms^M明朝^M"), -1);
  EXPECT_TRUE(CurrentPrompt().starts_with(u"新しい文字スタイルを入力"));
  EXPECT_NE(History().find(u"文字スタイル \"明朝\" が見つかりません。"), std::u16string::npos);
}

TEST_F(InsertEntry, LayerStepsMoveTheEntryToTheSystemsLayer) {
  Start(1);
  ASSERT_EQ(Send(u"^C^C-layer^Mn^M冷媒^Mt^M冷媒^Mon^M冷媒^Mu^M冷媒^M^M"), -1);
  ASSERT_NE(TheDrawing().FindLayer(u"冷媒"), nullptr);
  ASSERT_EQ(Post(InsertKeys(u"^M0^M")), -1);
  ASSERT_EQ(Send(u"1000^M500^M0^M1230^M^M^M冷媒^M1^M"), -1);
  const cadsim::Handle entry = Newest().handle;
  cadsim::CommonOf(*TheDrawing().FindEntity(entry)).color = 3;
  ASSERT_EQ(Send(u"^C^Cchange^Ml^M^Mp^Mla^M冷媒^Mc^Mbylayer^Mlt^Mbylayer^Mlw^Mbylayer^M^M"), -1);
  const cadsim::Common& c = cadsim::CommonOf(*TheDrawing().FindEntity(entry));
  EXPECT_EQ(c.layer, u"冷媒");
  EXPECT_EQ(c.color, 256);
  EXPECT_EQ(c.linetype, u"ByLayer");
  EXPECT_EQ(c.lineweight, -1);
}

TEST_F(InsertEntry, FrozenLockedLayerIsThawedTurnedOnAndUnlocked) {
  Start(1);
  cadsim::Layer& l = TheDrawing().EnsureLayer(u"給湯");
  l.frozen = l.off = l.locked = true;
  ASSERT_EQ(Send(u"^C^C-layer^Mn^M給湯^Mt^M給湯^Mon^M給湯^Mu^M給湯^M^M"), -1);
  const cadsim::Layer* after = TheDrawing().FindLayer(u"給湯");
  EXPECT_FALSE(after->frozen || after->off || after->locked);
}

struct DialogCase {
  const char* name;
  const char* attdia;
  bool escape;         // the user closes the dialog box with Esc (else OK)
  bool inserted;       // an entry is made
  bool astray;         // the typed answers reached the command prompt
  const char* system;  // the seventh attribute's value
};

class AttributeDialog : public InsertEntry, public ::testing::WithParamInterface<DialogCase> {};

TEST_P(AttributeDialog, TakesTheAttributeValuesInsteadOfThePrompts) {
  Start(8);
  ASSERT_EQ(Send(u"^C^Cattdia^M" + cadsim_test::Ascii(GetParam().attdia) + u"^M"), -1);
  const std::size_t before = All<cadsim::Insert>(TheDrawing()).size();
  ASSERT_EQ(Post(InsertKeys(u"^M0^M") + u"1000^M500^M0^M1230^M^M^M給水^M3^M"), -1);
  if (std::string_view(GetParam().attdia) == "1") {
    EXPECT_EQ(CurrentPrompt(), u"") << "a dialog box, no prompt";
    platform::WindowSystem& windows = desktop.Windows();  // as the link library sees it
    const platform::Hwnd popup = windows.GetLastActivePopup(acad->main);
    ASSERT_NE(popup, acad->main);
    EXPECT_EQ(desktop.Get(popup).traits.title, u"属性編集");
    Cad().Act(GetParam().escape ? cadsim::UserAction::Escape() : cadsim::UserAction::Nothing());
    EXPECT_EQ(windows.GetLastActivePopup(acad->main), acad->main) << "the box is closed";
  }
  const auto inserts = All<cadsim::Insert>(TheDrawing());
  ASSERT_EQ(inserts.size(), before + (GetParam().inserted ? 1 : 0));
  if (GetParam().inserted) {
    EXPECT_EQ(inserts.back()->attributes[6].value, cadsim_test::Widen(GetParam().system));
  }
  EXPECT_EQ(History().find(u"\"1000\" は不明なコマンドです。") != std::u16string::npos, GetParam().astray);
}

INSTANTIATE_TEST_SUITE_P(Attdia, AttributeDialog,
                         ::testing::Values(DialogCase{"Prompts", "0", false, true, false, "給水"},
                                           DialogCase{"DialogOk", "1", false, true, true, ""},
                                           DialogCase{"DialogCancelled", "1", true, false, true, ""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(InsertEntry, MissingBlockFileIsReportedAndTheCommandEnds) {
  Start(1);
  ASSERT_EQ(Send(u"^C^C-insert^MC:\\nowhere\\Missing.dwg^M"), -1);
  EXPECT_NE(History().find(u"\"C:\\nowhere\\Missing.dwg\" が見つかりません。"), std::u16string::npos);
}

TEST_F(InsertEntry, FolderPathLongerThanOneMessageArrivesWhole) {
  Start(1);
  const std::u16string folder =
      u"C:\\Documents and Settings\\draughtsman\\Local Settings\\Application Data\\"
      u"Plendra\\部品表\\2006年度\\設備図\\給排水衛生設備";
  const std::u16string keys = u"^C^C-insert^M" + folder + u"\\Plendra1.dwg^Ms^M250^M1000,975^M0^M";
  desktop.ClearLog();
  ASSERT_EQ(Post(keys), -1);
  int messages = 0;
  for (const auto& m : desktop.Log()) messages += m.message == platform::sim::kWmCopyData;
  EXPECT_GT(messages, 1);
  EXPECT_EQ(CurrentPrompt(), u"寸法文字の X 座標: ");
}

}  // namespace
}  // namespace cadsim_test
