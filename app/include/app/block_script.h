// The parts-table block "Plendra1.dwg" and the AutoCAD script that makes it
// (data/Plendra1.scr, installed beside Plendra.exe).
#pragma once

#include <string>
#include <string_view>

namespace plendra {

// The keystrokes of the script (its text decoded), in the channel's notation:
// each line typed and ended with Enter ("^M"), as AutoCAD reads a script
// file, a last line without a line end typed without one; comment lines (";"
// first) left out. The line after the -WBLOCK command line, the output file's
// name, becomes block_path in double quotes, so the block is written where
// this Plendra inserts it from whatever the script names.
std::u16string BlockScriptKeys(std::u16string_view script, std::u16string_view block_path);

}  // namespace plendra
