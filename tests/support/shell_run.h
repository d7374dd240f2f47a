// A program run as a user types it into a shell, for the tests of the
// command-line programs: standard output and standard error are captured.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace test_support {

struct ShellRun {
  int status = -1;  // the exit status, or 128 + the signal that ended it
  std::string out, err;
};

inline std::string FileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs `command` with /bin/sh; its output is caught in files of `folder`,
// which are removed afterwards. `stdout_to` sends standard output elsewhere
// ("/dev/full" for a full disk); `out` then stays empty.
inline ShellRun RunInShell(const std::string& command, const std::filesystem::path& folder,
                           const std::string& stdout_to = "") {
  const std::filesystem::path out = folder / ".shell-out", err = folder / ".shell-err";
  const std::string line =
      command + " >'" + (stdout_to.empty() ? out.string() : stdout_to) + "' 2>'" + err.string() + "'";
  const int raw = std::system(line.c_str());
  ShellRun r;
  if (WIFEXITED(raw))
    r.status = WEXITSTATUS(raw);
  else if (WIFSIGNALED(raw))
    r.status = 128 + WTERMSIG(raw);
  if (stdout_to.empty()) r.out = FileBytes(out);
  r.err = FileBytes(err);
  std::error_code ignored;
  std::filesystem::remove(out, ignored);
  std::filesystem::remove(err, ignored);
  return r;
}

}  // namespace test_support
