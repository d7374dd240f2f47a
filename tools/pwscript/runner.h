// What pwscript does once its world is ready: find AutoCAD as Plendra finds
// it, run the script, report.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace pwscript {

// Tries the release rows in order; the first whose search finds AutoCAD's
// windows wins, and its prompt becomes the command prompt. Runs the script
// with ten user variables (the values first, the rest empty), writes the
// variables to out and any error to err, and returns the exit code: 0 for a
// script that ran to its end or to EXIT, else the error number.
int RunAgainstAcad(const std::u16string& script, const std::vector<std::u16string>& values, std::ostream& out,
                   std::ostream& err);

// Text as this program writes it: UTF-8 on Linux, the system code page on Windows.
std::string OutputText(std::u16string_view text);

}  // namespace pwscript
