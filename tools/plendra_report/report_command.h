// plendra-report's commands, apart from the program's entry so that tests run
// them as the program does.
//
//   plendra-report check DRAWING.dxf [DRAWING.dxf ...] [--marume N] [--encoding CP] [--stats]
//   plendra-report takeoff DRAWING.dxf [DRAWING.dxf ...] [--out FILE.csv] [--utf8] [--marume N]
//                  [--encoding CP] [--stats]
//   plendra-report renumber DRAWING.dxf SYSTEM [--encoding CP]
//   plendra-report --help
//
// Several drawings (or a folder of them) are one set for check and takeoff:
// one numbering, each drawing read in its own code page, several at a time.
// renumber plans one drawing, the one AutoCAD has open.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace plendra_report {

inline constexpr int kExitClean = 0;
inline constexpr int kExitFindings = 1;
inline constexpr int kExitTrouble = 2;
// The drawing was read but held no parts-table entry: nothing was checked or
// added up, which must not pass for a clean drawing.
inline constexpr int kExitNoEntries = 3;

// One command-line argument: its text, and the same argument as a path (on
// Linux the bytes as given, whatever their encoding).
struct Argument {
  std::u16string text;
  std::filesystem::path path;
};

// Runs the command the arguments name. The check's findings (UTF-8, one a
// line), a takeoff sheet without --out, the plan of renumber and the usage
// asked for by --help go to `out`; messages go to `err` (UTF-8). Returns the
// exit status: 0, 1 for a check with findings or a plan with changes, 2 for
// a usage mistake or a file that cannot be read or written (`out` included),
// 3 for a drawing without any entry.
int RunReportCommand(const std::vector<Argument>& args, std::ostream& out, std::ostream& err);

}  // namespace plendra_report
