// Waiting for AutoCAD's prompt: match, exact mode, time-outs, the tick
// counter's wrap, cancel from a handler run by the pump, and a lost link.
#include <gtest/gtest.h>

#include "link/mdl_common.h"
#include "support/link_fixture.h"

namespace plendra_test {
namespace {

using korvel::PwAcad;

class PromptWait : public LinkTest {
 protected:
  explicit PromptWait(std::uint32_t start_tick = 1000) : LinkTest(start_tick), acad(desktop) {
    control = Connect(pw);
  }
  std::uint64_t Now() { return desktop.Queue().Elapsed(); }

  ScriptedAcad acad;
  PwAcad pw;
  std::shared_ptr<korvel::PwControl> control;
};

TEST_F(PromptWait, SendCommandReturnsWhenThePromptComesBack) {
  acad.on_input = [&](const std::u16string&) {
    acad.prompt = u"オブジェクトを選択: ";
    acad.PromptAfter(1500, u"ｺﾏﾝﾄﾞ: ");
  };
  ASSERT_TRUE(Succeeded(control->SendCommand(u"select^M")));
  EXPECT_GE(Now(), 1500u);
  EXPECT_LT(Now(), 1500u + 2 * 100);  // polled every CheckInterval
}

TEST_F(PromptWait, WholeTextMustFitThePattern) {
  acad.prompt = u"ｺﾏﾝﾄﾞ: line";
  control->put_CommandTimeOut(0);
  EXPECT_TRUE(Failed(control->WaitPrompt(), korvel::CommandFailed, u"PwAcadCtrl.PwControl.WaitPrompt",
                     u"待機時間内に指定した応答がありませんでした。"));
  EXPECT_TRUE(Succeeded(control->WaitPrompt(u"ｺﾏﾝﾄﾞ*")));
  // The full-width prompt of later releases is a different text.
  acad.prompt = u"コマンド: ";
  EXPECT_FALSE(Succeeded(control->WaitPrompt()));
  EXPECT_TRUE(Succeeded(control->WaitPrompt(u"コマンド: ")));
}

TEST_F(PromptWait, ExactModeTakesWildcardsLiterally) {
  control->put_PatternMatch(false);
  control->put_CommandTimeOut(0);
  acad.prompt = u"ｺﾏﾝﾄﾞ: ";
  EXPECT_FALSE(Succeeded(control->WaitPrompt(u"ｺﾏﾝﾄﾞ*")));
  acad.prompt = u"ｺﾏﾝﾄﾞ*";
  EXPECT_TRUE(Succeeded(control->WaitPrompt(u"ｺﾏﾝﾄﾞ*")));
}

TEST_F(PromptWait, ZeroTimeOutReadsThePromptOnce) {
  control->put_CommandTimeOut(0);
  acad.prompt = u"始点を指定: ";
  desktop.ClearLog();
  EXPECT_TRUE(Failed(control->SendCommand(u"line^M"), korvel::CommandFailed,
                     u"PwAcadCtrl.PwControl.SendCommand", u"待機時間内に指定した応答がありませんでした。"));
  int reads = 0;
  for (const auto& m : desktop.Log()) reads += m.message == platform::sim::kWmGetText;
  EXPECT_EQ(reads, 1);
  EXPECT_EQ(Now(), 0u);
}

TEST_F(PromptWait, TimesOutAfterCommandTimeOut) {
  control->put_CommandTimeOut(3000);
  acad.prompt = u"始点を指定: ";
  EXPECT_TRUE(Failed(control->WaitPrompt(), korvel::CommandFailed, u"PwAcadCtrl.PwControl.WaitPrompt",
                     u"待機時間内に指定した応答がありませんでした。"));
  EXPECT_GE(Now(), 3000u);
  EXPECT_LT(Now(), 3000u + 2 * 100);
}

TEST_F(PromptWait, NegativeTimeOutWaitsUntilTheMatch) {
  control->put_CommandTimeOut(-5);
  EXPECT_EQ(control->get_CommandTimeOut(), -1);
  acad.prompt = u"挿入点を指定: ";
  acad.PromptAfter(10ull * 60 * 60 * 1000, u"ｺﾏﾝﾄﾞ: ");  // ten hours later
  EXPECT_TRUE(Succeeded(control->WaitPrompt()));
  EXPECT_GE(Now(), 10ull * 60 * 60 * 1000);
}

TEST_F(PromptWait, UnreadableOrHiddenCommandLineOnlyMeansNotYet) {
  acad.prompt.clear();
  desktop.After(300, [&] { desktop.SetVisible(acad.main_command, false); });
  desktop.After(600, [&] {
    desktop.SetVisible(acad.main_command, true);
    acad.prompt = u"ｺﾏﾝﾄﾞ: ";
  });
  EXPECT_TRUE(Succeeded(control->WaitPrompt()));
  EXPECT_GE(Now(), 600u);
}

// A busy AutoCAD answers no message for a while; from outside it looks hung.
// The wait ends at the operation's own time-out, never at a shorter bound of
// the single message, and a busy spell that ends in time is no failure.
TEST_F(PromptWait, BusyAutoCadIsWaitedForUntilTheTimeOut) {
  struct Case {
    std::uint64_t busy_ms;
    std::int32_t time_out;
    bool matched;
    std::uint64_t ends_at;
  };
  const Case cases[] = {
      {8000, 60000, true, 8000},    // longer than the old five-second bound
      {8000, 3000, false, 3000},    // past the time-out: ends there
      {59950, 60000, true, 59950},  // just within
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.busy_ms);
    const std::uint64_t start = Now();
    control->put_CommandTimeOut(c.time_out);
    acad.prompt = u"ｺﾏﾝﾄﾞ: ";
    for (platform::Hwnd w : {acad.main, acad.text, acad.command, acad.history, acad.main_command})
      desktop.BusyFor(w, c.busy_ms);
    const std::int32_t r = control->WaitPrompt();
    if (c.matched)
      EXPECT_TRUE(Succeeded(r));
    else
      EXPECT_TRUE(Failed(r, korvel::CommandFailed, u"PwAcadCtrl.PwControl.WaitPrompt",
                         u"待機時間内に指定した応答がありませんでした。"));
    EXPECT_GE(Now() - start, c.ends_at);
    EXPECT_LT(Now() - start, c.ends_at + 100);
    desktop.Queue().Sleep(static_cast<std::int32_t>(c.busy_ms));
  }
}

TEST_F(PromptWait, CommandHandedToABusyAutoCadWaitsForItNotFiveSeconds) {
  control->put_CommandTimeOut(60000);
  desktop.BusyFor(acad.main, 7000);
  ASSERT_TRUE(Succeeded(control->PostCommand(u"line^M")));
  EXPECT_EQ(Now(), 7000u);
  control->put_CommandTimeOut(2000);
  desktop.BusyFor(acad.main, 7000);
  EXPECT_TRUE(Failed(control->PostCommand(u"line^M"), korvel::CommandFailed,
                     u"PwAcadCtrl.PwControl.PostCommand", u"AutoCADが起動していないか、応答がありません。"));
  EXPECT_EQ(Now(), 9000u);
  EXPECT_EQ(acad.received.size(), 1u);
}

TEST_F(PromptWait, LostLinkEndsTheWaitWithGetPromptsError) {
  acad.prompt = u"オブジェクトを選択: ";
  desktop.After(800, [&] { acad.Quit(); });
  EXPECT_TRUE(Failed(control->SendCommand(u"select^M"), korvel::LinkFailed, u"PwAcadCtrl.PwControl.GetPrompt",
                     u"AutoCADが起動していないか、応答がありません。"));
  EXPECT_LT(Now(), 800u + 2 * 100);
}

TEST_F(PromptWait, TerminateFromAPumpedHandlerCancelsWithoutRecordingIt) {
  acad.prompt = u"オブジェクトを選択: ";
  // The user presses the stop button while the library waits.
  desktop.UserEvent(2000, [&] { control->Terminate(); });
  EXPECT_EQ(control->SendCommand(u"select^M"), korvel::CancelByUser);
  EXPECT_EQ(pw.get_ErrNumber(), 0);
  EXPECT_EQ(pw.get_ErrDescription(), u"");
  EXPECT_GE(Now(), 2000u);
  // The next wait starts afresh.
  acad.prompt = u"ｺﾏﾝﾄﾞ: ";
  EXPECT_TRUE(Succeeded(control->WaitPrompt()));
}

TEST_F(PromptWait, CancelInTheCycleOfAMatchStillCancels) {
  acad.prompt = u"オブジェクトを選択: ";
  desktop.UserEvent(500, [&] {
    acad.prompt = u"ｺﾏﾝﾄﾞ: ";
    control->Terminate();
  });
  EXPECT_EQ(control->WaitPrompt(), korvel::CancelByUser);
  EXPECT_EQ(pw.get_ErrNumber(), 0);
}

TEST_F(PromptWait, CancelKeepsWhatTheLastPromptReadLeft) {
  acad.prompt.clear();  // every read fails with CommandFailed
  desktop.UserEvent(500, [&] { control->Terminate(); });
  EXPECT_EQ(control->WaitPrompt(), korvel::CancelByUser);
  EXPECT_EQ(pw.get_ErrNumber(), korvel::CommandFailed);
  EXPECT_EQ(pw.get_ErrSource(), u"PwAcadCtrl.PwControl.GetPrompt");
}

TEST_F(PromptWait, TerminateWhileNothingWaitsHasNoEffect) {
  control->Terminate();
  acad.PromptAfter(0, u"ｺﾏﾝﾄﾞ: ");
  acad.prompt = u"x";
  EXPECT_TRUE(Succeeded(control->WaitPrompt()));
}

TEST_F(PromptWait, HandlerThatReleasesTheChannelDoesNotEndTheWait) {
  acad.prompt = u"オブジェクトを選択: ";
  auto* raw = control.get();
  desktop.UserEvent(300, [&] {
    control.reset();
    pw.RemoveControl();  // the windows are forgotten: the wait's next read fails
  });
  EXPECT_TRUE(Failed(raw->WaitPrompt(), korvel::LinkFailed, u"PwAcadCtrl.PwControl.GetPrompt",
                     u"AutoCADが起動していないか、応答がありません。"));
}

TEST_F(PromptWait, CheckIntervalSetsThePollingRate) {
  control->put_CheckInterval(-5);
  EXPECT_EQ(control->get_CheckInterval(), 0);
  control->put_CheckInterval(250);
  acad.prompt = u"x";
  acad.PromptAfter(1000, u"ｺﾏﾝﾄﾞ: ");
  const auto sleeps = desktop.Queue().SleepCount();
  EXPECT_TRUE(Succeeded(control->WaitPrompt()));
  EXPECT_EQ(desktop.Queue().SleepCount() - sleeps, 4u);
  EXPECT_EQ(Now(), 1000u);
}

// A command line that announces its changes is read when its text changes,
// not up to an interval later; one that stays silent (a busy or hung AutoCAD)
// is still read once per interval, and the announcements add no more reads
// than there are changes.
class AnnouncedPrompt : public PromptWait {
 protected:
  AnnouncedPrompt() { acad.announces = true; }
  std::vector<std::uint64_t> ReadTimes() {
    std::vector<std::uint64_t> at;
    for (const auto& m : desktop.Log())
      if (m.message == platform::sim::kWmGetText && m.window == acad.command) at.push_back(m.tick - 1000u);
    return at;
  }
};

TEST_F(AnnouncedPrompt, ThePromptIsReadWhenItChanges) {
  acad.on_input = [&](const std::u16string&) {
    acad.prompt = u"FILEDIA";
    acad.PromptAfter(1550, u"ｺﾏﾝﾄﾞ: ");
  };
  desktop.ClearLog();
  ASSERT_TRUE(Succeeded(control->SendCommand(u"filedia^M1^M")));
  EXPECT_EQ(Now(), 1550u);
  // Once per interval while nothing changes, then once for the change.
  const std::vector<std::uint64_t> reads = ReadTimes();
  ASSERT_EQ(reads.size(), 17u);
  for (std::size_t i = 0; i < 16; ++i) EXPECT_EQ(reads[i], 100 * i);
  EXPECT_EQ(reads.back(), 1550u);
  EXPECT_EQ(desktop.TextWatches(), 0u);
}

TEST_F(AnnouncedPrompt, ChangesThatDoNotMatchWakeOneReadEach) {
  acad.prompt = u"x";
  for (std::uint64_t at : {30u, 31u, 32u, 250u}) acad.PromptAfter(at, u"x" + std::u16string(at % 7, u'.'));
  acad.PromptAfter(420, u"ｺﾏﾝﾄﾞ: ");
  desktop.ClearLog();
  ASSERT_TRUE(Succeeded(control->WaitPrompt()));
  EXPECT_EQ(Now(), 420u);
  // 30, 31 and 32 each wake a read; a change is never read twice.
  EXPECT_EQ(ReadTimes(), (std::vector<std::uint64_t>{0, 30, 31, 32, 132, 232, 250, 350, 420}));
}

TEST_F(AnnouncedPrompt, ASilentCommandLineIsStillReadOncePerIntervalUntilTheTimeOut) {
  control->put_CommandTimeOut(1000);
  acad.prompt = u"x";
  acad.announces = false;
  acad.PromptAfter(150, u"ｺﾏﾝﾄﾞ: ");  // changed without a word: seen at the next read
  ASSERT_TRUE(Succeeded(control->WaitPrompt()));
  EXPECT_EQ(Now(), 200u);
  acad.prompt = u"x";
  acad.announces = true;
  desktop.ClearLog();
  const std::uint64_t start = Now();
  EXPECT_TRUE(Failed(control->WaitPrompt(), korvel::CommandFailed, u"PwAcadCtrl.PwControl.WaitPrompt",
                     u"待機時間内に指定した応答がありませんでした。"));
  EXPECT_EQ(Now() - start, 1000u);
  EXPECT_EQ(ReadTimes().size(), 11u);
  EXPECT_EQ(desktop.TextWatches(), 0u);
}

// The tick counter wraps to 0 about two seconds into the wait.
class PromptWaitAtWrap : public PromptWait {
 protected:
  PromptWaitAtWrap() : PromptWait(0xFFFFFFFFu - 2000) {}
};

TEST_F(PromptWaitAtWrap, TimeOutCountsAcrossTheWrap) {
  control->put_CommandTimeOut(5000);
  acad.prompt = u"x";
  EXPECT_TRUE(Failed(control->WaitPrompt(), korvel::CommandFailed, u"PwAcadCtrl.PwControl.WaitPrompt",
                     u"待機時間内に指定した応答がありませんでした。"));
  EXPECT_GE(Now(), 5000u);
  EXPECT_LT(Now(), 5200u);
}

TEST_F(PromptWaitAtWrap, MatchAfterTheWrapIsFound) {
  acad.prompt = u"x";
  acad.PromptAfter(4000, u"ｺﾏﾝﾄﾞ: ");
  EXPECT_TRUE(Succeeded(control->WaitPrompt()));
  EXPECT_GE(Now(), 4000u);
}

}  // namespace
}  // namespace plendra_test
