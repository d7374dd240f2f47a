// Reading a scenario file: its lines, the fields of a line and the numbers in
// a field. Kept apart from the runner so that a fuzz target can read scenario
// text without a desktop.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scenario {

// The lines of a scenario file, without their line ends (LF or CR LF; a CR
// that ends the file goes too). A UTF-8 byte-order mark at the very start is
// dropped, as editors on Windows write one; anywhere else it stays, so that
// the line reads as written.
std::vector<std::string_view> ScenarioLines(std::string_view bytes);

// The fields of one scenario line: blanks separate, double quotes keep
// blanks, "#" outside quotes starts a comment. Nothing when the line is empty.
// A line whose quotes do not close gives nullopt and sets *error.
std::optional<std::vector<std::string>> SplitLine(std::string_view line, std::string* error);

// A field that is an integer as a whole, in [min, max]: digits only (base 10,
// or 16 for a handle), a minus sign first when negative. Nothing for "", "3x",
// "+3", " 3", "0x1F", "1e3" or a value out of range, however long.
std::optional<std::int64_t> WholeNumber(std::string_view field, std::int64_t min, std::int64_t max,
                                        int base = 10);

// A field that is a decimal number as a whole ("12", "-3.5", "1e3"), finite.
std::optional<double> DecimalNumber(std::string_view field);

}  // namespace scenario
