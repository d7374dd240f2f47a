// Messages to another process's windows through the real user32: copy-data
// as typed input, window text that is not the title, and sends that must not
// wait for ever.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "support/acad_window_program.h"

namespace {

using plendra_wine::AcadWindowProgram;
using plendra_wine::WaitUntil;

// The way the link library hands over typed input: the bytes and a NUL at the
// start of a zeroed 256-byte buffer.
std::intptr_t Type(platform::WindowSystem& os, platform::Hwnd window, std::string_view bytes,
                   std::uint32_t cb_data) {
  std::array<std::byte, 256> buffer{};
  std::memcpy(buffer.data(), bytes.data(), bytes.size());
  return os.SendCopyData(window, 1, buffer, cb_data);
}

std::u16string WindowText(platform::WindowSystem& os, platform::Hwnd window) {
  std::intptr_t copied = 0;
  return os.SendGetText(window, static_cast<int>(os.SendGetTextLength(window) + 1), &copied);
}

class Win32Messages : public ::testing::Test {
 protected:
  void SetUp() override {
    main = acad.WaitForWindow(u"AutoCAD LT 2002");
    const platform::Hwnd text = acad.WaitForWindow(u"AutoCAD LT ﾃｷｽﾄ");
    ASSERT_NE(main, 0);
    ASSERT_NE(text, 0);
    command = AcadWindowProgram::Child(text, u"Headlands");
    history = AcadWindowProgram::Child(text, u"MountTam");
    ASSERT_NE(command, 0);
    ASSERT_NE(history, 0);
  }

  platform::WindowSystem& os = platform::Current().Windows();
  AcadWindowProgram acad;
  platform::Hwnd main = 0, command = 0, history = 0;
};

TEST_F(Win32Messages, WindowTextIsThePromptWhileTheTitleStaysInternal) {
  EXPECT_EQ(os.Title(command, 64), u"Headlands");
  EXPECT_GE(os.SendGetTextLength(command), 7);
  std::intptr_t copied = 0;
  EXPECT_EQ(os.SendGetText(command, 8, &copied), u"ｺﾏﾝﾄﾞ: ");
  EXPECT_EQ(copied, 7);
  // A short buffer gets what fits and its NUL.
  EXPECT_EQ(os.SendGetText(command, 4, &copied), u"ｺﾏﾝ");
  EXPECT_EQ(copied, 3);
}

TEST_F(Win32Messages, CopyDataIsTypedInputUpToTheNul) {
  // cbData counts two bytes a character plus one, more than the bytes used:
  // the receiver must stop at the NUL.
  EXPECT_NE(Type(os, main, "LINE", 9), 0);
  EXPECT_EQ(WindowText(os, command), u"ｺﾏﾝﾄﾞ: LINE");
  EXPECT_NE(Type(os, main, "\r", 3), 0);
  EXPECT_EQ(WindowText(os, command), u"ｺﾏﾝﾄﾞ: ");
  EXPECT_EQ(WindowText(os, history), u"ｺﾏﾝﾄﾞ: LINE\r\n");
}

TEST_F(Win32Messages, JapaneseInputArrivesAsCodePage932) {
  const std::string bytes = platform::Current().Codec().ToAnsi(u"給水-1\r");
  EXPECT_EQ(bytes, "\x8b\x8b\x90\x85-1\r");
  EXPECT_NE(Type(os, main, bytes, 11), 0);
  EXPECT_EQ(WindowText(os, history), u"ｺﾏﾝﾄﾞ: 給水-1\r\n");
  // The length leaves room for every ANSI byte: 7 + 6 + 2.
  EXPECT_GE(os.SendGetTextLength(history), 15);
}

TEST_F(Win32Messages, RefusedCopyDataAndWindowsThatAreGoneGiveZero) {
  AcadWindowProgram refusing({u"--main-title=Refusing main", u"--text-title=Refusing text", u"--refuse"});
  const platform::Hwnd refusing_main = refusing.WaitForWindow(u"Refusing main");
  ASSERT_NE(refusing_main, 0);
  EXPECT_EQ(Type(os, refusing_main, "LINE\r", 11), 0);
  EXPECT_TRUE(os.PostNull(refusing_main));

  refusing.End();
  EXPECT_EQ(Type(os, refusing_main, "LINE\r", 11), 0);
  EXPECT_EQ(os.SendGetTextLength(refusing_main), 0);
  EXPECT_FALSE(os.PostNull(refusing_main));
}

TEST_F(Win32Messages, AHungReceiverCostsABoundedWaitNotTheCallersThread) {
  AcadWindowProgram hung({u"--main-title=Hung main", u"--text-title=Hung text", u"--hang"});
  const platform::Hwnd hung_main = hung.WaitForWindow(u"Hung main");
  const platform::Hwnd hung_text = hung.WaitForWindow(u"Hung text");
  ASSERT_NE(hung_main, 0);
  ASSERT_NE(hung_text, 0);
  const platform::Hwnd hung_command = AcadWindowProgram::Child(hung_text, u"Headlands");
  // The receiver never returns from this message; without the bounded wait the
  // test would block here until CTest's time-out.
  EXPECT_EQ(Type(os, hung_main, "LINE\r", 11), 0);
  // Its thread is stuck, so every later message goes unanswered too.
  EXPECT_EQ(os.SendGetTextLength(hung_command), 0);
  std::intptr_t copied = -1;
  EXPECT_EQ(os.SendGetText(hung_command, 16, &copied), u"");
  EXPECT_EQ(copied, 0);
}

TEST_F(Win32Messages, PumpRunsTheCallersOwnPostedMessages) {
  // A window of the test's own thread, as the client program's windows are.
  static int commands = 0;
  struct Proc {
    static LRESULT CALLBACK Run(HWND w, UINT m, WPARAM wp, LPARAM lp) noexcept {
      if (m == WM_COMMAND) ++commands;
      return DefWindowProcW(w, m, wp, lp);
    }
  };
  WNDCLASSW c{};
  c.lpfnWndProc = Proc::Run;
  c.hInstance = GetModuleHandleW(nullptr);
  c.lpszClassName = L"PumpTestWindow";
  RegisterClassW(&c);
  HWND own = CreateWindowExW(0, L"PumpTestWindow", L"own", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(own, nullptr);
  PostMessageW(own, WM_COMMAND, 1, 0);
  PostMessageW(own, WM_COMMAND, 2, 0);
  EXPECT_EQ(commands, 0);
  os.PumpMessages();
  EXPECT_EQ(commands, 2);

  // A quit request survives the pass for the program's own loop.
  PostQuitMessage(3);
  os.PumpMessages();
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(m.wParam, 3u);
  DestroyWindow(own);
}

}  // namespace
