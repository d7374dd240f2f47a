// plendra-scenario: runs Plendra on the simulated desktop against cadsim from
// a scenario file and prints what the user would have seen.
//
//   plendra-scenario [--out DIR] FILE
//
// Exit status: 0 when every expectation held, 1 when one failed (the
// transcript names the line), 2 for a usage error or an unreadable file.
#include <cstring>
#include <iostream>
#include <optional>

#include "scenario.h"

int main(int argc, char** argv) {
  std::optional<std::filesystem::path> out_dir;
  std::optional<std::filesystem::path> file;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc) {
      out_dir = argv[++i];
    } else if (argv[i][0] != '-' && !file) {
      file = argv[i];
    } else {
      file.reset();
      break;
    }
  }
  if (!file) {
    std::cerr << "usage: plendra-scenario [--out DIR] FILE\n";
    return 2;
  }
  return scenario::RunFile(*file, out_dir, std::cout);
}
