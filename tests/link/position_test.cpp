// GetPosition: the ID command typed, the picked point read from the history.
#include <gtest/gtest.h>

#include "support/link_fixture.h"

namespace plendra_test {
namespace {

using korvel::CancelByUser;
using korvel::CommandFailed;

constexpr std::u16string_view kCommand = u"ｺﾏﾝﾄﾞ: ";

class Position : public LinkTest {
 protected:
  Position() {
    control = Connect(acad);
    cad.history_text = u"ｺﾏﾝﾄﾞ: LINE\r\n";
  }

  // The user picks after pick_ms; ID prints report_line and the command
  // prompt returns.
  void PickAfter(std::uint64_t pick_ms, std::u16string report_line) {
    cad.on_input = [this, pick_ms, report_line](const std::u16string&) {
      cad.prompt = u"点を指定: ";
      desktop.After(pick_ms, [this, report_line] {
        cad.history_text += u"ｺﾏﾝﾄﾞ: _id 点を指定: " + report_line + u"\r\n";
        cad.prompt = kCommand;
      });
    };
  }

  ScriptedAcad cad{desktop};
  korvel::PwAcad acad;
  std::shared_ptr<korvel::PwControl> control;
  double x = -99, y = -99, z = -99;
};

TEST_F(Position, ReadsThePickedPointFromTheHistory) {
  PickAfter(2000, u" X = 1250.5000     Y = -30.2500     Z = 0.0000");
  EXPECT_TRUE(Succeeded(control->GetPosition(x, y, z)));
  EXPECT_EQ(cad.received.at(0), u"\x03\x03_id\r");
  EXPECT_DOUBLE_EQ(x, 1250.5);
  EXPECT_DOUBLE_EQ(y, -30.25);
  EXPECT_DOUBLE_EQ(z, 0.0);
  EXPECT_GE(desktop.Queue().Elapsed(), 2000u);
}

TEST_F(Position, TakesTheLastReportAndTheLeadingNumberAfterZ) {
  cad.history_text = u"ｺﾏﾝﾄﾞ: _id 点を指定:  X = 1.0000  Y = 2.0000  Z = 3.0000\r\n";
  PickAfter(100, u" X = 1,234.5  Y = 6E2  Z = 7.25ｺﾏﾝﾄﾞ:");
  EXPECT_TRUE(Succeeded(control->GetPosition(x, y, z)));
  EXPECT_DOUBLE_EQ(x, 1234.5);  // thousands separator
  EXPECT_DOUBLE_EQ(y, 600.0);
  EXPECT_DOUBLE_EQ(z, 7.25);
}

TEST_F(Position, FailsWithoutAReportAndLeavesTheCoordinates) {
  cad.on_input = [this](const std::u16string&) { cad.history_text += u"ｺﾏﾝﾄﾞ: _id\r\n"; };
  EXPECT_TRUE(Failed(control->GetPosition(x, y, z), CommandFailed, u"PwAcadCtrl.PwControl.GetPosition",
                     u"指定した点の座標値を取得することができませんでした。"));
  EXPECT_EQ(x, -99);
  EXPECT_EQ(y, -99);
  EXPECT_EQ(z, -99);
}

TEST_F(Position, FailsWhenTheMarkersAreOutOfOrder) {
  PickAfter(0, u" Y = 1  X = 2  Z = 3");
  EXPECT_TRUE(Failed(control->GetPosition(x, y, z), CommandFailed, u"PwAcadCtrl.PwControl.GetPosition",
                     u"指定した点の座標値を取得することができませんでした。"));
  EXPECT_EQ(x, -99);
}

TEST_F(Position, ACoordinateThatIsNoNumberIsATypeMismatchAfterTheEarlierOnesWereStored) {
  PickAfter(0, u" X = 5  Y = ---  Z = 3");
  EXPECT_TRUE(Failed(control->GetPosition(x, y, z), 13, u"PwAcadCtrl", u"型が一致しません。"));
  EXPECT_DOUBLE_EQ(x, 5.0);
  EXPECT_EQ(y, -99);
  EXPECT_EQ(z, -99);
}

TEST_F(Position, TerminateStillReadsAnEarlierReport) {
  cad.history_text = u"点を指定:  X = 1  Y = 2  Z = 3\r\n";
  cad.on_input = [this](const std::u16string&) { cad.prompt = u"点を指定: "; };
  desktop.UserEvent(5000, [this] { control->Terminate(); });
  EXPECT_EQ(control->GetPosition(x, y, z), CancelByUser);
  EXPECT_DOUBLE_EQ(x, 1.0);
  EXPECT_DOUBLE_EQ(y, 2.0);
  EXPECT_DOUBLE_EQ(z, 3.0);
}

TEST_F(Position, TerminateWithoutAnyReportIsThePointFailure) {
  cad.on_input = [this](const std::u16string&) { cad.prompt = u"点を指定: "; };
  desktop.UserEvent(5000, [this] { control->Terminate(); });
  EXPECT_TRUE(Failed(control->GetPosition(x, y, z), CommandFailed, u"PwAcadCtrl.PwControl.GetPosition",
                     u"指定した点の座標値を取得することができませんでした。"));
}

TEST_F(Position, WaitsForTheExactCommandPromptAndTimesOut) {
  cad.on_input = [this](const std::u16string&) { cad.prompt = u"ｺﾏﾝﾄﾞ: _id"; };
  acad.put_CommandPrompt(u"ｺﾏﾝﾄﾞ: *");  // a pattern would match; exact comparison does not
  control->put_CommandTimeOut(1000);
  EXPECT_TRUE(Failed(control->GetPosition(x, y, z), CommandFailed, u"PwAcadCtrl.PwControl.GetPosition",
                     u"待機時間内に指定した応答がありませんでした。"));
}

}  // namespace
}  // namespace plendra_test
