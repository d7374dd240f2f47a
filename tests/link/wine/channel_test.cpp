// The command-line channel over real copy-data and WM_GETTEXT messages to
// acadwin in another process.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "link/errors.h"
#include "link/pw_acad.h"
#include "link/pw_control.h"
#include "support/acad_window_program.h"

namespace korvel {
namespace {

using plendra_wine::AcadWindowProgram;

class Win32Channel : public ::testing::Test {
 protected:
  // Starts acadwin with the given options and searches for it.
  void Connect(std::vector<std::u16string> options = {}) {
    acad = std::make_unique<AcadWindowProgram>(std::move(options));
    ASSERT_NE(acad->WaitForWindow(u"AutoCAD LT ﾃｷｽﾄ"), 0);
    ASSERT_NE(acad->WaitForWindow(u"AutoCAD LT 2002"), 0);
    ASSERT_EQ(a.Search(), -1);
    control = a.Control();
    control->put_CheckInterval(20);
  }

  std::u16string History() {
    std::u16string text;
    EXPECT_EQ(control->GetHistory(text), -1);
    return text;
  }

  std::unique_ptr<AcadWindowProgram> acad;
  PwAcad a;
  std::shared_ptr<PwControl> control;
};

TEST_F(Win32Channel, SendCommandHandsOverTheLineAndWaitsForThePrompt) {
  Connect({u"--busy=300"});
  ASSERT_EQ(control->SendCommand(u"REGEN^M"), -1) << a.get_ErrNumber();
  EXPECT_EQ(a.get_ErrNumber(), 0);
  // acadwin keeps its command line empty for a while after each command; the
  // wait read through that and returned only once the prompt was back.
  std::u16string prompt;
  ASSERT_EQ(control->GetPrompt(prompt), -1);
  EXPECT_EQ(prompt, u"ｺﾏﾝﾄﾞ: ");
  EXPECT_EQ(History(), u"ｺﾏﾝﾄﾞ: REGEN\r\n");
}

TEST_F(Win32Channel, JapaneseAndControlCodesArriveAsTyped) {
  Connect();
  ASSERT_EQ(control->SendCommand(u"-LAYER^MS^M給水-1^M^C"), -1);
  EXPECT_EQ(History(), u"ｺﾏﾝﾄﾞ: -LAYER\r\nｺﾏﾝﾄﾞ: S\r\nｺﾏﾝﾄﾞ: 給水-1\r\nｺﾏﾝﾄﾞ: *ｷｬﾝｾﾙ*\r\n");
  // One message: 15 characters once the codes are expanded.
  EXPECT_EQ(acad->CopyDataSizes(), (std::vector<std::uint32_t>{2 * 15 + 1}));
}

TEST_F(Win32Channel, ACommandLongerThan127CharactersArrivesWholeInConsecutiveMessages) {
  Connect();
  std::u16string path = u"C:\\";
  while (path.size() < 190) path += u"配管図面\\";
  const std::u16string command = u"-INSERT " + path + u"Plendra1.dwg";
  ASSERT_GT(command.size(), 127u);
  ASSERT_EQ(control->SendCommand(command + u"^M"), -1) << a.get_ErrNumber();
  EXPECT_EQ(History(), u"ｺﾏﾝﾄﾞ: " + command + u"\r\n");
  const std::size_t chars = command.size() + 1;  // with the Enter
  EXPECT_EQ(acad->CopyDataSizes(),
            (std::vector<std::uint32_t>{255, static_cast<std::uint32_t>(2 * (chars - 127) + 1)}));
}

TEST_F(Win32Channel, WaitPromptMatchesADoubleBytePromptByPattern) {
  Connect();
  ASSERT_EQ(control->PostCommand(u"ID^M"), -1);
  ASSERT_EQ(control->WaitPrompt(u"点を*"), -1);
  std::u16string prompt;
  ASSERT_EQ(control->GetPrompt(prompt), -1);
  EXPECT_EQ(prompt, u"点を指定: ");
  ASSERT_EQ(control->SendCommand(u"10,20^M"), -1);
  std::u16string tail;
  ASSERT_EQ(control->GetHistory(tail, u"点を指定: "), -1);
  EXPECT_EQ(tail, u"点を指定: 10,20\r\n");
}

TEST_F(Win32Channel, APromptThatNeverComesTimesOut) {
  Connect();
  // Long enough for the typed text to be taken on a loaded machine: the
  // time-out also bounds that, and the failure must come from the wait.
  control->put_CommandTimeOut(2000);
  EXPECT_EQ(control->SendCommand(u"LINE^M", u"始点を指定:*"), CommandFailed);
  EXPECT_EQ(a.get_ErrSource(), u"PwAcadCtrl.PwControl.SendCommand");
  EXPECT_EQ(a.get_ErrDescription(), u"待機時間内に指定した応答がありませんでした。");
}

TEST_F(Win32Channel, RefusedCommandIsCommandFailed) {
  Connect({u"--refuse"});
  EXPECT_EQ(control->SendCommand(u"LINE^M"), CommandFailed);
  EXPECT_EQ(a.get_ErrSource(), u"PwAcadCtrl.PwControl.PostCommand");
  EXPECT_EQ(a.get_ErrDescription(), u"AutoCADが起動していないか、応答がありません。");
}

// A hung AutoCAD and a busy one look the same from here: the send that hands
// over the line is given the command's own time-out, and fails at its end.
TEST_F(Win32Channel, AHungAutoCadMakesSendCommandFailAtItsTimeOut) {
  Connect({u"--hang"});
  control->put_CommandTimeOut(1500);
  const DWORD start = GetTickCount();
  EXPECT_EQ(control->SendCommand(u"LINE^M"), CommandFailed);
  EXPECT_GE(GetTickCount() - start, 1500u);
  EXPECT_EQ(a.get_ErrSource(), u"PwAcadCtrl.PwControl.PostCommand");
}

TEST_F(Win32Channel, AHiddenDockedCommandLineIsWindowClosed) {
  Connect({u"--hide-command"});
  EXPECT_EQ(control->PostCommand(u"LINE^M"), WindowClosed);
  a.put_CheckMainCmdWindow(false);
  EXPECT_EQ(control->PostCommand(u"LINE^M"), -1);
}

}  // namespace
}  // namespace korvel
