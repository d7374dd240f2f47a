// cadsim as a program of its own: a drawing, what a person types (or an
// AutoCAD script file holds), the scripted user's picks, and the command line
// afterwards. The native `cadsim` program runs one, so that anyone can replay
// what happened with a drawing from a few lines of input.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cadsim/cad.h"
#include "cadsim/drawing.h"

namespace cadsim {

struct Session {
  int release = 1;  // which release it shows, 0 to kReleaseCount - 1 (release_profile.h)
  std::u16string drawing_path = u"C:\\図面\\Drawing1.dwg";
  std::vector<std::u16string> block_folders;
  std::vector<std::pair<std::u16string, std::u16string>> folders;  // SimCadOptions::folders
  std::vector<UserAction> picks;
  bool saveas_renames = true;  // Cad::saveas_renames
  // Keystrokes, typed one input after another. After each, the virtual clock
  // runs until nothing more is due (commands finished, the scripted user's
  // picks made), as if the person waited before typing the next.
  std::vector<std::u16string> inputs;
};

struct SessionResult {
  Drawing drawing;
  std::vector<std::u16string> history;  // the history window's lines
  std::u16string prompt;                // the command line at the end
};

// Runs the session on a simulated desktop of its own.
SessionResult RunSession(Drawing drawing, const Session& session);

// An AutoCAD script file (its text decoded) as keystrokes: each line is typed
// and ended with Enter (a last line without a line end gets none); lines that
// begin with ";" are comments.
std::u16string ScriptKeys(std::u16string_view script);

}  // namespace cadsim
