// cadsim.exe's command line.
//
//   cadsim.exe [--drawing IN.dxf] [--release 0..8] [--name C:\図面\x.dwg]
//              [--blocks FOLDER]... [--picks SCRIPT] [--out OUT.dxf] [--svg OUT.svg]
//              [--log FILE] [--command-ms MS] [--finish-after MS] [--only COMMAND] [--never-return]
//              [--refuse] [--vanish-after MS] [--hide-command-line]
//              [--snapshot OUT.bmp] [--splash MS]
//
// --command-ms gives every command a time of its own: it finishes MS ms after
// its last input, by a timer on cadsim's message loop, as AutoCAD takes time
// for its work; the faults come on top of it.
// --log writes, when cadsim ends, one line per command line typed: the ms
// since start, the commands finished, the prompt reads and the ms cadsim had
// waited for its client (no command working) by then, and the line with ^C,
// ^M and ^J for its control characters (code page 932).
// --splash shows a splash window for MS milliseconds, waiting for input, before
// the AutoCAD windows are made, as AutoCAD does while it loads.
// --picks is the scripted user (see cadsim/user_script.h); with it and --out
// cadsim runs unattended: a test closes it (WM_CLOSE) and reads OUT.dxf.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cadsim/cad.h"

namespace cadsim_win {

struct Options {
  std::u16string drawing;
  int release = 3;
  std::u16string name;  // the drawing's path in the titles
  std::vector<std::u16string> block_folders;
  std::vector<cadsim::UserAction> picks;
  std::u16string out, svg;
  std::u16string log;       // the command lines typed, with times (CadWindows::TypedLog)
  std::u16string snapshot;  // the drawing as the window paints it, 24-bit BMP
  cadsim::Faults faults;
  std::uint32_t command_ms = 0;  // Cad::command_ms
  bool hide_command_line = false;
  std::uint32_t splash_ms = 0;
};

// nullopt (with *error set) when the command line cannot be read.
std::optional<Options> ParseOptions(const std::vector<std::u16string>& args, std::u16string* error);

}  // namespace cadsim_win
