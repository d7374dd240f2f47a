// The script language: reading the file, assignments, settings, expansion,
// jumps, conditions, cancelling, and failures reported with line numbers.
#include <cfenv>
#include <filesystem>
#include <fstream>

#include "script_fixture.h"

namespace plendra_test {
namespace {

using ScriptLanguage = ScriptTest;

using korvel::CancelByUser;
using korvel::ScriptFailed;

TEST_F(ScriptLanguage, ScriptOfBlankAndCommentLinesReturnsTrueAndTypesNothing) {
  vars[0] = u"keep";
  EXPECT_TRUE(Succeeded(Run(u"\n   \n// %USER0% = gone\n  //SEND_COMMAND\tLINE\n")));
  EXPECT_EQ(vars[0], u"keep");
  EXPECT_TRUE(Typed().empty());
}

TEST_F(ScriptLanguage, AssignsTrimmedQuotedAndExpandedValues) {
  vars[1] = u"B";
  EXPECT_TRUE(Succeeded(Run(u"%USER0% =   plain text  \n%USER2%=\"  kept  \"\n%USER3%=x%USER1%y=z\n")));
  EXPECT_EQ(vars[0], u"plain text");
  EXPECT_EQ(vars[2], u"  kept  ");
  EXPECT_EQ(vars[3], u"xBy=z");  // everything after the first "="
}

TEST_F(ScriptLanguage, ExpansionIsOnePassInVariableOrder) {
  vars[1] = u"%USER0%";  // lower-numbered: not expanded again
  vars[2] = u"%USER4%";  // higher-numbered: expanded later in the pass
  vars[4] = u"four";
  EXPECT_TRUE(Succeeded(Run(u"%USER5%=%USER1%|%USER2%\n%USER6%=%PATTERN_MATCH%/%COMMAND_TIMEOUT%\n")));
  EXPECT_EQ(vars[5], u"%USER0%|four");
  EXPECT_EQ(vars[6], u"TRUE/60000");
}

TEST_F(ScriptLanguage, TokensBeyondASmallArrayStayAsTheyAre) {
  vars.resize(3);
  EXPECT_TRUE(Succeeded(Run(u"%USER0%=a%USER5%b\n")));
  EXPECT_EQ(vars[0], u"a%USER5%b");
}

TEST_F(ScriptLanguage, AssigningAVariableBeyondTheArrayFailsTheLine) {
  vars.resize(3);
  EXPECT_TRUE(FailedAtLine(Run(u"%USER0%=a\n%USER5%=b\n"), ScriptFailed, kSourceRun, 2,
                           u"ユーザー変数%USER5%は呼び出し元から渡された配列にありません。"));
  EXPECT_EQ(vars.size(), 3u);
  EXPECT_EQ(vars[0], u"a");
}

// A time-out with a fraction is rounded half to even whatever rounding mode
// the processor is in: the program hosting the library (or a driver it
// loaded) may have left it rounding upward or downward.
TEST_F(ScriptLanguage, ATimeOutIsRoundedHalfToEvenInEveryRoundingMode) {
  struct Case {
    std::u16string_view value;
    std::int32_t time_out;
  };
  const Case cases[] = {
      {u"2500.5", 2500}, {u"2501.5", 2502},  {u"2500.4", 2500},
      {u"2500.6", 2501}, {u"1,000.5", 1000}, {u"0.5", 0},
  };
  for (const int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
    for (const Case& c : cases) {
      control->put_CommandTimeOut(7);
      ASSERT_EQ(std::fesetround(mode), 0);
      const std::int32_t result = Run(u"%COMMAND_TIMEOUT% = " + std::u16string(c.value) + u"\n");
      std::fesetround(FE_TONEAREST);
      EXPECT_TRUE(Succeeded(result));
      EXPECT_EQ(control->get_CommandTimeOut(), c.time_out)
          << "rounding mode " << mode << ", value " << std::string(c.value.begin(), c.value.end());
    }
  }
}

TEST_F(ScriptLanguage, AnAssignmentWithoutEqualsFailsTheLine) {
  EXPECT_TRUE(
      FailedAtLine(Run(u"%USER0% x\n"), ScriptFailed, kSourceRun, 1, u"代入文に\"=\"が指定されていません。"));
}

TEST_F(ScriptLanguage, SettingsChangeTheChannelAndStayAfterTheRun) {
  EXPECT_TRUE(
      Succeeded(Run(u"%COMMAND_TIMEOUT% = 5000\n%PATTERN_MATCH% = fAlSe\n%USER0%=%COMMAND_TIMEOUT%\n")));
  EXPECT_EQ(control->get_CommandTimeOut(), 5000);
  EXPECT_FALSE(control->get_PatternMatch());
  EXPECT_EQ(vars[0], u"5000");
  EXPECT_TRUE(Succeeded(Run(u"%COMMAND_TIMEOUT%=-20\n%PATTERN_MATCH%=2\n")));
  EXPECT_EQ(control->get_CommandTimeOut(), -1);
  EXPECT_TRUE(control->get_PatternMatch());  // any number but 0 is true
  EXPECT_TRUE(Succeeded(Run(u"%PATTERN_MATCH%=0\n")));
  EXPECT_FALSE(control->get_PatternMatch());
}

TEST_F(ScriptLanguage, SettingValuesOfTheWrongKindAreTypeMismatches) {
  EXPECT_TRUE(FailedAtLine(Run(u"\n%COMMAND_TIMEOUT%=soon\n"), 13, u"PwAcadCtrl", 2, u"型が一致しません。"));
  EXPECT_TRUE(FailedAtLine(Run(u"%PATTERN_MATCH%=yes\n"), 13, u"PwAcadCtrl", 1, u"型が一致しません。"));
  EXPECT_TRUE(FailedAtLine(Run(u"%COMMAND_TIMEOUT%=99999999999\n"), 6, u"PwAcadCtrl", 1,
                           u"オーバーフローしました。"));
}

TEST_F(ScriptLanguage, AJumpSkipsEverythingUpToItsLabel) {
  EXPECT_TRUE(
      Succeeded(Run(u"GOTO\t*END\n%USER0%=skipped\n?a==a>%USER1%=skipped\nBOGUS\n*OTHER\n*END\n"
                    u"%USER2%=after\n*END\n%USER3%=after the second label\n")));
  EXPECT_EQ(vars[0], u"");
  EXPECT_EQ(vars[1], u"");
  EXPECT_EQ(vars[2], u"after");
  EXPECT_EQ(vars[3], u"after the second label");
}

TEST_F(ScriptLanguage, JumpLabelsAreExpandedAndComparedExactly) {
  vars[0] = u"*B";
  EXPECT_TRUE(Succeeded(Run(u"GOTO\t\t\t  \"%USER0%\"  \n*b\n%USER1%=lower case is another label\n*B\n")));
  EXPECT_EQ(vars[1], u"");
}

TEST_F(ScriptLanguage, AJumpBackwardsFailsAtTheLastLine) {
  EXPECT_TRUE(FailedAtLine(Run(u"*TOP\n%USER0%=once\nGOTO\t*TOP\n%USER1%=skipped\n\n// end\n"), ScriptFailed,
                           kSourceCommand, 6, u"行ラベル(*TOP)が見つかりません。"));
  EXPECT_EQ(vars[0], u"once");
  EXPECT_EQ(vars[1], u"");
}

TEST_F(ScriptLanguage, OnlyALabelLineEndsAJump) {
  EXPECT_TRUE(FailedAtLine(Run(u"GOTO\tEND\nEND\n%USER0%=x\n"), ScriptFailed, kSourceCommand, 3,
                           u"行ラベル(END)が見つかりません。"));
  EXPECT_EQ(vars[0], u"");
}

TEST_F(ScriptLanguage, AJumpWithoutATabLooksForTheWholeText) {
  EXPECT_TRUE(FailedAtLine(Run(u"GOTO *END\n*END"), ScriptFailed, kSourceCommand, 2,
                           u"行ラベル(GOTO *END)が見つかりません。"));
}

TEST_F(ScriptLanguage, ConditionsCompareAsPatternsOrExactly) {
  vars[0] = u"操作をｷｬﾝｾﾙしました";
  const std::u16string_view script =
      u"?%USER0%==*ｷｬﾝｾﾙ*>%USER1%=matched\n"
      u"?%USER0%!=*ｷｬﾝｾﾙ*>%USER2%=differs\n"
      u"?\"%USER0%\" == \"操作をｷｬﾝｾﾙしました\" > %USER3% = exact\n";
  EXPECT_TRUE(Succeeded(Run(script)));
  EXPECT_EQ(vars[1], u"matched");
  EXPECT_EQ(vars[2], u"");
  EXPECT_EQ(vars[3], u"exact");

  vars[1] = vars[2] = vars[3] = u"";
  control->put_PatternMatch(false);
  EXPECT_TRUE(Succeeded(Run(script)));
  EXPECT_EQ(vars[1], u"");  // the asterisks are text now
  EXPECT_EQ(vars[2], u"differs");
  EXPECT_EQ(vars[3], u"exact");
}

TEST_F(ScriptLanguage, APatternMatchSwitchInTheScriptGovernsLaterConditionsAndWaitsAfterTheRun) {
  vars[0] = u"ABC";
  EXPECT_TRUE(
      Succeeded(Run(u"?%USER0%==A*>%USER1%=pattern\n%PATTERN_MATCH%=False\n?%USER0%==A*>%USER2%=pattern\n")));
  EXPECT_EQ(vars[1], u"pattern");
  EXPECT_EQ(vars[2], u"");
  // The channel's own waits compare exactly from now on.
  control->put_CommandTimeOut(1000);
  EXPECT_EQ(control->WaitPrompt(u"ｺﾏﾝﾄﾞ*"), korvel::CommandFailed);
  EXPECT_TRUE(Succeeded(control->WaitPrompt(u"ｺﾏﾝﾄﾞ: ")));
}

TEST_F(ScriptLanguage, AConditionRunsAJump) {
  vars[0] = u"YES";
  EXPECT_TRUE(Succeeded(Run(u"?%USER0%==YES>GOTO\t*DONE\n%USER1%=not skipped\n*DONE\n")));
  EXPECT_EQ(vars[1], u"");
}

TEST_F(ScriptLanguage, AConditionWithoutOperatorFails) {
  EXPECT_TRUE(FailedAtLine(Run(u"// first\n?%USER0%=YES>EXIT\n"), ScriptFailed, kSourceRun, 2,
                           u"条件文に比較演算子が指定されていません。"));
}

TEST_F(ScriptLanguage, AConditionWhoseOperandsCannotBeCutOutIsAnInvalidArgument) {
  EXPECT_TRUE(FailedAtLine(Run(u"?a>b==c>EXIT\n"), 5, u"PwAcadCtrl", 1,
                           u"プロシージャの呼び出し、または引数が不正です。"));
  EXPECT_TRUE(FailedAtLine(Run(u"?a==a EXIT\n"), 5, u"PwAcadCtrl", 1,
                           u"プロシージャの呼び出し、または引数が不正です。"));
}

TEST_F(ScriptLanguage, ExitInsideAConditionEndsTheRun) {
  EXPECT_TRUE(Succeeded(Run(u"?1==1>EXIT\n%USER0%=not reached\n")));
  EXPECT_EQ(vars[0], u"");
}

TEST_F(ScriptLanguage, ACancelledWaitInsideAConditionEndsTheRun) {
  desktop.UserEvent(2000, [this] { control->Terminate(); });
  EXPECT_EQ(Run(u"?1==1>WAIT_PROMPT\tnever\n%USER0%=not reached\n"), CancelByUser);
  EXPECT_EQ(vars[0], u"");
  EXPECT_EQ(acad.get_ErrNumber(), 0);
}

TEST_F(ScriptLanguage, TerminateBetweenLinesEndsTheRunAfterTheCurrentLine) {
  desktop.UserEvent(0, [this] { control->Terminate(); });
  EXPECT_EQ(Run(u"%USER0%=first\n%USER1%=second\n"), CancelByUser);
  EXPECT_EQ(vars[0], u"first");
  EXPECT_EQ(vars[1], u"");
}

TEST_F(ScriptLanguage, TerminateWhileSkippingToALabelIsACancelNotAMissingLabel) {
  desktop.UserEvent(0, [this] { control->Terminate(); });
  EXPECT_EQ(Run(u"GOTO\t*END\n%USER0%=x\n"), CancelByUser);
}

TEST_F(ScriptLanguage, FailuresCountEveryPhysicalLine) {
  std::u16string script;
  for (int i = 0; i < 5; ++i) script += u"\n// comment\n";
  script += u"\nSEND_COMMAND LINE\n";  // line 12: blanks do not separate
  EXPECT_TRUE(FailedAtLine(Run(script), ScriptFailed, kSourceCommand, 12,
                           u"未定義のスクリプトコマンドが指定されています。"));
}

TEST_F(ScriptLanguage, LinesEndAtCrCrLfOrLf) {
  const std::filesystem::path path = desktop.TempFolder() / "ends.scr";
  std::ofstream(path, std::ios::binary) << "%USER0%=a\r%USER1%=b\r\n%USER2%=c\n\nBOGUS";
  EXPECT_TRUE(FailedAtLine(control->RunScript(path.u16string(), &vars), ScriptFailed, kSourceCommand, 5,
                           u"未定義のスクリプトコマンドが指定されています。"));
  EXPECT_EQ(vars[0], u"a");
  EXPECT_EQ(vars[1], u"b");
  EXPECT_EQ(vars[2], u"c");
}

TEST_F(ScriptLanguage, ReadsTheFileInCodePage932) {
  const std::filesystem::path path = desktop.TempFolder() / "sjis.scr";
  // "%USER0%=寸法" in Shift_JIS; 0x90 0xA1 and 0x96 0x40 are its two characters.
  std::ofstream(path, std::ios::binary) << "%USER0%=\x90\xa1\x96\x40\r\n";
  EXPECT_TRUE(Succeeded(control->RunScript(path.u16string(), &vars)));
  EXPECT_EQ(vars[0], u"寸法");
}

TEST_F(ScriptLanguage, AMissingFileIsError53) {
  EXPECT_TRUE(Failed(control->RunScript(u"/no/such/script.scr", &vars), 53, u"PwAcadCtrl",
                     u"スクリプトファイルを開くことができませんでした。"));
}

TEST_F(ScriptLanguage, AFolderCannotBeOpenedAsAScript) {
  EXPECT_TRUE(Failed(control->RunScript(desktop.TempFolder().u16string(), &vars), 75, u"PwAcadCtrl",
                     u"スクリプトファイルを開くことができませんでした。"));
}

TEST_F(ScriptLanguage, RefusesNoArrayAndMoreThanTenVariables) {
  const std::u16string path = WriteScript(desktop, u"%USER0%=x\n");
  EXPECT_TRUE(
      Failed(control->RunScript(path, nullptr), 9, u"PwAcadCtrl", u"インデックスが有効範囲にありません。"));
  vars.resize(11);
  EXPECT_TRUE(Failed(control->RunScript(path, &vars), ScriptFailed, kSourceRun,
                     u"ユーザー変数が10個を超えています。"));
  EXPECT_EQ(vars[0], u"");
  vars.clear();
  EXPECT_TRUE(Succeeded(control->RunScript(WriteScript(desktop, u"// nothing\n"), &vars)));
}

TEST_F(ScriptLanguage, ChecksTheLinkAndTheCommandLineFirst) {
  const std::u16string path = WriteScript(desktop, u"%USER0%=x\n");
  cad.HideCommandLine(true);
  EXPECT_TRUE(Failed(control->RunScript(path, &vars), korvel::WindowClosed, kSourceRun,
                     u"AutoCADが応答しないか、コマンドウィンドウが表示されていません。"));
  cad.Vanish();
  EXPECT_TRUE(Failed(control->RunScript(path, &vars), korvel::LinkFailed, kSourceRun,
                     u"AutoCADが起動していないか、応答がありません。"));
  EXPECT_EQ(vars[0], u"");
}

}  // namespace
}  // namespace plendra_test
