// cadsim.exe under Wine: a real process with real windows, driven by the link
// library over user32 exactly as the application drives AutoCAD.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "app/releases.h"
#include "cadsim/dxf.h"
#include "link/dxf_table.h"
#include "link/errors.h"
#include "link/pw_acad.h"
#include "link/pw_control.h"
#include "platform/ansi_codec.h"

namespace {

// A loaded machine only makes waits longer, never a test wrong. The first
// program of a fresh Wine session can take long to show a window while Wine
// starts its services.
constexpr DWORD kPatienceMs = 90000;

bool WaitUntil(const std::function<bool()>& condition, DWORD timeout_ms = kPatienceMs) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > timeout_ms) return false;
    Sleep(50);
  }
  return true;
}

std::filesystem::path SourceDir() {
  const char* dir = std::getenv("PLENDRA_SOURCE_DIR");
  return dir ? std::filesystem::path(dir) : std::filesystem::current_path();
}

// A Linux path as Wine's drive Z: shows it.
std::wstring WinePath(const std::filesystem::path& p) {
  std::wstring s = p.wstring();
  if (!s.empty() && s[0] == L'/') {
    for (wchar_t& c : s)
      if (c == L'/') c = L'\\';
    s = L"Z:" + s;
  }
  return s;
}

std::filesystem::path ProgramFolder() {
  wchar_t buffer[MAX_PATH];
  GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  return std::filesystem::path(buffer).parent_path();
}

class CadsimExe : public ::testing::Test {
 protected:
  void TearDown() override {
    if (!process_.hProcess) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, kPatienceMs);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
  }

  // Starts cadsim.exe with the sample drawing and waits for its windows.
  void Launch(int release, const std::wstring& extra = L"") {
    std::wstring command = L"\"" + (ProgramFolder() / L"cadsim.exe").wstring() + L"\" --release " +
                           std::to_wstring(release) + L" --drawing \"" + WinePath(Data() / "sample.dxf") +
                           L"\" --blocks \"" + WinePath(Data()) + L"\" " + extra;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process_));
    ASSERT_TRUE(WaitUntil([&] { return Connect(static_cast<std::size_t>(release)); }))
        << "cadsim.exe's windows did not appear; the last search failed with " << std::hex
        << link.get_ErrNumber() << ", main window " << link.get_MainWindowHandle() << ", running "
        << (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
        << ", its windows: " << TitlesOfProcess();
  }

  bool Connect(std::size_t row) {
    plendra::ApplyRelease(link, row);
    if (link.Search() != -1) return false;
    control = link.Control();
    return true;
  }

  // The titles of the program's top-level windows, for a failure message.
  std::string TitlesOfProcess() {
    struct Search {
      DWORD process;
      std::string titles;
    } search{process_.dwProcessId, {}};
    EnumWindows(
        // CALLBACK: 32-bit Windows calls it as stdcall.
        [](HWND w, LPARAM p) noexcept CALLBACK -> BOOL {
          auto* s = reinterpret_cast<Search*>(p);
          DWORD pid = 0;
          GetWindowThreadProcessId(w, &pid);
          char title[256] = {};
          if (pid == s->process) {
            GetWindowTextA(w, title, sizeof title);
            s->titles += std::string("[") + title + "]";
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.titles;
  }

  bool Ended() { return WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0; }

  static std::filesystem::path Data() { return SourceDir() / "data"; }

  cadsim::Handle DimensionMeasuring(double value) {
    auto codec = platform::MakeAnsiCodec(932);
    for (const cadsim::Entity& e : cadsim::ReadDxfFile(Data() / "sample.dxf", *codec).entities)
      if (const auto* d = std::get_if<cadsim::Dimension>(&e); d && d->measurement == value) return d->handle;
    return 0;
  }

  PROCESS_INFORMATION process_{};
  korvel::PwAcad link;
  std::shared_ptr<korvel::PwControl> control;
};

TEST_F(CadsimExe, FoundByItsReleaseRowAndAnswersWithThePrompt) {
  ASSERT_NO_FATAL_FAILURE(Launch(8));
  EXPECT_EQ(link.get_TextWindowTitle(), u"AutoCAD テキスト ウィンドウ - sample.dxf");
  std::u16string prompt;
  ASSERT_EQ(control->GetPrompt(prompt), -1);
  EXPECT_EQ(prompt, u"コマンド: ");
  ASSERT_EQ(control->SendCommand(u"ucs^Mw^M", u"コマンド: "), -1);
  std::u16string history;
  ASSERT_EQ(control->GetHistory(history, u"現在の UCS 名"), -1);
  EXPECT_EQ(history.substr(0, 18), u"現在の UCS 名:  *ワールド*");
}

TEST_F(CadsimExe, ScriptedPickIsExportedAndScanned) {
  const cadsim::Handle dim = DimensionMeasuring(1230);
  ASSERT_NE(dim, 0u);
  wchar_t picks[64];
  swprintf(picks, 64, L"--picks 800:pick:%llX", static_cast<unsigned long long>(dim));
  ASSERT_NO_FATAL_FAILURE(Launch(3, picks));
  ASSERT_EQ(control->DxfOut(u"sgl", u"2000", &link), -1);
  korvel::DxfTable table;
  ASSERT_EQ(control->DxfScan(u"ENTITIES", u"DIMENSION", u"11|21|31|42|70|50|3|1070", table), -1);
  ASSERT_EQ(table.At(0, 0), u"1");
  EXPECT_EQ(table.At(3, 1), u"1230.0");
  EXPECT_EQ(table.At(6, 1), u"配管100");
}

// cadsim.exe's thread does not pump for seven seconds while it writes the
// drawing: Windows calls it hung after five, and messages to it time out. The
// export still waits for it and hands the scan the whole file.
TEST_F(CadsimExe, ExportLongerThanFiveSecondsIsWaitedFor) {
  ASSERT_NO_FATAL_FAILURE(Launch(8, L"--only SAVEAS --busy-for 7000"));
  const DWORD start = GetTickCount();
  ASSERT_EQ(control->DxfOut(u"all", u"2000", &link), -1) << std::hex << link.get_ErrNumber();
  EXPECT_GE(GetTickCount() - start, 7000u);
  korvel::DxfTable table;
  ASSERT_EQ(control->DxfScan(u"ENTITIES", u"ATTRIB", u"2|1", table), -1);
  EXPECT_NE(table.At(0, 0), u"0");
}

TEST_F(CadsimExe, ExportBusyPastTheTimeOutIsReportedIncomplete) {
  ASSERT_NO_FATAL_FAILURE(Launch(8, L"--only SAVEAS --busy-for 6000"));
  control->put_CommandTimeOut(2000);
  EXPECT_EQ(control->DxfOut(u"all", u"2000", &link), korvel::CommandFailed);
  EXPECT_EQ(link.get_ErrDescription(), u"DXFファイルの書き出しが完了していません。");
}

TEST_F(CadsimExe, EntryIsInTheDrawingItWritesWhenClosed) {
  const std::filesystem::path out = std::filesystem::temp_directory_path() / "cadsim-wine-out.dxf";
  std::filesystem::remove(out);
  ASSERT_NO_FATAL_FAILURE(Launch(1, L"--out \"" + out.wstring() + L"\""));
  const std::u16string prompt = link.get_CommandPrompt();
  ASSERT_EQ(
      control->PostCommand(u"^C^C-insert^MC:\\Program Files\\Plendra\\Plendra1.dwg^Ms^M250^M1000,975^M0^M"),
      -1);
  ASSERT_EQ(control->SendCommand(u"1000^M500^M0^M1230^M^M^M給水^M3^M", prompt), -1);
  PostMessageW(reinterpret_cast<HWND>(static_cast<INT_PTR>(link.get_MainWindowHandle())), WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return Ended(); }));
  auto codec = platform::MakeAnsiCodec(932);
  const cadsim::Drawing d = cadsim::ReadDxfFile(out, *codec);
  const auto* n = std::get_if<cadsim::Insert>(&d.entities.back());
  ASSERT_NE(n, nullptr);
  ASSERT_EQ(n->attributes.size(), 8u);
  EXPECT_EQ(n->attributes[6].value, u"給水");
  EXPECT_EQ(n->attributes[7].value, u"3");
}

TEST_F(CadsimExe, EscapeFromTheScriptCancelsThePick) {
  ASSERT_NO_FATAL_FAILURE(Launch(3, L"--picks 500:esc"));
  EXPECT_EQ(control->DxfOut(u"sgl", u"2000", &link), 0);
  std::u16string history;
  ASSERT_EQ(control->GetHistory(history), -1);
  EXPECT_EQ(history.substr(history.size() - 7), u"*ｷｬﾝｾﾙ*");
}

}  // namespace
