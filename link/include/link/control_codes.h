#pragma once

#include <string>
#include <string_view>

namespace korvel {

// Replaces every "^C" by character 3 (cancel), then every "^M" by 13 (Enter),
// then every "^J" by 10 (line feed): three passes, left to right, case-sensitive.
// There is no escape for a literal "^C".
std::u16string ExpandControlCodes(std::u16string_view text);

}  // namespace korvel
