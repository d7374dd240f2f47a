// Running a program of the build as a child process under Wine, answering
// the message boxes it shows, and collecting what it prints. Every process
// the child starts (cscript's AutoCAD, a console host) is ended with it, so
// that none of them outlives the run.
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
  bool finished = false;  // false: ended at the time limit
  std::uint32_t exit_code = 0;
  std::string output;      // standard output and error, code page bytes
  int boxes_answered = 0;  // boxes that closed after their answer
  // What happened to the boxes, one line each, with the time since the start.
  std::string box_log;
  // For a child ended at the time limit: the windows and boxes then open,
  // the processes it had running and the screenshot taken (its path).
  std::string hang_report;
  // Everything a failure message needs: the output, the boxes and, for a
  // child that hung, the hang report.
  std::string Describe() const;
};

// The folder of the running test program, ending with a backslash.
std::wstring ProgramFolder();
// A path from the Linux side ("/work/x") as Wine's drive Z sees it.
std::wstring WindowsPath(const std::string& unix_path);

// Gives a program that was asked to close 10 s to end, then ends it; either
// way it is gone on return, so the next test cannot find its windows.
void WaitForEndOrEnd(void* process);

// The top-level windows of the desktop, one a line: process, class, title,
// shown or hidden, enabled or not; a dialog box with its texts and buttons.
std::string DescribeWindows();

// Saves what the screen shows as a .bmp file in the test's working folder
// (named after the running test and what) and returns its path, or why
// there is none.
std::string SaveScreenshot(const std::string& what);

// Closes every program with a top-level window whose title begins with
// title_start (WM_CLOSE), ends those that do not end in 10 s and waits for
// their end. Returns what it found, one line each; empty when there was none.
std::string EndProgramsWithWindows(const std::wstring& title_start);

// Starts command_line, answers each box whose caption is listed (in order,
// each once) as it appears, and waits at most limit_ms for the end. What the
// child started and left running is asked to close and then ended, all
// before this returns; a child past the limit is described (hang_report)
// and ended with all it started.
ChildResult RunChild(const std::wstring& command_line, std::vector<BoxAnswer> answers,
                     std::uint32_t limit_ms);

}  // namespace wine_scripts
