// Message boxes through the real user32: owner, Japanese texts and answers.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

#include "platform/platform.h"
#include "support/acad_window_program.h"

namespace {

using plendra_wine::AcadWindowProgram;
using plendra_wine::WaitUntil;

struct SeenBox {
  HWND owner = nullptr;
  std::wstring caption, text;
};

// Plays the user: waits for this process's message box, notes what it shows
// and presses the given button.
void PressWhenShown(DWORD thread, int button, SeenBox& seen) {
  HWND box = nullptr;
  WaitUntil([&] {
    EnumThreadWindows(
        thread,
        [](HWND w, LPARAM found) noexcept CALLBACK -> BOOL {  // stdcall on 32-bit Windows
          wchar_t cls[16] = {};
          GetClassNameW(w, cls, 16);
          // Shown only once its texts are set.
          if (std::wstring(cls) != L"#32770" || !IsWindowVisible(w)) return TRUE;
          *reinterpret_cast<HWND*>(found) = w;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&box));
    return box != nullptr;
  });
  if (box == nullptr) return;
  seen.owner = GetWindow(box, GW_OWNER);
  wchar_t buffer[256] = {};
  GetWindowTextW(box, buffer, 256);
  seen.caption = buffer;
  // The static control holding the message text has the id 0xFFFF.
  GetDlgItemTextW(box, 0xFFFF, buffer, 256);
  seen.text = buffer;
  PostMessageW(box, WM_COMMAND, button, 0);
}

TEST(Win32Dialogs, ABoxOwnedByAnotherProgramsWindowShowsTheTextsAndReturnsTheAnswer) {
  AcadWindowProgram acad;
  const platform::Hwnd main = acad.WaitForWindow(u"AutoCAD LT 2002");
  ASSERT_NE(main, 0);
  SeenBox seen;
  std::thread user(PressWhenShown, GetCurrentThreadId(), IDNO, std::ref(seen));
  const std::int32_t answer = platform::Current().Boxes().ShowBox(
      main, u"系統を選んで下さい", u"Plendra", platform::kMbYesNo | platform::kMbIconQuestion);
  user.join();
  EXPECT_EQ(answer, platform::kIdNo);
  EXPECT_EQ(seen.owner, reinterpret_cast<HWND>(static_cast<INT_PTR>(main)));
  EXPECT_EQ(seen.caption, L"Plendra");
  EXPECT_EQ(seen.text, L"系統を選んで下さい");
}

}  // namespace
