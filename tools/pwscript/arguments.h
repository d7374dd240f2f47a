// pwscript's command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace pwscript {

struct Arguments {
  std::u16string script;
  std::vector<std::u16string> values;  // %USER0% ... (at most ten)
  // The simulated world (the native build): cadsim's drawing and release, and
  // what the scripted user does.
  std::u16string drawing;    // a DXF file; empty: an empty drawing
  int release = 3;           // AutoCAD LT 2002
  std::u16string picks;      // cadsim's scripted-user text: "1000:at:120;80,2000:esc"
  std::vector<int> answers;  // message-box answer codes
  std::vector<std::pair<std::u16string, std::u16string>> set;  // system variables before the run
  bool simulated_options = false;                              // any of the above given
  bool help = false;                                           // --help or -h: the usage, and nothing run
};

// Parses the arguments after the program name. On a mistake, nothing and a
// message in *error. --help or -h before the script asks for the usage only.
std::optional<Arguments> ParseArguments(const std::vector<std::u16string>& args, std::u16string* error);

extern const char16_t kUsage[];

}  // namespace pwscript
