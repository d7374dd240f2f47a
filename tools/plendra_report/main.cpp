// plendra-report: checks a drawing's parts tables and writes its takeoff
// sheet, from a DXF file and without AutoCAD (see docs/report.md).
#include <cstdio>
#include <iostream>
#include <vector>

#include "platform/utf8.h"
#include "report_command.h"

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
  return plendra_report::RunReportCommand(args, std::cout, std::cerr);
}
