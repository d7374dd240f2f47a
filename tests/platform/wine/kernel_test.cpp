// Time, folders and programs through the real kernel32 and shell32.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/platform.h"
#include "support/acad_window_program.h"

namespace {

platform::Platform& Os() { return platform::Current(); }

TEST(Win32Clock, SleepAdvancesTheTickCountAndANegativeSleepIsNone) {
  auto& clock = Os().Time();
  const std::uint32_t start = clock.TickCount();
  clock.Sleep(50);
  // The counter moves in coarse steps, so only that it moved is certain. A
  // counter that stood still would make every wait of the library endless.
  EXPECT_NE(clock.TickCount(), start);
  // Passed on unclamped this would be a wait of about 49 days.
  clock.Sleep(-5);
  clock.Sleep(-1);
}

TEST(Win32Codec, TheRealPlatformConvertsWithTheSystemCodePage) {
  auto& codec = Os().Codec();
  EXPECT_EQ(codec.CodePage(), GetACP());
  ASSERT_EQ(codec.CodePage(), 932u) << "the Japanese tests need LC_ALL=ja_JP.UTF-8 under Wine";
  // Characters outside the code page become "?", never a look-alike.
  EXPECT_EQ(codec.ToAnsi(u"café"), "caf?");
  EXPECT_EQ(codec.ToAnsi(u"ｺﾏﾝﾄﾞ: "), "\xba\xcf\xdd\xc4\xde: ");
}

TEST(Win32Files, TempPathIsTheReportedBytesOrNothingWhenTheBufferIsShort) {
  auto& files = Os().Folders();
  const std::string path = files.TempPathAnsi(260);
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.back(), '\\');
  EXPECT_EQ(path.find('\0'), std::string::npos);
  // n + 1 bytes hold the path and its NUL; n bytes are too few.
  const int n = static_cast<int>(path.size());
  EXPECT_EQ(files.TempPathAnsi(n + 1), path);
  EXPECT_EQ(files.TempPathAnsi(n), "");
  EXPECT_EQ(files.TempPathAnsi(0), "");
}

TEST(Win32Files, ProgramFolderHoldsTheRunningProgram) {
  const std::u16string folder = Os().Folders().ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), u'\\');
  EXPECT_TRUE(Os().Programs().FileExists(folder + u"win32_platform_tests.exe"));
  EXPECT_TRUE(Os().Programs().FileExists(folder + u"acadwin.exe"));
  EXPECT_FALSE(Os().Programs().FileExists(folder + u"no such program.exe"));
}

TEST(Win32Processes, AShellStartedProgramCanBeFollowedToItsEnd) {
  auto& programs = Os().Programs();
  const std::u16string acadwin = Os().Folders().ProgramFolder() + u"acadwin.exe";
  platform::ProcessHandle process = 0;
  ASSERT_TRUE(programs.ShellExecuteOpen(acadwin, u"--main-title=Shell started --text-title=Shell text", 0,
                                        true, &process));
  ASSERT_NE(process, 0u);
  EXPECT_EQ(programs.WaitForInputIdle(process, plendra_wine::kPatienceMs), 0);
  std::uint32_t code = 0;
  EXPECT_TRUE(programs.GetExitCodeProcess(process, &code));
  EXPECT_EQ(code, platform::kStillActive);

  const HANDLE handle = reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(process));
  TerminateProcess(handle, 7);
  WaitForSingleObject(handle, plendra_wine::kPatienceMs);
  EXPECT_TRUE(programs.GetExitCodeProcess(process, &code));
  EXPECT_EQ(code, 7u);
  programs.CloseHandle(process);
}

TEST(Win32Processes, AMissingProgramIsNotStarted) {
  platform::ProcessHandle process = 99;
  EXPECT_FALSE(Os().Programs().ShellExecuteOpen(u"C:\\no\\such\\acad.exe", u"", 0, true, &process));
  EXPECT_EQ(process, 0u);
}

}  // namespace
