// The command time: every command takes as long as AutoCAD would, on the
// desktop's virtual clock, while the command line shows what was typed.
#include <gtest/gtest.h>

#include "cadsim_fixture.h"

namespace cadsim_test {
namespace {

class CommandTime : public CadsimTest {
 protected:
  void StartTaking(std::uint32_t ms) {
    Start(8);
    Cad().command_ms = ms;
  }
  std::uint64_t Now() { return desktop.Queue().Elapsed(); }
  // Lets the virtual clock run to `at` ms after `from`.
  void RunTo(std::uint64_t from, std::uint64_t at) {
    const std::uint64_t now = Now();
    ASSERT_LE(now, from + at);
    desktop.Time().Sleep(static_cast<std::int32_t>(from + at - now));
  }
};

// Typed command lines, how many commands they run, and the value FILEDIA
// holds once they are done.
struct Typed {
  const char16_t* keys;
  int commands;
  const char16_t* shown;  // the command line while the first command works
  const char16_t* filedia;
};

TEST_F(CommandTime, EachCommandFinishesItsTimeAfterItsInputWithTheInputShownMeanwhile) {
  const Typed cases[] = {
      {u"filedia^M0^M", 1, u"FILEDIA の新しい値を入力 <1>: 0", u"0"},
      {u"filedia^M0^Mfiledia^M1^M", 2, u"FILEDIA の新しい値を入力 <1>: 0", u"1"},
      {u"filedia^M0^Mfiledia^M1^Mfiledia^M0^M", 3, u"FILEDIA の新しい値を入力 <1>: 0", u"0"},
  };
  for (const std::uint32_t ms : {10u, 50u, 200u}) {
    for (const Typed& c : cases) {
      SCOPED_TRACE(std::to_string(ms) + " ms, " + platform::ToUtf8(c.keys));
      StartTaking(ms);
      Cad().Settings()[u"FILEDIA"] = u"1";
      const std::uint64_t typed = Now();
      ASSERT_EQ(Post(c.keys), -1);
      // The typed line stays in the command line until the command is done.
      EXPECT_EQ(CurrentPrompt(), c.shown);
      RunTo(typed, ms - 1);
      EXPECT_EQ(CurrentPrompt(), c.shown);
      // Typed input waits for the command before it: the last one is done
      // only after all of their times.
      RunTo(typed, ms * c.commands - 1);
      EXPECT_NE(CurrentPrompt(), Prompt());
      RunTo(typed, ms * c.commands);
      EXPECT_EQ(CurrentPrompt(), Prompt());
      EXPECT_EQ(Cad().Settings()[u"FILEDIA"], c.filedia);
      EXPECT_EQ(Cad().CommandsFinished(), static_cast<std::uint64_t>(c.commands));
    }
  }
}

TEST_F(CommandTime, WithoutItACommandIsDoneWhenItsTextArrives) {
  StartTaking(0);
  ASSERT_EQ(Post(u"filedia^M0^M"), -1);
  EXPECT_EQ(CurrentPrompt(), Prompt());
  EXPECT_EQ(Cad().Settings()[u"FILEDIA"], u"0");
}

TEST_F(CommandTime, APickedSelectionFinishesItsTimeAfterThePick) {
  StartTaking(50);
  const cadsim::Handle dim = DimensionMeasuring(1230);
  Cad().Script(cadsim::UserAction::Pick(dim, 300));
  const std::uint64_t typed = Now();
  ASSERT_EQ(Post(u"^C^Cselect^Msingle^M"), -1);
  EXPECT_TRUE(Cad().WaitingForUser());
  RunTo(typed, 300 + 49);
  EXPECT_NE(CurrentPrompt(), Prompt());
  RunTo(typed, 300 + 50);
  EXPECT_EQ(CurrentPrompt(), Prompt());
  EXPECT_EQ(Cad().PreviousSelection(), std::vector<cadsim::Handle>{dim});
}

TEST_F(CommandTime, SendCommandWaitsForIt) {
  StartTaking(200);
  const std::uint64_t typed = Now();
  ASSERT_EQ(Send(u"filedia^M0^M"), -1);
  EXPECT_GE(Now() - typed, 200u);
  EXPECT_EQ(Cad().Settings()[u"FILEDIA"], u"0");
}

TEST_F(CommandTime, AFaultThatMakesACommandSlowerStillDoes) {
  StartTaking(50);
  Cad().TheFaults().finish_after_ms = 500;
  Cad().TheFaults().only_command = u"UCS";
  const std::uint64_t typed = Now();
  ASSERT_EQ(Post(u"filedia^M0^Mucs^Mw^M"), -1);
  RunTo(typed, 50 + 499);
  EXPECT_NE(CurrentPrompt(), Prompt());
  RunTo(typed, 50 + 500);
  EXPECT_EQ(CurrentPrompt(), Prompt());
}

TEST_F(CommandTime, CancelWhileACommandWorksWaitsForIt) {
  // Ctrl+C typed meanwhile is input like any other: it is read once the
  // command is done, and then cancels nothing that is left.
  StartTaking(100);
  ASSERT_EQ(Post(u"filedia^M0^M"), -1);
  ASSERT_EQ(Post(u"^C^C"), -1);
  EXPECT_NE(CurrentPrompt(), Prompt());
  ASSERT_EQ(control->WaitPrompt(Prompt()), -1);
  EXPECT_EQ(Cad().Settings()[u"FILEDIA"], u"0");
}

}  // namespace
}  // namespace cadsim_test
