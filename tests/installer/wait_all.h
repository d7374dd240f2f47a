// Running a program and waiting until it and every process it started have
// ended. An NSIS uninstaller copies itself to the temporary folder, starts
// the copy and returns at once; the copy does the work.
#pragma once

#include <cstdint>
#include <string>

namespace wine_setup {

struct Finished {
  bool in_time = false;         // false: the processes were ended at the limit
  std::uint32_t exit_code = 0;  // of the program started, not of its children
};

Finished RunAndWaitForAll(const std::wstring& command_line, std::uint32_t limit_ms);

}  // namespace wine_setup
