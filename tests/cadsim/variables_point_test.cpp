// System variables typed by name and the point report of ID, read back
// through the link library.
#include <gtest/gtest.h>

#include "cadsim_fixture.h"

namespace cadsim_test {
namespace {

class VariablesPoint : public CadsimTest {};

TEST_F(VariablesPoint, ValuePromptShowsTheCurrentValueInBrackets) {
  Start(1);
  ASSERT_EQ(Post(u"^C^CDIMSCALE^M"), -1);
  EXPECT_EQ(CurrentPrompt(), u"DIMSCALE の新しい値を入力 <1.0000>: ");
  std::u16string value;
  ASSERT_EQ(control->GetVariable(u"filedia", value), -1);
  EXPECT_EQ(value, u"1");
  EXPECT_EQ(CurrentPrompt(), Prompt()) << "GetVariable cancels the value prompt";
}

TEST_F(VariablesPoint, SetVariableChangesTheCurrentDimensionStyle) {
  Start(1);
  TheDrawing().current_dim_style = u"配管100";
  ASSERT_EQ(control->SetVariable(u"DIMTXT", u"3.5"), -1);
  EXPECT_EQ(TheDrawing().FindDimStyle(u"配管100")->dimtxt, 3.5);
  std::u16string value;
  ASSERT_EQ(control->GetVariable(u"DIMTXT", value), -1);
  EXPECT_EQ(value, u"3.5000");
}

TEST_F(VariablesPoint, TextVariableValueIsQuoted) {
  Start(1);
  std::u16string value;
  ASSERT_EQ(control->GetVariable(u"CLAYER", value), -1);
  EXPECT_EQ(value, u"\"0\"");
}

TEST_F(VariablesPoint, InvalidValueIsAskedForAgainSoSetVariableTimesOut) {
  Start(1);
  control->put_CommandTimeOut(5000);
  EXPECT_EQ(control->SetVariable(u"FILEDIA", u"abc"), korvel::CommandFailed);
  EXPECT_TRUE(CurrentPrompt().starts_with(u"FILEDIA の新しい値を入力"));
  EXPECT_NE(History().find(u"整数が必要です。"), std::u16string::npos);
}

TEST_F(VariablesPoint, OutOfRangeValueIsRefused) {
  Start(1);
  ASSERT_EQ(Post(u"FILEDIA^M7^M"), -1);
  EXPECT_NE(History().find(u"値が範囲外です。"), std::u16string::npos);
}

TEST_F(VariablesPoint, IdReportsThePickedPoint) {
  Start(1);
  Cad().Script(cadsim::UserAction::PickAt({1000, 500.25, 0}, 1200));
  double x = 0, y = 0, z = -1;
  ASSERT_EQ(control->GetPosition(x, y, z), -1);
  EXPECT_EQ(x, 1000);
  EXPECT_EQ(y, 500.25);
  EXPECT_EQ(z, 0);
  EXPECT_TRUE(EndsWith(History(), u"点を指定: \r\nX = 1000.0000     Y = 500.2500     Z = 0.0000"));
}

TEST_F(VariablesPoint, IdTakesATypedPointToo) {
  Start(6);
  ASSERT_EQ(Send(u"id^M-12.5,3^M"), -1);
  EXPECT_TRUE(EndsWith(History(), u"X = -12.5000     Y = 3.0000     Z = 0.0000"));
}

}  // namespace
}  // namespace cadsim_test
