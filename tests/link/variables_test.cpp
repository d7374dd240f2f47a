// GetVariable and SetVariable against a scripted AutoCAD that answers a typed
// variable name with its value prompt.
#include <gtest/gtest.h>

#include "support/link_fixture.h"

namespace plendra_test {
namespace {

using korvel::CancelByUser;
using korvel::CommandFailed;
using korvel::LinkFailed;

constexpr std::u16string_view kCommand = u"ｺﾏﾝﾄﾞ: ";
constexpr std::u16string_view kDimscalePrompt = u"DIMSCALE に新しい値を入力 <  2.5 >: ";

class Variables : public LinkTest {
 protected:
  Variables() {
    // Typing a name shows its value prompt; Ctrl+C ends it, and a value typed
    // at the value prompt is set and brings the command prompt back 300 ms later.
    cad.on_input = [this](const std::u16string& typed) {
      if (typed == u"\x03") {
        cad.prompt = kCommand;
      } else if (typed == u"\x03\x03" u"DIMSCALE\r") {
        cad.prompt = kDimscalePrompt;
      } else if (cad.prompt == kDimscalePrompt && !typed.empty() && typed.back() == u'\r') {
        dimscale = typed.substr(0, typed.size() - 1);
        cad.prompt = u"";
        cad.PromptAfter(300, std::u16string(kCommand));
      }
    };
    control = Connect(acad);
  }

  ScriptedAcad cad{desktop};
  korvel::PwAcad acad;
  std::shared_ptr<korvel::PwControl> control;
  std::u16string dimscale = u"2.5";
};

TEST_F(Variables, ReadsTheValueBetweenTheBracketsAndCancelsThePrompt) {
  std::u16string value = u"sentinel";
  EXPECT_TRUE(Succeeded(control->GetVariable(u"DIMSCALE", value)));
  EXPECT_EQ(value, u"2.5");  // blanks around it removed
  ASSERT_EQ(cad.received.size(), 2u);
  EXPECT_EQ(cad.received[0],
            u"\x03\x03"
            u"DIMSCALE\r");
  EXPECT_EQ(cad.received[1], u"\x03");  // the raw character, not "^C"
}

TEST_F(Variables, ReturnsAsSoonAsTheValuePromptShowsWithoutWaitingForTheCommandPrompt) {
  cad.on_input = [this](const std::u16string& typed) {
    if (typed != u"\x03") cad.PromptAfter(200, u"DIMTXT に新しい値を入力 <3.5>: ");
  };
  std::u16string value;
  EXPECT_TRUE(Succeeded(control->GetVariable(u"DIMTXT", value)));
  EXPECT_EQ(value, u"3.5");
  EXPECT_LT(desktop.Queue().Elapsed(), 400u);
}

TEST_F(Variables, TypesTextHoldingKeystrokesUnchanged) {
  cad.on_input = [this](const std::u16string&) { cad.PromptAfter(0, u"値 <7>: "); };
  std::u16string value;
  EXPECT_TRUE(Succeeded(control->GetVariable(u"'DIMSCALE^M", value)));
  EXPECT_EQ(cad.received[0], u"'DIMSCALE\r");
  EXPECT_TRUE(Succeeded(control->GetVariable(u"^CDIMSCALE", value)));
  EXPECT_EQ(cad.received[2],
            u"\x03"
            u"DIMSCALE");
}

TEST_F(Variables, TakesTheValueFromTheFirstClosingBracketAfterTheOpeningOne) {
  cad.on_input = [this](const std::u16string& typed) {
    if (typed != u"\x03") cad.PromptAfter(0, u"A>B の値 <12>: ");
  };
  std::u16string value;
  EXPECT_TRUE(Succeeded(control->GetVariable(u"AB", value)));
  EXPECT_EQ(value, u"12");
}

TEST_F(Variables, TerminateStillTakesTheValueFromTheLastPromptRead) {
  cad.on_input = [this](const std::u16string& typed) {
    if (typed != u"\x03") cad.PromptAfter(0, u"処理中 <4> お待ち下さい");
  };
  desktop.UserEvent(1000, [this] { control->Terminate(); });
  std::u16string value = u"sentinel";
  EXPECT_EQ(control->GetVariable(u"X", value), CancelByUser);
  EXPECT_EQ(value, u"4");
  EXPECT_EQ(cad.received.back(), u"\x03");
  EXPECT_EQ(acad.get_ErrNumber(), 0);
}

TEST_F(Variables, TerminateLeavesTheValueWhenThePromptHasNoBracketedValue) {
  cad.on_input = nullptr;  // the command prompt stays
  desktop.UserEvent(1000, [this] { control->Terminate(); });
  std::u16string value = u"sentinel";
  EXPECT_EQ(control->GetVariable(u"DIMSCALE", value), CancelByUser);
  EXPECT_EQ(value, u"sentinel");
  EXPECT_EQ(cad.received.back(), u"\x03");
}

TEST_F(Variables, TimesOutWithTheValueUnchanged) {
  cad.on_input = nullptr;
  control->put_CommandTimeOut(5000);
  std::u16string value = u"sentinel";
  EXPECT_TRUE(Failed(control->GetVariable(u"NOSUCH", value), CommandFailed,
                     u"PwAcadCtrl.PwControl.GetVariable", u"待機時間内に指定した応答がありませんでした。"));
  EXPECT_EQ(value, u"sentinel");
  EXPECT_GE(desktop.Queue().Elapsed(), 5000u);
  EXPECT_EQ(cad.received.size(), 1u);  // no Ctrl+C after a failure
}

TEST_F(Variables, ALostLinkEndsTheWaitWithTheReadsError) {
  cad.on_input = [this](const std::u16string&) { desktop.After(500, [this] { cad.Quit(); }); };
  std::u16string value = u"sentinel";
  EXPECT_TRUE(Failed(control->GetVariable(u"DIMSCALE", value), LinkFailed, u"PwAcadCtrl.PwControl.GetPrompt",
                     u"AutoCADが起動していないか、応答がありません。"));
  EXPECT_EQ(value, u"sentinel");
}

TEST_F(Variables, SetTypesNameThenValueAndWaitsForTheCommandPrompt) {
  EXPECT_TRUE(Succeeded(control->SetVariable(u"DIMSCALE", u"10")));
  EXPECT_EQ(dimscale, u"10");
  ASSERT_EQ(cad.received.size(), 2u);
  EXPECT_EQ(cad.received[1], u"10\r");
  EXPECT_GE(desktop.Queue().Elapsed(), 300u);  // the command prompt came back at 300 ms
}

TEST_F(Variables, SetComparesTheCommandPromptExactlyEvenWithPatternMatching) {
  // A prompt that only fits as a pattern must not end the wait.
  acad.put_CommandPrompt(u"ｺﾏﾝﾄﾞ*");
  control->put_CommandTimeOut(3000);
  EXPECT_TRUE(Failed(control->SetVariable(u"DIMSCALE", u"10"), CommandFailed,
                     u"PwAcadCtrl.PwControl.SetVariable", u"待機時間内に指定した応答がありませんでした。"));
}

TEST_F(Variables, SetTimesOutWhenAutoCadAsksForTheValueAgain) {
  cad.on_input = [this](const std::u16string& typed) {
    if (typed != u"\x03") cad.prompt = kDimscalePrompt;
  };
  control->put_CommandTimeOut(2000);
  EXPECT_TRUE(Failed(control->SetVariable(u"DIMSCALE", u"abc"), CommandFailed,
                     u"PwAcadCtrl.PwControl.SetVariable", u"待機時間内に指定した応答がありませんでした。"));
}

TEST_F(Variables, WithoutTimeOutOnlyTerminateEndsTheWait) {
  cad.on_input = nullptr;
  cad.prompt = u"別のプロンプト: ";
  control->put_CommandTimeOut(-5);
  desktop.UserEvent(3'600'000, [this] { control->Terminate(); });
  EXPECT_EQ(control->SetVariable(u"DIMSCALE", u"1"), CancelByUser);
  EXPECT_GE(desktop.Queue().Elapsed(), 3'600'000u);
}

TEST_F(Variables, ATerminateBeforeTheCallHasNoEffect) {
  control->Terminate();
  std::u16string value;
  EXPECT_TRUE(Succeeded(control->GetVariable(u"DIMSCALE", value)));
  EXPECT_EQ(value, u"2.5");
}

}  // namespace
}  // namespace plendra_test
