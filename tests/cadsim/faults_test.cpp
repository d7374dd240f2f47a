// The faults a test can switch on, seen through the link library.
#include <gtest/gtest.h>

#include "cadsim_fixture.h"

namespace cadsim_test {
namespace {

class Faults : public CadsimTest {};

TEST_F(Faults, SlowCommandReturnsThePromptOnlyAfterItsTimeAndWritesTheFileThen) {
  Start(1);
  Cad().TheFaults().finish_after_ms = 3000;
  Cad().TheFaults().only_command = u"DXFOUT";
  const std::uint64_t before = desktop.Queue().Elapsed();
  ASSERT_EQ(Post(AutoExport()), -1);
  EXPECT_FALSE(std::filesystem::exists(Scratch())) << "nothing written before the command finishes";
  EXPECT_NE(CurrentPrompt(), Prompt());
  ASSERT_EQ(control->WaitPrompt(Prompt()), -1);
  EXPECT_GE(desktop.Queue().Elapsed() - before, 3000u);
  EXPECT_TRUE(std::filesystem::exists(Scratch()));
}

TEST_F(Faults, InputTypedWhileACommandIsBusyWaitsForIt) {
  Start(1);
  Cad().TheFaults().finish_after_ms = 1000;
  Cad().TheFaults().only_command = u"UCS";
  ASSERT_EQ(Post(u"ucs^Mw^M"), -1);
  ASSERT_EQ(Post(u"-layer^Mn^M遅延^M^M"), -1);
  EXPECT_EQ(TheDrawing().FindLayer(u"遅延"), nullptr);
  ASSERT_EQ(control->WaitPrompt(Prompt()), -1);
  EXPECT_NE(TheDrawing().FindLayer(u"遅延"), nullptr);
}

TEST_F(Faults, RefusedCopyDataFailsThePost) {
  Start(1);
  Cad().TheFaults().refuse_copy_data = true;
  EXPECT_EQ(Post(u"ucs^Mw^M"), korvel::CommandFailed);
}

TEST_F(Faults, PromptThatNeverComesBackTimesTheWaitOut) {
  Start(1);
  Cad().TheFaults().prompt_never_returns = true;
  control->put_CommandTimeOut(60000);
  EXPECT_EQ(Send(u"ucs^Mw^M"), korvel::CommandFailed);
  EXPECT_EQ(link.get_ErrDescription(), u"待機時間内に指定した応答がありませんでした。");
}

TEST_F(Faults, WindowsThatVanishMidCommandBreakTheLink) {
  Start(1);
  Cad().TheFaults().vanish_after_ms = 1500;
  Cad().Script(cadsim::UserAction::Pick(DimensionMeasuring(1230), 5000));
  EXPECT_EQ(Send(u"^C^Cselect^Msingle^M"), korvel::LinkFailed);
  EXPECT_FALSE(link.ControlExists());
}

TEST_F(Faults, HiddenCommandLineIsReportedAsAClosedWindow) {
  Start(1);
  acad->HideCommandLine(true);
  EXPECT_EQ(Send(u"ucs^Mw^M"), korvel::WindowClosed);
  acad->HideCommandLine(false);
  EXPECT_EQ(Send(u"ucs^Mw^M"), -1);
}

TEST_F(Faults, ScriptedPickDueAfterACancelWaitsForTheNextSelection) {
  Start(1);
  const cadsim::Handle dim = DimensionMeasuring(1230);
  Cad().Script(cadsim::UserAction::Pick(dim, 3000));
  ASSERT_EQ(Post(u"^C^Cselect^Msingle^M"), -1);
  ASSERT_EQ(Send(u"^C^C"), -1);  // the stop button's cancel, before the pick
  desktop.Time().Sleep(5000);
  EXPECT_TRUE(Cad().PreviousSelection().empty());
  EXPECT_EQ(CurrentPrompt(), Prompt());
  ASSERT_EQ(Send(u"^C^Cselect^Msingle^M"), -1);
  EXPECT_EQ(Cad().PreviousSelection(), std::vector<cadsim::Handle>{dim});
}

}  // namespace
}  // namespace cadsim_test
