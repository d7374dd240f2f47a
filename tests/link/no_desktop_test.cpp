// A thread that bound no platform, outside Windows: the library meets a
// desktop with no windows, not a simulated AutoCAD. It finds nothing and
// cannot start anything, while files live in the machine's temporary folder.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "link/dxf_table.h"
#include "link/errors.h"
#include "link/mdl_common.h"
#include "link/pw_acad.h"
#include "link/pw_control.h"
#include "platform/platform.h"

namespace plendra_test {
namespace {

// Runs body on a fresh thread, which has nothing bound.
void OnUnboundThread(const std::function<void()>& body) { std::thread(body).join(); }

TEST(NoDesktop, ASearchFindsNoAutoCadAndALaunchStartsNothing) {
  std::int32_t search = 0, launch_missing = 0, launch_existing = 0;
  std::u16string search_source;
  bool channel = true;
  OnUnboundThread([&] {
    korvel::PwAcad acad;
    search = acad.Search();
    search_source = acad.get_ErrSource();
    channel = acad.Control() != nullptr;
    launch_missing = acad.Execute(u"/no/such/acad.exe", u"", 0, korvel::WaitNone);
    // The file is there, but there is no shell to start it with.
    launch_existing = acad.Execute(u"/bin/sh", u"", 0, korvel::WaitNone);
  });
  EXPECT_EQ(search, korvel::SearchFailed);
  EXPECT_EQ(search_source, u"PwAcadCtrl.Acad.Search");
  EXPECT_FALSE(channel);
  EXPECT_EQ(launch_missing, korvel::FileNotFound);
  EXPECT_EQ(launch_existing, korvel::ExecuteFailed);
}

TEST(NoDesktop, NoBoxIsShownAndNoCommandIsTaken) {
  std::int32_t answer = -1, post = 0;
  OnUnboundThread([&] {
    auto control = korvel::PwControl::Create();
    answer = control->ShowMessage(u"テスト", 0, u"Plendra");
    post = control->PostCommand(u"^C^C");
  });
  EXPECT_EQ(answer, 0) << "MessageBox's answer when it could not show a box";
  EXPECT_EQ(post, korvel::LinkFailed);
}

// The scratch file is read from the folder TMPDIR names, in code page 932.
TEST(NoDesktop, TheScratchFileIsReadFromTheMachinesTemporaryFolder) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("plendra-no-desktop-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const char* previous = std::getenv("TMPDIR");
  const std::optional<std::string> saved = previous ? std::optional<std::string>(previous) : std::nullopt;
  ::setenv("TMPDIR", folder.c_str(), 1);
  std::ofstream(folder / "Wexa.dxf", std::ios::binary)
      << "  0\r\nSECTION\r\n  2\r\nTABLES\r\n  0\r\nLAYER\r\n  2\r\n\x8b\x8b\x90\x85\r\n  0\r\nENDSEC\r\n";

  std::int32_t scan = 0;
  korvel::DxfTable table;
  OnUnboundThread([&] { scan = korvel::PwControl::Create()->DxfScan(u"TABLES", u"LAYER", u"2", table); });

  if (saved)
    ::setenv("TMPDIR", saved->c_str(), 1);
  else
    ::unsetenv("TMPDIR");
  std::filesystem::remove_all(folder);
  ASSERT_EQ(scan, -1);
  EXPECT_EQ(table.At(0, 0), u"1");
  EXPECT_EQ(table.At(0, 1), u"給水");
}

}  // namespace
}  // namespace plendra_test

#endif  // _WIN32
