// The example scripts shipped in data/scripts, run as a user would.
#include <cstdlib>
#include <filesystem>

#include "script_fixture.h"

namespace plendra_test {
namespace {

using ExampleScripts = ScriptTest;

std::u16string Example(const char* name) {
  const char* root = std::getenv("PLENDRA_SOURCE_DIR");
  return (std::filesystem::path(root != nullptr ? root : ".") / "data" / "scripts" / name).u16string();
}

TEST_F(ExampleScripts, TextSizeFollowsDimscale) {
  fake.variables[u"DIMSCALE"] = u"50.0000";
  fake.variables[u"TEXTSIZE"] = u"2.5";
  EXPECT_TRUE(Succeeded(control->RunScript(Example("textsize_from_dimscale.scr"), &vars)));
  EXPECT_EQ(vars[0], u"50.0000");
  EXPECT_EQ(fake.variables[u"TEXTSIZE"], u"125");  // 2.5 mm on paper at 1:50
  EXPECT_TRUE(desktop.ShownBoxes().empty());

  fake.variables[u"DIMSCALE"] = u"500";  // "50.0*" must not take it for 50
  EXPECT_TRUE(Succeeded(control->RunScript(Example("textsize_from_dimscale.scr"), &vars)));
  EXPECT_EQ(fake.variables[u"TEXTSIZE"], u"125");
  ASSERT_EQ(desktop.ShownBoxes().size(), 1u);
  EXPECT_EQ(desktop.ShownBoxes()[0].text, u"尺度 500 の文字の高さは登録されていません。");
}

TEST_F(ExampleScripts, AskYesNoBranches) {
  desktop.AnswerNextBox(platform::kIdYes);
  EXPECT_TRUE(Succeeded(control->RunScript(Example("ask_yes_no.scr"), &vars)));
  EXPECT_EQ(vars[0], u"YES");
  EXPECT_EQ(fake.commands.back(), u"REGEN");
  ASSERT_EQ(desktop.ShownBoxes().size(), 2u);
  EXPECT_EQ(desktop.ShownBoxes()[0].style, 32u + 4u);
  EXPECT_EQ(desktop.ShownBoxes()[1].text, u"図面を再作図しました。");

  fake.commands.clear();
  desktop.AnswerNextBox(platform::kIdNo);
  EXPECT_TRUE(Succeeded(control->RunScript(Example("ask_yes_no.scr"), &vars)));
  EXPECT_EQ(vars[0], u"NO");
  EXPECT_TRUE(fake.commands.empty());
  EXPECT_EQ(desktop.ShownBoxes().back().text, u"図面を再作図しませんでした。");
}

TEST_F(ExampleScripts, PickAPointAndReportIt) {
  fake.picks.push_back({120.5, 80, 0});
  EXPECT_TRUE(Succeeded(control->RunScript(Example("pick_point.scr"), &vars)));
  EXPECT_EQ(vars[0], u"120.5");
  EXPECT_EQ(vars[1], u"80");
  EXPECT_EQ(vars[2], u"0");
  EXPECT_EQ(desktop.ShownBoxes().back().text, u"指定した点:\rX = 120.5\rY = 80\rZ = 0");
}

}  // namespace
}  // namespace plendra_test
