// Running a program of the build as a child process under Wine, answering
// the message boxes it shows, and collecting what it prints.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace wine_scripts {

struct BoxAnswer {
  std::wstring caption;  // the box's title
  int command = 0;       // IDOK, IDCANCEL, IDYES, IDNO
};

struct ChildResult {
  bool finished = false;  // false: killed after the time limit
  std::uint32_t exit_code = 0;
  std::string output;  // standard output, code page bytes
  int boxes_answered = 0;
};

// The folder of the running test program, ending with a backslash.
std::wstring ProgramFolder();
// A path from the Linux side ("/work/x") as Wine's drive Z sees it.
std::wstring WindowsPath(const std::string& unix_path);

// Gives a program that was asked to close 10 s to end, then ends it; either
// way it is gone on return, so the next test cannot find its windows.
void WaitForEndOrEnd(void* process);

// Starts command_line, answers each box whose caption is listed (in order,
// each once) as it appears, and waits at most limit_ms for the end.
ChildResult RunChild(const std::wstring& command_line, std::vector<BoxAnswer> answers,
                     std::uint32_t limit_ms);

}  // namespace wine_scripts
