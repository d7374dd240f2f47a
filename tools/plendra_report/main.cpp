// plendra-report: checks a drawing's parts tables and writes its takeoff
// sheet, from a DXF file and without AutoCAD (see docs/report.md).
#include <cerrno>
#include <cstdio>
#include <iostream>
#include <vector>

#include "platform/utf8.h"
#include "report_command.h"

#ifndef _WIN32
#include <unistd.h>
#endif

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// shellapi.h needs the declarations of windows.h first.
#include <shellapi.h>
#endif

int main(int argc, char** argv) {
  std::vector<plendra_report::Argument> args;
#ifdef _WIN32
  // The wide command line, so that a file name outside the code page opens;
  // the output is bytes (UTF-8 findings, a CSV sheet), never translated.
  (void)argc;
  (void)argv;
  _setmode(_fileno(stdout), _O_BINARY);
  int n = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &n);
  for (int i = 1; wide != nullptr && i < n; ++i) {
    const std::u16string text(reinterpret_cast<const char16_t*>(wide[i]));
    args.push_back({text, std::filesystem::path(text)});
  }
  LocalFree(wide);
#else
  // Arguments arrive as UTF-8; a path keeps the bytes as given.
  for (int i = 1; i < argc; ++i)
    args.push_back({platform::FromUtf8(argv[i]), std::filesystem::path(argv[i])});
#endif
  const int status = plendra_report::RunReportCommand(args, std::cout, std::cerr);
  // What the command flushed may still fail on close (a file system that
  // reports a full disk only then). The descriptor is closed rather than the
  // stream, which the library flushes again at exit; a program started
  // without a standard output (EBADF) had nothing to lose there.
  std::cout.flush();
  errno = 0;
  bool failed = std::fflush(stdout) != 0 || std::ferror(stdout) != 0;
  if (!failed) {
#ifdef _WIN32
    failed = _close(_fileno(stdout)) != 0 && errno != EBADF;
#else
    failed = close(fileno(stdout)) != 0 && errno != EBADF;
#endif
  }
  if (failed && status != plendra_report::kExitTrouble) {
    std::cerr << "plendra-report: 標準出力に書き込めません"
              << (errno == ENOSPC ? " (ディスクに空きがありません)" : "") << "\n";
    return plendra_report::kExitTrouble;
  }
  return status;
}
