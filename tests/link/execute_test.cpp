// PwAcad::Execute: launching a program on the simulated desktop and the four
// wait modes.
#include <gtest/gtest.h>

#include <memory>

#include "support/link_fixture.h"

namespace plendra_test {
namespace {

using korvel::acExecuteMode;
using korvel::WaitExit;
using korvel::WaitInit;
using korvel::WaitNone;
using korvel::WaitPrompt;

constexpr std::u16string_view kPath = u"C:\\Program Files\\AutoCAD LT 2002\\aclt.exe";
constexpr std::u16string_view kSource = u"PwAcadCtrl.Acad.Execute";

class Execute : public LinkTest {
 protected:
  // AutoCAD: idle for input after idle_ms, its windows after windows_ms, the
  // command prompt after prompt_ms (all from its start).
  void Install(std::uint64_t idle_ms, std::uint64_t windows_ms = 0, std::uint64_t prompt_ms = 0) {
    desktop.AddProgram(std::u16string(kPath),
                       platform::sim::LaunchableProgram{
                           .idle_after_ms = idle_ms, .start = [=, this](std::uint32_t process_id) {
                             ++starts;
                             started_process = process_id;
                             if (ends_at_start) desktop.EndProcess(process_id, 3);
                             desktop.After(windows_ms, [=, this] {
                               cad = std::make_unique<ScriptedAcad>(desktop);
                               cad->prompt = u"初期化中";
                               cad->PromptAfter(prompt_ms > windows_ms ? prompt_ms - windows_ms : 0,
                                                u"ｺﾏﾝﾄﾞ: ");
                             });
                           }});
  }

  void ExpectNoChannel() {
    EXPECT_EQ(acad.Control(), nullptr);
    EXPECT_EQ(acad.get_MainWindowHandle(), 0);
    EXPECT_EQ(acad.get_CommandWindowHandle(), 0);
  }

  korvel::PwAcad acad;
  std::unique_ptr<ScriptedAcad> cad;
  int starts = 0;
  bool ends_at_start = false;
  std::uint32_t started_process = 0;
};

TEST_F(Execute, AMissingFileStartsNothing) {
  Install(0);
  EXPECT_TRUE(Failed(acad.Execute(u"C:\\nowhere\\acad.exe", u"", 0, WaitNone), korvel::FileNotFound, kSource,
                     u"AutoCADの実行ファイルが見つかりませんでした。"));
  EXPECT_EQ(starts, 0);
  ExpectNoChannel();
}

TEST_F(Execute, StripsOneEnclosingPairOfQuotes) {
  Install(0);
  const std::u16string quoted = u"\"" + std::u16string(kPath) + u"\"";
  EXPECT_TRUE(Succeeded(acad.Execute(quoted, u"/nologo", 0, WaitNone)));
  EXPECT_EQ(starts, 1);
}

TEST_F(Execute, ARefusedStartIsExecuteFailed) {
  Install(0);
  desktop.RefuseLaunches(true);
  EXPECT_TRUE(Failed(acad.Execute(kPath, u"", 0, WaitInit), korvel::ExecuteFailed, kSource,
                     u"AutoCADを起動中にエラーが発生しました。"));
}

TEST_F(Execute, WaitNoneReturnsAtOnce) {
  Install(60000);
  EXPECT_TRUE(Succeeded(acad.Execute(kPath, u"", 0, WaitNone)));
  EXPECT_EQ(desktop.Queue().Elapsed(), 0u);
  ExpectNoChannel();
}

TEST_F(Execute, WaitExitPollsUntilTheProgramHasEnded) {
  Install(0);
  desktop.After(250, [this] { desktop.EndProcess(started_process, 0); });
  EXPECT_TRUE(Succeeded(acad.Execute(kPath, u"", 0, WaitExit)));
  // Read at 0, 100, 200 and 300 ms, each read followed by a 100 ms pause.
  EXPECT_EQ(desktop.Queue().Elapsed(), 400u);
}

TEST_F(Execute, WaitExitOfAProgramThatEndsAtOnceReturnsAfterOnePause) {
  Install(0);
  ends_at_start = true;
  EXPECT_TRUE(Succeeded(acad.Execute(kPath, u"", 0, WaitExit)));
  EXPECT_EQ(desktop.Queue().Elapsed(), 100u);
}

TEST_F(Execute, WaitInitReturnsWhenTheProgramIsIdle) {
  Install(4000);
  EXPECT_TRUE(Succeeded(acad.Execute(kPath, u"", 0, WaitInit)));
  EXPECT_EQ(desktop.Queue().Elapsed(), 4000u);
  ExpectNoChannel();
}

TEST_F(Execute, WaitInitFailsWhenNotIdleWithinTheTimeOut) {
  Install(4000);
  acad.put_ExecuteTimeOut(1000);
  EXPECT_TRUE(Failed(acad.Execute(kPath, u"", 0, WaitInit), korvel::WaitFailed, kSource,
                     u"待機時間内にAutoCADが起動しませんでした。"));
}

TEST_F(Execute, ANegativeTimeOutWaitsForIdleWithoutLimit) {
  Install(10 * 3600 * 1000);
  acad.put_ExecuteTimeOut(-5);
  EXPECT_TRUE(Succeeded(acad.Execute(kPath, u"", 0, WaitInit)));
  EXPECT_EQ(desktop.Queue().Elapsed(), 10u * 3600 * 1000);
}

TEST_F(Execute, WaitPromptLeavesAReadyChannel) {
  Install(1000, 500, 3000);
  EXPECT_TRUE(Succeeded(acad.Execute(kPath, u"", 0, WaitPrompt)));
  ASSERT_NE(acad.Control(), nullptr);
  EXPECT_EQ(acad.get_MainWindowHandle(), cad->main);
  EXPECT_EQ(acad.get_HistoryWindowHandle(), cad->history);
  EXPECT_GE(desktop.Queue().Elapsed(), 3000u);
  EXPECT_EQ(acad.Control()->get_CommandTimeOut(), 60000);  // a fresh channel
}

TEST_F(Execute, WaitPromptWaitsForTheSharedCommandPrompt) {
  Install(1000, 500, 3000);
  acad.put_CommandPrompt(u"コマンド: ");  // a full-width release; the half-width prompt never ends the wait
  EXPECT_TRUE(Failed(acad.Execute(kPath, u"", 0, WaitPrompt), korvel::CommandFailed,
                     u"PwAcadCtrl.PwControl.WaitPrompt", u"待機時間内に指定した応答がありませんでした。"));
  EXPECT_GE(desktop.Queue().Elapsed(), 61000u);
  ExpectNoChannel();
}

// AutoCAD is idle under its splash screen before it makes its windows: the
// search is repeated every 250 ms until the launch's own time-out has passed
// (counted from the start) or the program has ended, and fails only then.
struct LateWindows {
  const char* what;
  std::uint64_t windows_ms;  // kNever: the windows are not made
  std::int32_t time_out;
  std::uint64_t ends_ms;  // 0: the program runs on
  bool found;
  std::uint64_t elapsed;  // the virtual time when Execute returned
};
constexpr std::uint64_t kNever = 1'000'000'000;

class ExecuteLateWindows : public Execute, public ::testing::WithParamInterface<LateWindows> {};

TEST_P(ExecuteLateWindows, WaitPromptSearchesUntilTheLaunchTimeOut) {
  const LateWindows& c = GetParam();
  Install(1000, c.windows_ms, c.windows_ms);
  if (c.ends_ms != 0) desktop.After(c.ends_ms, [this] { desktop.EndProcess(started_process, 1); });
  acad.put_ExecuteTimeOut(c.time_out);
  const std::int32_t r = acad.Execute(kPath, u"", 0, WaitPrompt);
  EXPECT_EQ(desktop.Queue().Elapsed(), c.elapsed);
  EXPECT_EQ(desktop.OpenProcessHandles(), 0u);
  if (c.found) {
    EXPECT_EQ(r, -1);
    EXPECT_EQ(acad.get_ErrNumber(), 0);  // the failed searches before leave nothing behind
    EXPECT_NE(acad.Control(), nullptr);
  } else {
    EXPECT_EQ(r, korvel::SearchFailed);
    EXPECT_EQ(acad.get_ErrSource(), u"PwAcadCtrl.Acad.Search");
    ExpectNoChannel();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExecuteLateWindows,
    ::testing::Values(LateWindows{"made 2 s after the idle wait", 3000, 300000, 0, true, 3000},
                      LateWindows{"made at the last search", 2000, 2000, 0, true, 2000},
                      LateWindows{"made after the time-out", 2100, 2000, 0, false, 2000},
                      LateWindows{"never made", kNever, 300000, 0, false, 300000},
                      LateWindows{"never made, the program ends", kNever, 300000, 2600, false, 2750}));

TEST_F(Execute, ATerminateOfTheNewChannelCancelsAndLeavesNoChannel) {
  Install(1000, 500, 100000);
  desktop.UserEvent(5000, [this] { acad.Control()->Terminate(); });
  EXPECT_EQ(acad.Execute(kPath, u"", 0, WaitPrompt), korvel::CancelByUser);
  EXPECT_EQ(acad.get_ErrNumber(), 0);
  ExpectNoChannel();
}

TEST_F(Execute, AModeOutsideZeroToThreeIsRefusedBeforeAnythingStarts) {
  Install(0);
  for (int mode : {-1, 4, 7}) {
    EXPECT_TRUE(Failed(acad.Execute(kPath, u"", 0, static_cast<acExecuteMode>(mode)), 5, kSource,
                       u"起動後の待機方法(ExecuteMode)には0から3までの値を指定して下さい。"));
  }
  EXPECT_EQ(starts, 0);
}

TEST_F(Execute, AFailedLaunchDropsAnEarlierChannel) {
  ScriptedAcad running(desktop);
  ASSERT_EQ(acad.Search(), -1);
  ASSERT_NE(acad.Control(), nullptr);
  EXPECT_EQ(acad.Execute(u"C:\\nowhere.exe", u"", 0, WaitNone), korvel::FileNotFound);
  ExpectNoChannel();
}

}  // namespace
}  // namespace plendra_test
