// Finding AutoCAD's windows: title prefixes, "|" alternatives, process pairing,
// and what a failed search leaves behind.
#include <gtest/gtest.h>

#include "link/mdl_common.h"
#include "support/link_fixture.h"

namespace plendra_test {
namespace {

using korvel::PwAcad;
using platform::sim::WindowSpec;

constexpr std::u16string_view kSearch = u"PwAcadCtrl.Acad.Search";

class Discovery : public LinkTest {};

TEST_F(Discovery, FindsAllWindowsWithDefaultTitlesAndNeverTakesTextWindowAsMain) {
  // The text window's title also begins with "AutoCAD LT"; put it last so that,
  // were it taken as a main candidate, it would overwrite the real one.
  ScriptedAcad acad(desktop);
  desktop.CreateWindow(WindowSpec{.class_name = u"Other", .title = u"メモ帳"}, /*at_front=*/true);
  PwAcad pw;
  EXPECT_TRUE(Succeeded(pw.Search()));
  EXPECT_EQ(pw.get_MainWindowHandle(), acad.main);
  EXPECT_EQ(pw.get_MainWindowTitle(), u"AutoCAD LT 2002 - [Drawing1.dwg]");
  EXPECT_EQ(pw.get_MainWindowClass(), u"Afx:400000:8:10011:0:fe0b2d");
  EXPECT_EQ(pw.get_MainWindowProcessID(), static_cast<std::int32_t>(acad.process));
  EXPECT_EQ(pw.get_MainWindowThreadID(), static_cast<std::int32_t>(acad.thread));
  EXPECT_EQ(pw.get_TextWindowHandle(), acad.text);
  EXPECT_EQ(pw.get_TextWindowTitle(), u"AutoCAD LT ﾃｷｽﾄ ｳｨﾝﾄﾞｳ - Drawing1.dwg");
  EXPECT_EQ(pw.get_CommandWindowHandle(), acad.command);
  EXPECT_EQ(pw.get_HistoryWindowHandle(), acad.history);
  EXPECT_EQ(korvel::Shared().MainCommand.Handle, acad.main_command);
  EXPECT_NE(pw.Control(), nullptr);
}

TEST_F(Discovery, TitlesCompareCaseSensitively) {
  ScriptedAcad acad(desktop, {.main_title = u"autocad lt 2002 - [Drawing1.dwg]"});
  PwAcad pw;
  EXPECT_TRUE(Failed(pw.Search(), korvel::SearchFailed, kSearch,
                     u"AutoCADが起動していないか応答がありません\n\rバージョンを確認して下さい。"));
}

TEST_F(Discovery, MainTitleAlternativesAcceptEitherPrefix) {
  ScriptedAcad acad(desktop, {.main_title = u"AutoCAD 2005 - [Drawing1.dwg]",
                              .text_title = u"AutoCAD ﾃｷｽﾄ ｳｨﾝﾄﾞｳ - Drawing1.dwg"});
  PwAcad pw;
  pw.put_TextCompareTitle(u"AutoCAD ﾃｷｽﾄ");
  pw.put_MainCompareTitle(u"AutoCAD LT|AutoCAD 2005");
  EXPECT_TRUE(Succeeded(pw.Search()));
  EXPECT_EQ(pw.get_MainWindowHandle(), acad.main);
  pw.put_MainCompareTitle(u"AutoCAD 2005|AutoCAD LT");
  EXPECT_TRUE(Succeeded(pw.Search()));
  EXPECT_EQ(pw.get_MainWindowHandle(), acad.main);
  pw.put_MainCompareTitle(u"AutoCAD LT|AutoCAD 2004|AutoCAD 2005");  // only the first "|" splits
  EXPECT_FALSE(Succeeded(pw.Search()));
}

TEST_F(Discovery, EmptySecondAlternativeAcceptsAnyTitledWindowButTheTextWindow) {
  ScriptedAcad acad(desktop);
  const auto other = desktop.CreateWindow(WindowSpec{
      .class_name = u"Notepad", .title = u"無題 - メモ帳", .thread = acad.thread, .process = acad.process});
  PwAcad pw;
  pw.put_MainCompareTitle(u"NoSuchTitle|");
  pw.put_CheckMainCmdWindow(false);  // the winner has no docked command line
  EXPECT_TRUE(Succeeded(pw.Search()));
  // Every titled window of the process qualifies; the last one visited wins.
  EXPECT_EQ(pw.get_MainWindowHandle(), other);
  EXPECT_EQ(pw.get_TextWindowHandle(), acad.text);
}

TEST_F(Discovery, TwoInstancesNeverMixTheirWindows) {
  ScriptedAcad first(
      desktop, {.main_title = u"AutoCAD LT 2002 - [A.dwg]", .text_title = u"AutoCAD LT ﾃｷｽﾄ ｳｨﾝﾄﾞｳ - A.dwg"});
  ScriptedAcad second(
      desktop, {.main_title = u"AutoCAD LT 2002 - [B.dwg]", .text_title = u"AutoCAD LT ﾃｷｽﾄ ｳｨﾝﾄﾞｳ - B.dwg"});
  // Enumeration order: first.main, first.text, second.main, second.text. The
  // second main window does not match the recorded text window's process, and
  // the second text window does not match the recorded main window's.
  PwAcad pw;
  EXPECT_TRUE(Succeeded(pw.Search()));
  EXPECT_EQ(pw.get_MainWindowHandle(), first.main);
  EXPECT_EQ(pw.get_TextWindowHandle(), first.text);
  EXPECT_EQ(pw.get_CommandWindowHandle(), first.command);

  // When a second main window of the same process comes later, the later wins.
  const auto later = desktop.CreateWindow(WindowSpec{.class_name = u"Afx",
                                                     .title = u"AutoCAD LT 2002 - [A2.dwg]",
                                                     .thread = first.thread,
                                                     .process = first.process});
  pw.put_CheckMainCmdWindow(false);
  EXPECT_TRUE(Succeeded(pw.Search()));
  EXPECT_EQ(pw.get_MainWindowHandle(), later);
}

TEST_F(Discovery, TextWindowWithoutMainWindowFailsAndLeavesNothingBehind) {
  ScriptedAcad acad(desktop);
  PwAcad pw;
  ASSERT_TRUE(Succeeded(pw.Search()));
  auto old_control = pw.Control();
  desktop.DestroyWindow(acad.main);
  EXPECT_TRUE(Failed(pw.Search(), korvel::SearchFailed, kSearch,
                     u"AutoCADが起動していないか応答がありません\n\rバージョンを確認して下さい。"));
  EXPECT_EQ(pw.get_MainWindowHandle(), 0);
  EXPECT_EQ(pw.get_TextWindowHandle(), 0);
  EXPECT_EQ(pw.get_TextWindowTitle(), u"");
  EXPECT_EQ(pw.get_CommandWindowHandle(), 0);
  EXPECT_EQ(pw.get_HistoryWindowProcessID(), 0);
  EXPECT_EQ(pw.Control(), nullptr);
  EXPECT_FALSE(pw.ControlExists());
  // The channel the client kept is still callable and reports the lost link.
  EXPECT_TRUE(Failed(old_control->PostCommand(u"line"), korvel::LinkFailed,
                     u"PwAcadCtrl.PwControl.PostCommand", u"AutoCADが起動していないか、応答がありません。"));
}

TEST_F(Discovery, MissingChildWindowsFailTheSearch) {
  ScriptedAcad acad(desktop);
  desktop.DestroyWindow(acad.history);
  PwAcad pw;
  EXPECT_TRUE(Failed(pw.Search(), korvel::SearchFailed, kSearch, u"AutoCADを検索中にエラーが発生しました。"));
  EXPECT_EQ(pw.get_CommandWindowHandle(), 0);
  EXPECT_EQ(pw.Control(), nullptr);
}

TEST_F(Discovery, DockedCommandLineIsRequiredOnlyWhenChecked) {
  ScriptedAcad acad(desktop, {.main_command = false});
  PwAcad pw;
  EXPECT_TRUE(Failed(pw.Search(), korvel::SearchFailed, kSearch, u"AutoCADを検索中にエラーが発生しました。"));
  pw.put_CheckMainCmdWindow(false);
  EXPECT_TRUE(Succeeded(pw.Search()));
  EXPECT_EQ(korvel::Shared().MainCommand.Handle, 0);
}

TEST_F(Discovery, ChildOfAnotherProcessIsNotRecorded) {
  ScriptedAcad acad(desktop);
  desktop.DestroyWindow(acad.command);
  // A command-line lookalike inside the text window but owned by another process.
  desktop.CreateWindow(WindowSpec{
      .class_name = u"Edit", .title = u"Headlands", .parent = acad.text, .thread = 77, .process = 78});
  PwAcad pw;
  EXPECT_TRUE(Failed(pw.Search(), korvel::SearchFailed, kSearch, u"AutoCADを検索中にエラーが発生しました。"));
}

TEST_F(Discovery, WindowWhoseClassCannotBeReadIsSkipped) {
  ScriptedAcad acad(desktop);
  const auto decoy = desktop.CreateWindow(WindowSpec{.class_name = u"Afx",
                                                     .title = u"AutoCAD LT 2002 - [X.dwg]",
                                                     .thread = acad.thread,
                                                     .process = acad.process});
  desktop.Get(decoy).class_fails = true;
  PwAcad pw;
  EXPECT_TRUE(Succeeded(pw.Search()));
  EXPECT_EQ(pw.get_MainWindowHandle(), acad.main);
}

TEST_F(Discovery, NewPwAcadForgetsWhatAnEarlierOneFound) {
  ScriptedAcad acad(desktop);
  PwAcad first;
  first.put_MainCompareTitle(u"AutoCAD");
  ASSERT_TRUE(Succeeded(first.Search()));
  PwAcad second;
  EXPECT_EQ(first.get_MainWindowHandle(), 0);
  EXPECT_EQ(second.get_MainWindowHandle(), 0);
  EXPECT_EQ(first.get_MainCompareTitle(), u"AutoCAD LT");  // defaults restored for the thread
  EXPECT_NE(first.Control(), nullptr);
  EXPECT_FALSE(first.ControlExists());
  EXPECT_EQ(first.Control(), nullptr);
  EXPECT_EQ(second.Control(), nullptr);
}

TEST_F(Discovery, ControlExistsFollowsTheWindows) {
  ScriptedAcad acad(desktop);
  PwAcad pw;
  EXPECT_FALSE(pw.ControlExists());
  ASSERT_TRUE(Succeeded(pw.Search()));
  EXPECT_TRUE(pw.ControlExists());
  desktop.DestroyWindow(acad.history);
  EXPECT_FALSE(pw.ControlExists());
  EXPECT_EQ(pw.Control(), nullptr);
  EXPECT_EQ(pw.get_MainWindowHandle(), 0);
}

TEST_F(Discovery, RemoveControlDropsRecordsButNotTheErrorRecord) {
  ScriptedAcad acad(desktop);
  PwAcad pw;
  ASSERT_TRUE(Succeeded(pw.Search()));
  auto control = pw.Control();
  control->put_CommandTimeOut(0);
  acad.prompt = u"線分の始点を指定:";
  ASSERT_NE(control->WaitPrompt(), -1);
  pw.RemoveControl();
  EXPECT_EQ(pw.Control(), nullptr);
  EXPECT_EQ(pw.get_MainWindowHandle(), 0);
  EXPECT_EQ(pw.get_ErrNumber(), korvel::CommandFailed);
}

TEST(StripQuotes, RemovesOneQuoteAtEachEnd) {
  EXPECT_EQ(korvel::StripQuotes(u"\"C:\\Program Files\\ACLT\\aclt.exe\""),
            u"C:\\Program Files\\ACLT\\aclt.exe");
  EXPECT_EQ(korvel::StripQuotes(u"C:\\aclt.exe"), u"C:\\aclt.exe");
  EXPECT_EQ(korvel::StripQuotes(u"\""), u"");
  EXPECT_EQ(korvel::StripQuotes(u"\"\"x\"\""), u"\"x\"");
  EXPECT_EQ(korvel::StripQuotes(u"abc\""), u"abc");
}

}  // namespace
}  // namespace plendra_test
