// UNDO and U: each case types commands as a user would and compares the
// drawing U leaves with the drawing as it was, written out whole, so that
// any entity, table entry or handle seed left behind shows.
#include <gtest/gtest.h>

#include "cadsim_fixture.h"

namespace cadsim_test {
namespace {

class Undo : public CadsimTest {
 protected:
  void SetUp() override { Start(8); }
  std::string Written() { return cadsim::WriteDxf(TheDrawing(), desktop.Codec()); }
  void Type(std::u16string_view keys) { ASSERT_EQ(Send(keys), -1) << platform::ToUtf8(keys); }
  // Three commands that change the drawing in different places: an entity,
  // another entity, a layer table entry.
  void Change() {
    Type(u"line^M0,0^M100,0^M^M");
    Type(u"circle^M50,50^M25^M");
    Type(u"-layer^Mn^M試験層^M^M");
  }
  std::u16string LastLine() {
    const std::u16string h = History();
    const std::size_t end = h.rfind(u"\r\n");
    return end == std::u16string::npos ? h : h.substr(end + 2);
  }
  std::size_t Lines() { return All<cadsim::Line>(TheDrawing()).size(); }
  std::size_t Circles() { return All<cadsim::Circle>(TheDrawing()).size(); }
};

TEST_F(Undo, OneStepTakesBackAWholeGroup) {
  // U and "undo 1" are the same step; Enter at UNDO's prompt takes its default 1.
  for (std::u16string_view step : {u"u^M", u"undo^M1^M", u"undo^M^M"}) {
    SCOPED_TRACE(platform::ToUtf8(step));
    Start(8);
    Type(u"line^M-500,-500^M-400,-400^M^M");  // before the group: stays
    const std::string before = Written();
    Type(u"undo^Mbe^M");
    Change();
    Type(u"undo^Me^M");
    ASSERT_NE(Written(), before);
    ASSERT_NE(TheDrawing().FindLayer(u"試験層"), nullptr);
    Type(step);
    EXPECT_EQ(Written(), before);
    EXPECT_EQ(TheDrawing().FindLayer(u"試験層"), nullptr);
    EXPECT_NE(History().find(u"GROUP"), std::u16string::npos);
  }
}

TEST_F(Undo, OutsideAGroupEachCommandIsOneStep) {
  const std::string start = Written();
  Type(u"line^M0,0^M100,0^M^M");
  const std::string with_line = Written();
  Type(u"circle^M50,50^M25^M");
  Type(u"u^M");
  EXPECT_EQ(Written(), with_line);
  EXPECT_EQ(LastLine(), u"CIRCLE");
  Type(u"u^M");
  EXPECT_EQ(Written(), start);
  EXPECT_EQ(LastLine(), u"LINE");
}

TEST_F(Undo, InsideAnOpenGroupStepsStopAtItsBeginning) {
  Type(u"line^M-500,-500^M-400,-400^M^M");
  const std::string before = Written();
  Type(u"undo^Mbe^M");
  Type(u"line^M0,0^M100,0^M^M");
  const std::string with_line = Written();
  Type(u"circle^M50,50^M25^M");
  Type(u"u^M");
  EXPECT_EQ(Written(), with_line);
  Type(u"undo^M5^M");
  EXPECT_EQ(Written(), before);  // not past BEgin: the first line stays
  EXPECT_EQ(Lines(), All<cadsim::Line>(cadsim::ReadDxf(before, desktop.Codec())).size());
  // Once the (now empty) group is ended, U reaches what came before it.
  Type(u"undo^Me^Mu^M");
  EXPECT_EQ(Lines(), All<cadsim::Line>(Sample()).size());
}

TEST_F(Undo, AGroupLeftOpenEndsAtTheNextBegin) {
  const std::string start = Written();
  Type(u"undo^Mbe^Mline^M0,0^M100,0^M^M");
  const std::string first_group = Written();
  Type(u"undo^Mbe^Mcircle^M50,50^M25^M-layer^Mn^M給水^M^M");
  Type(u"undo^Me^M");
  Type(u"u^M");
  EXPECT_EQ(Written(), first_group);
  Type(u"u^M");
  EXPECT_EQ(Written(), start);
}

TEST_F(Undo, ANumberTakesBackThatManyStepsAndNamesThemNewestFirst) {
  const std::string start = Written();
  Type(u"undo^Mbe^Mline^M0,0^M100,0^M^Mundo^Me^M");
  Type(u"circle^M50,50^M25^M");
  Type(u"zoom^Mc^M10,10^M200^M");
  Type(u"undo^M3^M");
  EXPECT_EQ(Written(), start);
  EXPECT_EQ(LastLine(), u"ZOOM CIRCLE GROUP");
  Type(u"u^M");
  EXPECT_EQ(LastLine(), u"すべて元に戻しました。");
  EXPECT_EQ(Written(), start);
}

TEST_F(Undo, BackTakesBackToTheMark) {
  Type(u"line^M0,0^M100,0^M^M");
  const std::string at_mark = Written();
  Type(u"undo^Mm^M");
  Type(u"circle^M50,50^M25^M");
  Type(u"undo^Mbe^M-layer^Mn^M給水^M^Mundo^Me^M");
  Type(u"undo^Mb^M");
  EXPECT_EQ(Written(), at_mark);
  EXPECT_NE(History().find(u"マークに到達しました。"), std::u16string::npos);
  // The mark is used up: the next Back finds none and asks before taking back everything.
  ASSERT_EQ(Post(u"undo^Mb^M"), -1);
  EXPECT_EQ(CurrentPrompt(), u"すべて元に戻します。よろしいですか? <Y>: ");
  Type(u"n^M");
  EXPECT_EQ(Written(), at_mark);
  Type(u"undo^Mb^My^M");
  EXPECT_EQ(Lines(), All<cadsim::Line>(Sample()).size());
}

TEST_F(Undo, UndoesTheViewAndAVariableToo) {
  Type(u"zoom^Mc^M10,20^M300^M");
  Type(u"zoom^Mc^M500,600^M50^M");
  Type(u"u^M");
  EXPECT_EQ(Cad().View().center.x, 10);
  EXPECT_EQ(Cad().View().height, 300);
  const std::u16string layer = TheDrawing().current_layer;
  Type(u"-layer^Mn^M給水^M^Mclayer^M給水^M");
  ASSERT_EQ(TheDrawing().current_layer, u"給水");
  Type(u"u^M");
  EXPECT_EQ(TheDrawing().current_layer, layer);
  EXPECT_EQ(LastLine(), u"CLAYER");
}

TEST_F(Undo, StepsOverWhatChangesNothingAreStillStepsAndTheNextTakesBackTheChange) {
  // A session setting, a read-only variable and a point read keep no copy
  // of the drawing; U still names each of them, restores nothing for
  // them, and the step after them gives back the drawing as it was before
  // the change that came first.
  const std::string start = Written();
  Type(u"line^M0,0^M100,0^M^M");
  const std::string with_line = Written();
  Type(u"circle^M50,50^M25^M");
  Type(u"filedia^M0^Mdwgname^Mid^M10,10^M");
  ASSERT_NE(Written(), with_line);
  for (std::u16string_view name : {u"ID", u"DWGNAME", u"FILEDIA"}) {
    Type(u"u^M");
    EXPECT_EQ(LastLine(), name);
    EXPECT_EQ(Circles(), 1u);
  }
  EXPECT_EQ(Cad().Settings()[u"FILEDIA"], u"0");  // a session setting, as AutoCAD keeps it
  Type(u"u^M");
  EXPECT_EQ(LastLine(), u"CIRCLE");
  EXPECT_EQ(Written(), with_line);
  Type(u"u^M");
  EXPECT_EQ(Written(), start);
}

TEST_F(Undo, PromptsAsTheJapaneseReleaseWordsThem) {
  ASSERT_EQ(Post(u"undo^M"), -1);
  EXPECT_EQ(
      CurrentPrompt(),
      u"元に戻す操作の数を入力 または [自動(A)/コントロール(C)/開始(BE)/終了(E)/マーク(M)/後退(B)] <1>: ");
  EXPECT_EQ(LastLine(), u"現在の設定: 自動 = オン, コントロール = すべて");
  ASSERT_EQ(Post(u"0^M"), -1);
  EXPECT_EQ(
      CurrentPrompt(),
      u"元に戻す操作の数を入力 または [自動(A)/コントロール(C)/開始(BE)/終了(E)/マーク(M)/後退(B)] <1>: ");
  Type(u"^Cundo^Ma^Moff^M");
  ASSERT_EQ(Post(u"undo^M"), -1);
  EXPECT_EQ(LastLine(), u"現在の設定: 自動 = オフ, コントロール = すべて");
}

// A command that stays busy as it finishes keeps U's effect until the end,
// as every other command's.
TEST_F(Undo, ABusyUndoTakesEffectWhenItFinishes) {
  const std::string start = Written();
  Type(u"line^M0,0^M100,0^M^M");
  Cad().TheFaults().only_command = u"U";
  Cad().TheFaults().finish_after_ms = 2000;
  ASSERT_EQ(Post(u"u^M"), -1);
  EXPECT_NE(Written(), start);
  ASSERT_EQ(control->WaitPrompt(Prompt()), -1);
  EXPECT_EQ(Written(), start);
}

}  // namespace
}  // namespace cadsim_test
