// Under Wine: PwAcad::Execute starting cadsim.exe in mode WaitPrompt, and the
// example scripts run through pwscript.exe against it, as a user runs them.
#include <gtest/gtest.h>
#include <windows.h>

// after windows.h
#include <tlhelp32.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "app/releases.h"
#include "child_process.h"
#include "link/pw_acad.h"
#include "link/pw_control.h"

namespace wine_scripts {
namespace {

std::u16string U16(const std::wstring& w) { return std::u16string(w.begin(), w.end()); }

std::wstring Example(const char* name) {
  const char* root = std::getenv("PLENDRA_SOURCE_DIR");
  return WindowsPath(std::string(root != nullptr ? root : ".") + "/data/scripts/" + name);
}

std::wstring Pwscript(const std::wstring& script) {
  return L"\"" + ProgramFolder() + L"pwscript.exe\" \"" + script + L"\"";
}

// The top-level windows whose titles begin with "AutoCAD", with their
// processes, for a failure message. With close, they are asked to close: a
// program that Execute started but did not connect to would otherwise hold
// the test's output open.
std::string AutoCadWindows(bool close) {
  struct Found {
    bool close;
    std::string text;
  } found{close, {}};
  EnumWindows(
      [](HWND w, LPARAM p) noexcept CALLBACK -> BOOL {
        auto* f = reinterpret_cast<Found*>(p);
        char title[256] = {};
        GetWindowTextA(w, title, sizeof title);
        if (std::string_view(title).starts_with("AutoCAD")) {
          DWORD pid = 0;
          GetWindowThreadProcessId(w, &pid);
          f->text += "[" + std::string(title) + " pid " + std::to_string(pid) +
                     (IsWindowVisible(w) ? "" : " hidden") + "]";
          if (f->close) PostMessageW(w, WM_CLOSE, 0, 0);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found.text;
}

class WineScripts : public ::testing::Test {
 protected:
  // cadsim.exe imitating the release row, started and waited for by Execute.
  std::int32_t Launch(int release, const std::u16string& more = u"") {
    plendra::ApplyRelease(acad, static_cast<std::size_t>(release));
    const std::u16string parameter = u"--release " + U16(std::to_wstring(release)) + more;
    const std::int32_t r =
        acad.Execute(U16(ProgramFolder() + L"cadsim.exe"), parameter, 0, korvel::WaitPrompt);
    if (r == -1) {
      // The library never keeps the process; it is found again by its window.
      DWORD pid = 0;
      GetWindowThreadProcessId(
          reinterpret_cast<HWND>(static_cast<std::intptr_t>(acad.get_MainWindowHandle())), &pid);
      cadsim_process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
    } else {
      ADD_FAILURE() << "Execute gave " << r << "; AutoCAD windows then: " << AutoCadWindows(false);
      // The program may still be making its windows: wait for them to close them.
      std::string windows;
      for (const DWORD start = GetTickCount(); windows.empty() && GetTickCount() - start < 10000; Sleep(100))
        windows = AutoCadWindows(true);
    }
    return r;
  }

  ~WineScripts() override {
    if (cadsim_process == nullptr) return;
    PostMessageW(reinterpret_cast<HWND>(static_cast<std::intptr_t>(acad.get_MainWindowHandle())), WM_CLOSE, 0,
                 0);
    WaitForEndOrEnd(cadsim_process);
    CloseHandle(cadsim_process);
  }

  korvel::PwAcad acad;
  HANDLE cadsim_process = nullptr;
};

TEST_F(WineScripts, ExecuteWaitPromptEndsWithAWorkingChannel) {
  ASSERT_EQ(Launch(6), -1) << "ErrNumber " << acad.get_ErrNumber();
  const std::shared_ptr<korvel::PwControl> control = acad.Control();
  ASSERT_NE(control, nullptr);
  EXPECT_EQ(control->SetVariable(u"DIMSCALE", u"20"), -1);
  std::u16string value;
  EXPECT_EQ(control->GetVariable(u"DIMSCALE", value), -1);
  EXPECT_EQ(value, u"20.0000");
}

TEST_F(WineScripts, ExecuteWaitsForWindowsMadeAfterASplashScreen) {
  // cadsim.exe is idle for input under its splash screen for 2 s before it
  // makes the AutoCAD windows, as AutoCAD is while it loads.
  const DWORD start = GetTickCount();
  ASSERT_EQ(Launch(3, u" --splash 2000"), -1) << "ErrNumber " << acad.get_ErrNumber();
  EXPECT_GE(GetTickCount() - start, 2000u);
  std::u16string value;
  EXPECT_EQ(acad.Control()->GetVariable(u"DIMSCALE", value), -1);
}

TEST_F(WineScripts, ExecuteOfAMissingProgramStartsNothing) {
  EXPECT_EQ(acad.Execute(U16(ProgramFolder() + L"no-such-cad.exe"), u"", 0, korvel::WaitPrompt),
            korvel::FileNotFound);
  EXPECT_EQ(acad.Control(), nullptr);
}

TEST_F(WineScripts, ExampleScriptsRunThroughPwscript) {
  ASSERT_EQ(Launch(3, u" --picks 1000:at:120.5;80"), -1) << "ErrNumber " << acad.get_ErrNumber();
  ASSERT_EQ(acad.Control()->SetVariable(u"DIMSCALE", u"50"), -1);

  const ChildResult textsize = RunChild(Pwscript(Example("textsize_from_dimscale.scr")), {}, 60000);
  ASSERT_TRUE(textsize.finished);
  EXPECT_EQ(textsize.exit_code, 0u) << textsize.output;
  EXPECT_NE(textsize.output.find("%USER1%=125\r\n"), std::string::npos) << textsize.output;

  const ChildResult ask =
      RunChild(Pwscript(Example("ask_yes_no.scr")), {{L"再作図", IDNO}, {L"再作図", IDOK}}, 60000);
  ASSERT_TRUE(ask.finished);
  EXPECT_EQ(ask.exit_code, 0u);
  EXPECT_EQ(ask.boxes_answered, 2);
  EXPECT_NE(ask.output.find("%USER0%=NO\r\n"), std::string::npos) << ask.output;

  const ChildResult pick = RunChild(Pwscript(Example("pick_point.scr")), {{L"点の座標", IDOK}}, 60000);
  ASSERT_TRUE(pick.finished);
  EXPECT_EQ(pick.exit_code, 0u);
  EXPECT_NE(pick.output.find("%USER0%=120.5\r\n%USER1%=80\r\n%USER2%=0\r\n"), std::string::npos)
      << pick.output;
}

TEST_F(WineScripts, PwscriptExitsWithTheErrorNumber) {
  ASSERT_EQ(Launch(3), -1);
  const ChildResult missing = RunChild(Pwscript(Example("no_such_script.scr")), {}, 60000);
  ASSERT_TRUE(missing.finished);
  EXPECT_EQ(missing.exit_code, 53u);
  EXPECT_NE(missing.output.find("53 PwAcadCtrl"), std::string::npos) << missing.output;
}

// How many processes of this program file are running.
int Running(const wchar_t* file) {
  int n = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
    if (_wcsicmp(entry.szExeFile, file) == 0) ++n;
  CloseHandle(snapshot);
  return n;
}

std::wstring Cadsim() { return L"\"" + ProgramFolder() + L"cadsim.exe\" --release 8"; }

// The harness itself: what a child leaves running is ended with it, and what
// a test reports about the desktop when a child hangs.
TEST(ChildProcess, WhatTheChildStartedEndsWithIt) {
  EndProgramsWithWindows(L"AutoCAD");
  ASSERT_EQ(Running(L"cadsim.exe"), 0);
  // cmd returns as soon as it has started cadsim, which stays.
  const ChildResult run = RunChild(L"cmd.exe /c start \"\" " + Cadsim(), {}, 90000);
  ASSERT_TRUE(run.finished) << run.Describe();
  EXPECT_EQ(Running(L"cadsim.exe"), 0);
  EXPECT_EQ(EndProgramsWithWindows(L"AutoCAD"), "");
}

TEST(ChildProcess, TheDesktopIsDescribedAndItsProgramsEnded) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::wstring line = Cadsim();
  ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  HWND main = nullptr;
  for (const DWORD start = GetTickCount(); main == nullptr && GetTickCount() - start < 90000;
       WaitForSingleObject(pi.hProcess, 100))
    EnumWindows(
        [](HWND w, LPARAM found) noexcept CALLBACK -> BOOL {
          wchar_t title[64] = {};
          GetWindowTextW(w, title, 64);
          if (std::wstring(title).rfind(L"AutoCAD 2006", 0) != 0 || !IsWindowVisible(w)) return TRUE;
          *reinterpret_cast<HWND*>(found) = w;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&main));
  if (main == nullptr) TerminateProcess(pi.hProcess, 1);
  ASSERT_NE(main, nullptr) << DescribeWindows();

  const std::string pid = "pid " + std::to_string(pi.dwProcessId) + " ";
  const std::string windows = DescribeWindows();
  EXPECT_NE(windows.find(pid + "["), std::string::npos) << windows;
  EXPECT_NE(windows.find("\"AutoCAD 2006"), std::string::npos) << windows;

  const std::string shot = SaveScreenshot("desktop");
  std::ifstream picture(shot, std::ios::binary);
  char magic[2] = {};
  picture.read(magic, 2);
  EXPECT_EQ(std::string(magic, 2), "BM") << shot;

  const std::string ended = EndProgramsWithWindows(L"AutoCAD");
  EXPECT_NE(ended.find(pid + "\"AutoCAD 2006"), std::string::npos) << ended;
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 0), WAIT_OBJECT_0);
  EXPECT_EQ(EndProgramsWithWindows(L"AutoCAD"), "");
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
}

}  // namespace
}  // namespace wine_scripts
