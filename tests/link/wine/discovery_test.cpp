// PwAcad::Search over the real desktop: acadwin's windows found in another
// process, with the text window's title in code page 932.
#include <gtest/gtest.h>

#include "link/errors.h"
#include "link/pw_acad.h"
#include "link/pw_control.h"
#include "support/acad_window_program.h"

namespace korvel {
namespace {

using plendra_wine::AcadWindowProgram;
using plendra_wine::WaitUntil;

TEST(Win32Discovery, DefaultTitlesFindAllFourWindowsOfOneProcess) {
  AcadWindowProgram acad;
  ASSERT_NE(acad.WaitForWindow(u"AutoCAD LT ﾃｷｽﾄ"), 0);
  ASSERT_NE(acad.WaitForWindow(u"AutoCAD LT 2002"), 0);
  PwAcad a;
  ASSERT_EQ(a.Search(), -1) << std::string(a.get_ErrDescription().begin(), a.get_ErrDescription().end());
  EXPECT_EQ(a.get_ErrNumber(), 0);
  EXPECT_NE(a.Control(), nullptr);

  EXPECT_EQ(a.get_MainWindowTitle(), u"AutoCAD LT 2002 - [Drawing1.dwg]");
  EXPECT_EQ(a.get_MainWindowClass(), u"AcadWinMain");
  EXPECT_EQ(a.get_TextWindowTitle(), u"AutoCAD LT ﾃｷｽﾄ ｳｨﾝﾄﾞｳ");
  EXPECT_EQ(a.get_TextWindowClass(), u"AcadWinText");
  EXPECT_EQ(a.get_CommandWindowTitle(), u"Headlands");
  EXPECT_EQ(a.get_CommandWindowClass(), u"AcadWinCommandLine");
  EXPECT_EQ(a.get_HistoryWindowTitle(), u"MountTam");
  const auto pid = static_cast<std::int32_t>(acad.ProcessId());
  const auto tid = static_cast<std::int32_t>(acad.ThreadId());
  for (std::int32_t p : {a.get_MainWindowProcessID(), a.get_TextWindowProcessID(),
                         a.get_CommandWindowProcessID(), a.get_HistoryWindowProcessID()})
    EXPECT_EQ(p, pid);
  EXPECT_EQ(a.get_MainWindowThreadID(), tid);
  EXPECT_TRUE(a.ControlExists());
}

TEST(Win32Discovery, WindowsThatAppearLaterAreFoundByALaterSearch) {
  AcadWindowProgram acad({u"--delay=500"});
  ASSERT_TRUE(acad.Started());
  PwAcad a;
  // Right after the start there is nothing to find yet, which must fail cleanly.
  if (a.Search() != -1) {
    EXPECT_EQ(a.get_ErrNumber(), SearchFailed);
    EXPECT_EQ(a.get_MainWindowHandle(), 0);
    EXPECT_EQ(a.Control(), nullptr);
  }
  EXPECT_TRUE(WaitUntil([&] { return a.Search() == -1; }));
  EXPECT_EQ(a.get_MainWindowProcessID(), static_cast<std::int32_t>(acad.ProcessId()));
}

TEST(Win32Discovery, WhenAutoCadEndsTheLinkIsLost) {
  AcadWindowProgram acad;
  ASSERT_NE(acad.WaitForWindow(u"AutoCAD LT ﾃｷｽﾄ"), 0);
  PwAcad a;
  ASSERT_EQ(a.Search(), -1);
  const auto control = a.Control();
  acad.End();
  EXPECT_EQ(control->PostCommand(u"LINE^M"), LinkFailed);
  EXPECT_EQ(a.get_ErrSource(), u"PwAcadCtrl.PwControl.PostCommand");
  EXPECT_FALSE(a.ControlExists());
  EXPECT_EQ(a.Search(), SearchFailed);
}

}  // namespace
}  // namespace korvel
