#pragma once

#include <string_view>

namespace korvel {

// Whole-text wildcard match, case-sensitive, character by character:
//   ?  any one character        *  any run of characters, also none
//   #  any one digit 0-9        [list] [!list]  one character in / not in the
//   list; ranges such as [A-Z] are allowed. Every other character is itself.
// A "[" with no closing "]" stands for itself; "[]" matches no character
// (it takes up nothing).
bool WildcardMatch(std::u16string_view text, std::u16string_view pattern);

}  // namespace korvel
