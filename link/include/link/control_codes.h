#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korvel {

// The longest single input (the characters between two Enters, line feeds or
// cancels) AutoCAD's command line takes. Generous for a full path of
// MAX_PATH characters and for any answer a script types; a longer input is
// refused whole rather than cut, since a cut path or value would be taken
// as something else.
inline constexpr std::size_t kLongestTypedInput = 1024;

// Replaces every "^C" by character 3 (cancel), then every "^M" by 13 (Enter),
// then every "^J" by 10 (line feed): three passes, left to right, case-sensitive.
// There is no escape for a literal "^C".
std::u16string ExpandControlCodes(std::u16string_view text);

}  // namespace korvel
