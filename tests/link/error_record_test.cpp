// The error protocol and object lifetime, as a client sees them.
#include <gtest/gtest.h>

#include <thread>

#include "support/link_fixture.h"

namespace plendra_test {
namespace {

using korvel::PwAcad;

class ErrorRecord : public LinkTest {};

TEST_F(ErrorRecord, SuccessClearsWhatAFailureLeft) {
  ScriptedAcad acad(desktop);
  PwAcad pw;
  ASSERT_TRUE(Succeeded(pw.Search()));
  auto control = pw.Control();
  acad.prompt.clear();
  std::u16string prompt;
  ASSERT_EQ(control->GetPrompt(prompt), korvel::CommandFailed);
  acad.prompt = u"ｺﾏﾝﾄﾞ: ";
  EXPECT_EQ(control->GetPrompt(prompt), -1);
  EXPECT_EQ(pw.get_ErrNumber(), 0);
  EXPECT_EQ(pw.get_ErrSource(), u"");
  EXPECT_EQ(pw.get_ErrDescription(), u"");
}

TEST_F(ErrorRecord, IsSharedByEveryObjectOfTheThread) {
  ScriptedAcad acad(desktop);
  PwAcad pw;
  ASSERT_TRUE(Succeeded(pw.Search()));
  auto control = pw.Control();
  acad.refuse = true;
  const std::int32_t r = control->PostCommand(u"x");
  EXPECT_EQ(r, korvel::CommandFailed);
  EXPECT_EQ(pw.get_ErrNumber(), r);
  EXPECT_EQ(pw.get_ErrSource(), u"PwAcadCtrl.PwControl.PostCommand");
  // Settings made on a channel do not carry over to the next search's channel.
  control->put_CommandTimeOut(5);
  control->put_PatternMatch(false);
  acad.refuse = false;
  ASSERT_TRUE(Succeeded(pw.Search()));
  EXPECT_EQ(pw.Control()->get_CommandTimeOut(), 60000);
  EXPECT_TRUE(pw.Control()->get_PatternMatch());
  EXPECT_NE(pw.Control(), control);
}

TEST_F(ErrorRecord, NegativeTimesAreClamped) {
  PwAcad pw;
  EXPECT_EQ(pw.get_ExecuteTimeOut(), 300000);
  pw.put_ExecuteTimeOut(-5);
  EXPECT_EQ(pw.get_ExecuteTimeOut(), -1);
}

TEST_F(ErrorRecord, IdentityAndDefaults) {
  PwAcad pw;
  EXPECT_EQ(pw.get_Title(), u"Korvel");
  EXPECT_EQ(pw.get_Version(), u"1.00.00");
  EXPECT_EQ(pw.get_CommandPrompt(), u"ｺﾏﾝﾄﾞ: ");
  EXPECT_EQ(pw.get_CommandPrompt().size(), 7u);  // half-width katakana, colon, one blank
  EXPECT_EQ(pw.get_TextCompareTitle(), u"AutoCAD LT ﾃｷｽﾄ");
  EXPECT_TRUE(pw.get_CheckMainCmdWindow());
  EXPECT_EQ(pw.Control(), nullptr);
}

TEST_F(ErrorRecord, ReleasedChannelStaysCallableAndReportsTheLostLink) {
  ScriptedAcad acad(desktop);
  std::shared_ptr<korvel::PwControl> kept;
  {
    PwAcad pw;
    ASSERT_TRUE(Succeeded(pw.Search()));
    kept = pw.Control();
    pw.RemoveControl();
  }
  std::u16string text = u"sentinel";
  EXPECT_TRUE(Failed(kept->GetHistory(text), korvel::LinkFailed, u"PwAcadCtrl.PwControl.GetHistory",
                     u"AutoCADが起動していないか、応答がありません。"));
  EXPECT_EQ(text, u"sentinel");
}

TEST_F(ErrorRecord, ThreadsDoNotSeeEachOthersState) {
  ScriptedAcad acad(desktop);
  PwAcad pw;
  ASSERT_TRUE(Succeeded(pw.Search()));
  std::int32_t other_main = -7;
  std::thread([&] { other_main = korvel::Shared().Main.Handle; }).join();
  EXPECT_EQ(other_main, 0);
  EXPECT_EQ(pw.get_MainWindowHandle(), acad.main);
}

}  // namespace
}  // namespace plendra_test
