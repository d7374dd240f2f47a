// The twelve script commands, each against cadsim.
#include "script_fixture.h"

namespace plendra_test {
namespace {

using ScriptCommands = ScriptTest;

using cadsim::UserAction;
using korvel::CancelByUser;
using korvel::ScriptFailed;

const std::u16string kNotUserVariable(std::u16string_view p) {
  return u"結果の格納先(" + std::u16string(p) + u")がユーザー変数(%USER0%～%USER9%)ではありません。";
}

TEST_F(ScriptCommands, ExitEndsTheScriptSuccessfully) {
  EXPECT_TRUE(Succeeded(Run(u"%USER0%=before\nEXIT\n%USER1%=after\n")));
  EXPECT_EQ(vars[0], u"before");
  EXPECT_EQ(vars[1], u"");
}

TEST_F(ScriptCommands, SleepPassesExactlyTheExpandedTime) {
  vars[0] = u"1500";
  EXPECT_TRUE(Succeeded(Run(u"SLEEP\t%USER0%\n")));
  EXPECT_EQ(desktop.Queue().Elapsed(), 1500u);
}

TEST_F(ScriptCommands, SleepWithANegativeTimeDoesNotWait) {
  EXPECT_TRUE(Succeeded(Run(u"SLEEP\t-1\n%USER0%=went on\n")));
  EXPECT_EQ(desktop.Queue().Elapsed(), 0u);
  EXPECT_EQ(vars[0], u"went on");
}

TEST_F(ScriptCommands, SleepNeedsANumber) {
  EXPECT_TRUE(FailedAtLine(Run(u"SLEEP\tlong\n"), 13, u"PwAcadCtrl", 1, u"型が一致しません。"));
  EXPECT_TRUE(FailedAtLine(Run(u"SLEEP\n"), 9, u"PwAcadCtrl", 1, u"インデックスが有効範囲にありません。"));
}

TEST_F(ScriptCommands, ActiveBringsAutoCadToTheFront) {
  EXPECT_TRUE(Succeeded(Run(u"ACTIVE\n")));
  EXPECT_EQ(desktop.Foreground(), cad.main);
  desktop.Get(cad.main).foreground_fails = true;
  EXPECT_TRUE(FailedAtLine(Run(u"\nACTIVE\n"), korvel::CommandFailed, u"PwAcadCtrl.PwControl.Active", 2,
                           u"AutoCADが起動していないか、応答がありません。"));
}

TEST_F(ScriptCommands, GetPromptStoresThePrompt) {
  cad.Cad().Type(u"ID\r");
  EXPECT_TRUE(Succeeded(Run(u"GET_PROMPT\t%USER4%\n")));
  EXPECT_EQ(vars[4], u"点を指定: ");
}

TEST_F(ScriptCommands, ResultParametersMustBeUserVariablesOfTheArray) {
  EXPECT_TRUE(FailedAtLine(Run(u"GET_PROMPT\tprompt\n"), ScriptFailed, kSourceCommand, 1,
                           kNotUserVariable(u"prompt")));
  EXPECT_TRUE(FailedAtLine(Run(u"GET_HISTORY\t%USER1%x\n"), ScriptFailed, kSourceCommand, 1,
                           kNotUserVariable(u"%USER1%x")));
  vars.resize(2);
  EXPECT_TRUE(FailedAtLine(Run(u"GET_VARIABLE\tDIMSCALE\t%USER2%\n"), ScriptFailed, kSourceCommand, 1,
                           u"ユーザー変数%USER2%は呼び出し元から渡された配列にありません。"));
  EXPECT_EQ(vars.size(), 2u);
  EXPECT_TRUE(Typed().empty());  // refused before anything was typed
}

TEST_F(ScriptCommands, PostCommandTypesTheExpandedTextWithControlCodes) {
  vars[0] = u"ID";
  EXPECT_TRUE(Succeeded(Run(u"POST_COMMAND\t^C^C%USER0%^M10,20^M\n")));
  ASSERT_EQ(Typed().size(), 1u);
  EXPECT_EQ(Typed()[0], u"\x03\x03ID\r10,20\r");
  EXPECT_TRUE(HistoryHas(u"X = 10.0000"));
  EXPECT_EQ(desktop.Queue().Elapsed(), 0u);  // no wait
  EXPECT_TRUE(
      FailedAtLine(Run(u"POST_COMMAND\n"), 9, u"PwAcadCtrl", 1, u"インデックスが有効範囲にありません。"));
}

TEST_F(ScriptCommands, SendCommandWaitsForTheCommandPromptOfPwAcad) {
  cad.Cad().TheFaults().finish_after_ms = 700;
  EXPECT_TRUE(Succeeded(Run(u"SEND_COMMAND\tUCS^MW^M\n")));
  EXPECT_GE(desktop.Queue().Elapsed(), 700u);
}

TEST_F(ScriptCommands, SendCommandWithAPromptWaitsForThatPrompt) {
  vars[0] = u"*<*>: ";
  EXPECT_TRUE(Succeeded(Run(u"SEND_COMMAND\tDIMTXT^M\t%USER0%\nGET_PROMPT\t%USER1%\n")));
  EXPECT_EQ(vars[1], u"DIMTXT の新しい値を入力 <2.5000>: ");
}

TEST_F(ScriptCommands, SendCommandTimesOutWithTheScriptsTimeOut) {
  cad.Cad().TheFaults().finish_after_ms = 10'000;
  EXPECT_TRUE(FailedAtLine(Run(u"%COMMAND_TIMEOUT%=3000\nSEND_COMMAND\tUCS^MW^M\n"), korvel::CommandFailed,
                           u"PwAcadCtrl.PwControl.SendCommand", 2,
                           u"待機時間内に指定した応答がありませんでした。"));
  EXPECT_LT(desktop.Queue().Elapsed(), 10'000u);
}

TEST_F(ScriptCommands, WaitPromptWaitsForTheCommandPromptOrTheGivenOne) {
  cad.Cad().TheFaults().finish_after_ms = 400;
  EXPECT_TRUE(Succeeded(Run(u"POST_COMMAND\tUCS^MW^M\nWAIT_PROMPT\n")));
  EXPECT_GE(desktop.Queue().Elapsed(), 400u);
  cad.Cad().Script(UserAction::PickAt({1, 2, 0}, 1000));
  EXPECT_TRUE(Succeeded(
      Run(u"POST_COMMAND\tID^M\nWAIT_PROMPT\t\"*を指定: \"\nWAIT_PROMPT\n")));  // quotes keep the blank
  EXPECT_GE(desktop.Queue().Elapsed(), 1400u);  // the pick brought the command prompt back
}

TEST_F(ScriptCommands, WaitPromptEndedByTerminateEndsTheScript) {
  desktop.UserEvent(5000, [this] { control->Terminate(); });
  EXPECT_EQ(Run(u"WAIT_PROMPT\tnever\n%USER0%=not reached\n"), CancelByUser);
  EXPECT_EQ(vars[0], u"");
}

TEST_F(ScriptCommands, GetAndSetVariableRoundTrip) {
  ASSERT_TRUE(Succeeded(control->SetVariable(u"DIMSCALE", u"50")));
  vars[1] = u"DIMSCALE";
  EXPECT_TRUE(Succeeded(Run(
      u"GET_VARIABLE\t%USER1%\t%USER0%\nSET_VARIABLE\tDIMTXT\t%USER0%\nGET_VARIABLE\tDIMTXT\t%USER2%\n")));
  EXPECT_EQ(vars[0], u"50.0000");
  EXPECT_EQ(vars[2], u"50.0000");
  EXPECT_EQ(cad.TheDrawing().FindDimStyle(u"Standard")->dimtxt, 50.0);
}

TEST_F(ScriptCommands, GetVariableEndedByTerminateEndsTheScript) {
  desktop.UserEvent(5000, [this] { control->Terminate(); });
  vars[0] = u"unchanged";
  EXPECT_EQ(Run(u"GET_VARIABLE\tNOSUCH\t%USER0%\n%USER1%=not reached\n"), CancelByUser);
  EXPECT_EQ(vars[0], u"unchanged");
  EXPECT_EQ(vars[1], u"");
}

TEST_F(ScriptCommands, ACallerArrayShrunkDuringAWaitIsNeverWrittenOutside) {
  // A handler run by the wait shrinks the array the result was meant for.
  desktop.UserEvent(1000, [this] {
    vars.resize(1);
    vars.shrink_to_fit();
    control->Terminate();
  });
  EXPECT_TRUE(FailedAtLine(Run(u"GET_VARIABLE\tNOSUCH\t%USER5%\n"), ScriptFailed, kSourceCommand, 1,
                           u"ユーザー変数%USER5%は呼び出し元から渡された配列にありません。"));
  EXPECT_EQ(vars.size(), 1u);
}

TEST_F(ScriptCommands, GetHistoryWithAndWithoutMatchString) {
  cad.Cad().Type(u"ID\r1,2\rID\r3,4\r");
  EXPECT_TRUE(
      Succeeded(Run(u"GET_HISTORY\t%USER0%\nGET_HISTORY\t%USER1%\tX =\nGET_HISTORY\t%USER2%\tnone\n")));
  EXPECT_EQ(vars[0], cad.Cad().History());
  EXPECT_EQ(vars[1].substr(0, 10), u"X = 3.0000");  // from the last occurrence
  EXPECT_EQ(vars[2], u"");
}

TEST_F(ScriptCommands, GetPositionStoresThreeCoordinates) {
  cad.Cad().Script(UserAction::PickAt({1250.5, -30.25, 7}, 1500));
  EXPECT_TRUE(Succeeded(Run(u"GET_POSITION\t%USER0%\t%USER1%\t%USER2%\n")));
  EXPECT_EQ(vars[0], u"1250.5");
  EXPECT_EQ(vars[1], u"-30.25");
  EXPECT_EQ(vars[2], u"7");
  EXPECT_GE(desktop.Queue().Elapsed(), 1500u);
}

TEST_F(ScriptCommands, GetPositionSkipsParametersThatAreNoVariables) {
  cad.Cad().Script(UserAction::PickAt({1, 2, 3}));
  vars[1] = u"kept";
  EXPECT_TRUE(Succeeded(Run(u"GET_POSITION\t%USER0%\tY\t%USER2%\n")));
  EXPECT_EQ(vars[0], u"1");
  EXPECT_EQ(vars[1], u"kept");
  EXPECT_EQ(vars[2], u"3");
}

TEST_F(ScriptCommands, GetPositionNoticesAMissingParameterAfterThePick) {
  cad.Cad().Script(UserAction::PickAt({1, 2, 3}));
  EXPECT_TRUE(FailedAtLine(Run(u"GET_POSITION\t%USER0%\t%USER1%\n"), 9, u"PwAcadCtrl", 1,
                           u"インデックスが有効範囲にありません。"));
  EXPECT_EQ(cad.Cad().ScriptLeft(), 0u);  // picked
  EXPECT_EQ(vars[0], u"1");
  EXPECT_EQ(vars[1], u"2");
}

TEST_F(ScriptCommands, GetPositionRefusesAVariableBeyondTheArrayBeforeThePick) {
  vars.resize(3);
  EXPECT_TRUE(FailedAtLine(Run(u"GET_POSITION\t%USER0%\t%USER1%\t%USER7%\n"), ScriptFailed, kSourceCommand, 1,
                           u"ユーザー変数%USER7%は呼び出し元から渡された配列にありません。"));
  EXPECT_TRUE(Typed().empty());
}

TEST_F(ScriptCommands, GetPositionEndedByTerminateStoresNothing) {
  cad.Cad().Type(u"ID\r1,2,3\r");  // an earlier report answers the terminated wait
  desktop.UserEvent(500, [this] { control->Terminate(); });
  EXPECT_EQ(Run(u"GET_POSITION\t%USER0%\t%USER1%\t%USER2%\n"), CancelByUser);
  EXPECT_EQ(vars[0], u"");
}

TEST_F(ScriptCommands, ShowMessageAsksYesNoWithAnExclamationAndStoresTheAnswer) {
  desktop.AnswerNextBox(platform::kIdNo);
  vars[1] = u"続けますか?";
  EXPECT_TRUE(Succeeded(
      Run(u"SHOW_MESSAGE\t%USER0%\t%USER1%^M次へ\t!YESNO\t確認\nSHOW_MESSAGE\t%USER2%\tもう一度\t!YESNO\n")));
  ASSERT_EQ(desktop.ShownBoxes().size(), 2u);
  const auto& box = desktop.ShownBoxes()[0];
  EXPECT_EQ(box.style, 48u + 4u);
  EXPECT_EQ(box.text, u"続けますか?\r次へ");
  EXPECT_EQ(box.caption, u"確認");
  EXPECT_EQ(box.owner, cad.main);
  EXPECT_EQ(vars[0], u"NO");
  EXPECT_EQ(desktop.ShownBoxes()[1].caption, u"PwAcadCtrl");
  EXPECT_EQ(vars[2], u"YES");
}

TEST_F(ScriptCommands, ShowMessageMapsIconsButtonsAndAnswers) {
  struct Case {
    std::u16string_view buttons;
    std::int32_t answer;
    std::uint32_t style;
    std::u16string_view stored;
  } cases[] = {
      {u"?OKCANCEL", platform::kIdCancel, 32 + 1, u"CANCEL"},
      {u"iOKONLY", platform::kIdOk, 64, u"OK"},
      {u"xYESNOCANCEL", platform::kIdYes, 16 + 3, u"YES"},
      {u"XOKONLY", platform::kIdOk, 16, u"OK"},
      {u"OKONLY", platform::kIdOk, 0, u"OK"},
      {u"OKCANCEL", platform::kIdAbort, 1, u""},
  };
  for (const Case& c : cases) {
    desktop.AnswerNextBox(c.answer);
    vars[0] = u"sentinel";
    vars[1] = c.buttons;
    EXPECT_TRUE(Succeeded(Run(u"SHOW_MESSAGE\t%USER0%\tmessage\t%USER1%\n")));
    EXPECT_EQ(desktop.ShownBoxes().back().style, c.style);
    EXPECT_EQ(vars[0], c.stored);
  }
}

TEST_F(ScriptCommands, ATerminateWhileTheBoxIsShownEndsTheScriptAfterThatLine) {
  desktop.on_box = [this](const platform::sim::MessageBoxRecord&) { control->Terminate(); };
  desktop.AnswerNextBox(platform::kIdYes);
  EXPECT_EQ(Run(u"SHOW_MESSAGE\t%USER0%\t続けますか?\t?YESNO\n%USER1%=not reached\n"), CancelByUser);
  EXPECT_EQ(vars[0], u"YES");  // the line itself ran to its end
  EXPECT_EQ(vars[1], u"");
}

TEST_F(ScriptCommands, ShowMessageWithTwoParametersStoresNothing) {
  vars[0] = u"kept";
  EXPECT_TRUE(Succeeded(Run(u"SHOW_MESSAGE\t%USER0%\t終わりました\n")));
  ASSERT_EQ(desktop.ShownBoxes().size(), 1u);
  EXPECT_EQ(desktop.ShownBoxes()[0].style, 0u);
  EXPECT_EQ(desktop.ShownBoxes()[0].caption, u"PwAcadCtrl");
  EXPECT_EQ(vars[0], u"kept");
}

TEST_F(ScriptCommands, ShowMessageRefusesMissingAndUndefinedParameters) {
  EXPECT_TRUE(FailedAtLine(Run(u"SHOW_MESSAGE\t%USER0%\n"), ScriptFailed, kSourceCommand, 1,
                           u"パラメータを省略することはできません。"));
  EXPECT_TRUE(
      FailedAtLine(Run(u"SHOW_MESSAGE\n"), 9, u"PwAcadCtrl", 1, u"インデックスが有効範囲にありません。"));
  EXPECT_TRUE(FailedAtLine(Run(u"SHOW_MESSAGE\t%USER0%\tmessage\t!\n"), ScriptFailed, kSourceCommand, 1,
                           u"未定義のパラメータが指定されています。"));
  EXPECT_TRUE(FailedAtLine(Run(u"SHOW_MESSAGE\t%USER0%\tmessage\tyesno\n"), ScriptFailed, kSourceCommand, 1,
                           u"未定義のパラメータが指定されています。"));
  EXPECT_TRUE(FailedAtLine(Run(u"SHOW_MESSAGE\tanswer\tmessage\tOKONLY\n"), ScriptFailed, kSourceCommand, 1,
                           kNotUserVariable(u"answer")));
  EXPECT_TRUE(desktop.ShownBoxes().empty());
}

TEST_F(ScriptCommands, CommandNamesAreExactAndCaseSensitive) {
  EXPECT_TRUE(FailedAtLine(Run(u"exit\n"), ScriptFailed, kSourceCommand, 1,
                           u"未定義のスクリプトコマンドが指定されています。"));
  EXPECT_TRUE(FailedAtLine(Run(u"\"EXIT \"x\n"), ScriptFailed, kSourceCommand, 1,
                           u"未定義のスクリプトコマンドが指定されています。"));
  EXPECT_TRUE(
      Succeeded(Run(u"  \"EXIT\"  \n%USER0%=not reached\n")));  // a field loses blanks and one pair of quotes
  EXPECT_EQ(vars[0], u"");
}

}  // namespace
}  // namespace plendra_test
