// The example scripts of data/scripts against cadsim imitating a full-width
// release, and Execute launching cadsim on the simulated desktop.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/releases.h"
#include "script_fixture.h"

namespace plendra_test {
namespace {

std::u16string Example(const char* name) {
  const char* root = std::getenv("PLENDRA_SOURCE_DIR");
  return (std::filesystem::path(root != nullptr ? root : ".") / "data" / "scripts" / name).u16string();
}

// cadsim imitating AutoCAD 2006 (full-width prompt), found through its row.
class CadsimScripts : public LinkTest {
 protected:
  CadsimScripts() {
    plendra::ApplyRelease(acad, kRelease);
    control = Connect(acad);
  }

  static cadsim::SimCadOptions Options() {
    cadsim::SimCadOptions o;
    o.release = kRelease;
    return o;
  }

  static constexpr int kRelease = 8;
  cadsim::SimCad cad{desktop, EmptyDrawing(), Options()};
  korvel::PwAcad acad;
  std::shared_ptr<korvel::PwControl> control;
  std::vector<std::u16string> vars = std::vector<std::u16string>(10);
};

TEST_F(CadsimScripts, TextSizeExample) {
  ASSERT_TRUE(Succeeded(control->SetVariable(u"DIMSCALE", u"100")));
  EXPECT_TRUE(Succeeded(control->RunScript(Example("textsize_from_dimscale.scr"), &vars)));
  EXPECT_EQ(vars[1], u"250");
  std::u16string textsize;
  EXPECT_TRUE(Succeeded(control->GetVariable(u"TEXTSIZE", textsize)));
  EXPECT_EQ(textsize.substr(0, 3), u"250");

  // "50.0*" must not take 500 for 50: an unknown scale is reported instead.
  ASSERT_TRUE(Succeeded(control->SetVariable(u"DIMSCALE", u"500")));
  EXPECT_TRUE(Succeeded(control->RunScript(Example("textsize_from_dimscale.scr"), &vars)));
  EXPECT_EQ(vars[1], u"");
  ASSERT_EQ(desktop.ShownBoxes().size(), 1u);
  EXPECT_EQ(desktop.ShownBoxes()[0].text, u"尺度 500.0000 の文字の高さは登録されていません。");
}

TEST_F(CadsimScripts, AskYesNoExample) {
  desktop.AnswerNextBox(platform::kIdYes);
  EXPECT_TRUE(Succeeded(control->RunScript(Example("ask_yes_no.scr"), &vars)));
  EXPECT_EQ(vars[0], u"YES");
  EXPECT_EQ(desktop.ShownBoxes()[0].style, 32u + 4u);
  EXPECT_EQ(desktop.ShownBoxes()[1].text, u"図面を再作図しました。");
  std::u16string history;
  EXPECT_TRUE(Succeeded(control->GetHistory(history, u"REGEN")));
  EXPECT_FALSE(history.empty());  // the command was typed
  EXPECT_EQ(desktop.ShownBoxes().back().owner, cad.main);
}

TEST_F(CadsimScripts, PickPointExample) {
  cad.Cad().Script(cadsim::UserAction::PickAt({120.5, 80, 0}, 1500));
  EXPECT_TRUE(Succeeded(control->RunScript(Example("pick_point.scr"), &vars)));
  EXPECT_EQ(vars[0], u"120.5");
  EXPECT_EQ(vars[1], u"80");
  EXPECT_EQ(vars[2], u"0");
  EXPECT_EQ(desktop.ShownBoxes().back().text, u"指定した点:\rX = 120.5\rY = 80\rZ = 0");
}

TEST(CadsimLaunch, WaitPromptEndsWithAWorkingChannel) {
  platform::sim::Desktop desktop;
  platform::ScopedPlatform bind(desktop);
  std::unique_ptr<cadsim::SimCad> cad;
  const std::u16string exe = u"C:\\Program Files\\AutoCAD LT 2002\\aclt.exe";
  desktop.AddProgram(exe, platform::sim::LaunchableProgram{
                              .idle_after_ms = 3000, .start = [&](std::uint32_t) {
                                desktop.After(1000, [&] {
                                  cadsim::SimCadOptions o;
                                  o.release = 3;
                                  cad = std::make_unique<cadsim::SimCad>(desktop, EmptyDrawing(), o);
                                });
                              }});
  korvel::PwAcad acad;
  EXPECT_TRUE(Succeeded(acad.Execute(exe, u"", 0, korvel::WaitPrompt)));
  ASSERT_NE(acad.Control(), nullptr);
  std::vector<std::u16string> vars(10);
  desktop.AnswerNextBox(platform::kIdNo);
  EXPECT_TRUE(Succeeded(acad.Control()->RunScript(Example("ask_yes_no.scr"), &vars)));
  EXPECT_EQ(vars[0], u"NO");
}

}  // namespace
}  // namespace plendra_test
