// Finding and describing another program's windows through the real user32:
// enumeration, titles in code page 932, classes, owners and liveness.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/platform.h"
#include "support/acad_window_program.h"

namespace {

using plendra_wine::AcadWindowProgram;

std::vector<platform::Hwnd> TopLevel(platform::WindowSystem& os) {
  std::vector<platform::Hwnd> all;
  EXPECT_TRUE(os.EnumWindows([&](platform::Hwnd w) {
    all.push_back(w);
    return true;
  }));
  return all;
}

class Win32Windows : public ::testing::Test {
 protected:
  platform::WindowSystem& os = platform::Current().Windows();
  AcadWindowProgram acad;
};

TEST_F(Win32Windows, EnumerationSeesAnotherProcessesWindowsAndStopsWhenAsked) {
  ASSERT_TRUE(acad.Started());
  const platform::Hwnd main = acad.WaitForWindow(u"AutoCAD LT 2002");
  const platform::Hwnd text = acad.WaitForWindow(u"AutoCAD LT ﾃｷｽﾄ");
  ASSERT_NE(main, 0);
  ASSERT_NE(text, 0);
  const auto all = TopLevel(os);
  EXPECT_NE(std::find(all.begin(), all.end(), main), all.end());
  EXPECT_NE(std::find(all.begin(), all.end(), text), all.end());

  int visited = 0;
  EXPECT_FALSE(os.EnumWindows([&](platform::Hwnd) { return ++visited < 2; }));
  EXPECT_EQ(visited, 2);
}

TEST_F(Win32Windows, ChildEnumerationFindsTheTextWindowsChildrenOnly) {
  const platform::Hwnd text = acad.WaitForWindow(u"AutoCAD LT ﾃｷｽﾄ");
  ASSERT_NE(text, 0);
  std::vector<std::u16string> titles;
  EXPECT_TRUE(os.EnumChildWindows(text, [&](platform::Hwnd w) {
    titles.push_back(os.Title(w, os.TitleLength(w) + 1));
    return true;
  }));
  std::sort(titles.begin(), titles.end());
  EXPECT_EQ(titles, (std::vector<std::u16string>{u"Headlands", u"MountTam"}));

  EXPECT_FALSE(os.EnumChildWindows(text, [](platform::Hwnd) { return false; }));
  EXPECT_FALSE(os.EnumChildWindows(0x7FFFFFF0, [](platform::Hwnd) { return true; }));
}

TEST_F(Win32Windows, TitlesAreReadAsCodePage932BytesAndCutToTheBuffer) {
  const platform::Hwnd text = acad.WaitForWindow(u"AutoCAD LT ﾃｷｽﾄ");
  ASSERT_NE(text, 0);
  // 11 ASCII bytes and 11 half-width katakana of one byte each. For a Unicode
  // window the length is an upper bound, as user32 documents; the read is exact.
  EXPECT_GE(os.TitleLength(text), 22);
  EXPECT_EQ(os.Title(text, 23), u"AutoCAD LT ﾃｷｽﾄ ｳｨﾝﾄﾞｳ");
  // A buffer of n bytes holds n - 1 of them and the NUL.
  EXPECT_EQ(os.Title(text, 16), u"AutoCAD LT ﾃｷｽﾄ");
  EXPECT_EQ(os.Title(text, 0), u"");
}

TEST_F(Win32Windows, DoubleByteTitlesComeBackWhole) {
  AcadWindowProgram kanji({u"--main-title=図面 - [給水系統.dwg]", u"--text-title=テキスト"});
  const platform::Hwnd main = kanji.WaitForWindow(u"図面");
  ASSERT_NE(main, 0);
  // 6 double-byte characters and 11 single bytes.
  ASSERT_GE(os.TitleLength(main), 23);
  EXPECT_EQ(os.Title(main, os.TitleLength(main) + 1), u"図面 - [給水系統.dwg]");
  // A buffer of 15 bytes ends after 系; one of 16 ends inside 統, whose lone
  // first byte reads as U+30FB, as in the simulated desktop.
  EXPECT_EQ(os.Title(main, 15), u"図面 - [給水系");
  EXPECT_EQ(os.Title(main, 16), u"図面 - [給水系\u30FB");
}

TEST_F(Win32Windows, ClassThreadAndProcessAreTheCreatorsOwn) {
  const platform::Hwnd main = acad.WaitForWindow(u"AutoCAD LT 2002");
  ASSERT_NE(main, 0);
  EXPECT_EQ(os.ClassName(main, 260), u"AcadWinMain");
  EXPECT_EQ(os.ClassName(main, 6), u"AcadW");
  std::uint32_t process = 0;
  EXPECT_EQ(os.GetWindowThreadProcessId(main, &process), acad.ThreadId());
  EXPECT_EQ(process, acad.ProcessId());
}

TEST_F(Win32Windows, VisibilityFollowsTheParentsAndLivenessTheProcess) {
  AcadWindowProgram hidden({u"--main-title=Hidden docked", u"--text-title=Hidden text", u"--hide-command"});
  const platform::Hwnd main = hidden.WaitForWindow(u"Hidden docked");
  ASSERT_NE(main, 0);
  const platform::Hwnd docked = AcadWindowProgram::Child(main, u"Headlands");
  const platform::Hwnd log = AcadWindowProgram::Child(main, u"CopyDataLog");
  ASSERT_NE(docked, 0);
  EXPECT_TRUE(os.IsWindowVisible(main));
  EXPECT_FALSE(os.IsWindowVisible(docked));
  EXPECT_FALSE(os.IsWindowVisible(log));
  EXPECT_TRUE(os.IsWindow(docked));

  hidden.End();
  EXPECT_FALSE(os.IsWindow(main));
  EXPECT_FALSE(os.IsWindow(docked));
  EXPECT_EQ(os.TitleLength(main), 0);
  EXPECT_EQ(os.ClassName(main, 260), u"");
  EXPECT_EQ(os.GetWindowThreadProcessId(main, nullptr), 0u);
}

}  // namespace
