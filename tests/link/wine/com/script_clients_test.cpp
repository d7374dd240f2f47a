// korvel.dll from script clients: the VBScript and JScript files in clients/
// run by Wine's cscript against cadsim.exe, which each file starts itself
// through PwAcad.Execute. The files check every result themselves and end
// with "N passed, M failed"; this program runs them and answers their message
// boxes. Each starts on a desktop without AutoCAD, and the AutoCAD it started
// is closed with it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "child_process.h"

namespace {

using wine_scripts::BoxAnswer;
using wine_scripts::ChildResult;
using wine_scripts::EndProgramsWithWindows;
using wine_scripts::ProgramFolder;
using wine_scripts::RunChild;
using wine_scripts::WindowsPath;

std::string SourceDir() {
  const char* root = std::getenv("PLENDRA_SOURCE_DIR");
  return root != nullptr ? root : ".";
}

// cscript reads a script in the ANSI code page: the UTF-8 file is written out
// in code page 932 into the temporary folder.
std::wstring InCodePage932(const std::string& name) {
  std::ifstream in(SourceDir() + "/tests/link/wine/com/clients/" + name, std::ios::binary);
  const std::string utf8((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::wstring wide(utf8.size(), L'\0');
  wide.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                                  static_cast<int>(wide.size())));
  std::string ansi(wide.size() * 2, '\0');
  ansi.resize(WideCharToMultiByte(932, 0, wide.data(), static_cast<int>(wide.size()), ansi.data(),
                                  static_cast<int>(ansi.size()), nullptr, nullptr));
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  const std::wstring path = std::wstring(folder) + std::wstring(name.begin(), name.end());
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, ansi.data(), static_cast<DWORD>(ansi.size()), &written, nullptr);
  CloseHandle(file);
  return path;
}

// Runs one client file with cadsim.exe, the sample drawing and the folder of
// the clients' own scripts (without the final separator) as its arguments.
ChildResult RunClient(const std::string& name, std::vector<BoxAnswer> answers) {
  const std::wstring command = L"cscript.exe //nologo \"" + InCodePage932(name) + L"\" \"" + ProgramFolder() +
                               L"cadsim.exe\" \"" + WindowsPath(SourceDir() + "/data/sample.dxf") + L"\" \"" +
                               WindowsPath(SourceDir() + "/tests/link/wine/com/clients") + L"\"";
  // A client's search "without AutoCAD" must not find one that something
  // before it left running.
  const std::string leftover = EndProgramsWithWindows(L"AutoCAD");
  if (!leftover.empty()) std::cout << "ended before the client, still running:\n" << leftover;
  return RunChild(command, std::move(answers), 120000);
}

// The client's own verdict: its last line, "N passed, 0 failed" with N > 0.
void ExpectAllPassed(const ChildResult& run) {
  ASSERT_TRUE(run.finished) << run.Describe();
  EXPECT_EQ(run.exit_code, 0u) << run.Describe();
  const std::size_t at = run.output.rfind(" passed, 0 failed");
  ASSERT_NE(at, std::string::npos) << "no summary line: the script stopped early\n" << run.Describe();
  const std::size_t line = run.output.rfind('\n', at);
  const int count = std::atoi(run.output.c_str() + (line == std::string::npos ? 0 : line + 1));
  EXPECT_GT(count, 0) << run.Describe();
  EXPECT_EQ(run.output.find("FAIL "), std::string::npos) << run.Describe();
}

TEST(ScriptClients, VbscriptCallsEveryMember) {
  const ChildResult run = RunClient("every_member.vbs", {{L"Korvel VBScript", IDNO}, {L"PwAcadCtrl", IDOK}});
  ExpectAllPassed(run);
  EXPECT_EQ(run.boxes_answered, 2) << run.Describe();
}

TEST(ScriptClients, JscriptCallsWithValuesOnly) { ExpectAllPassed(RunClient("late_bound.js", {})); }

}  // namespace
