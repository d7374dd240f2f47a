#pragma once

#include <string_view>

namespace korvel {

// Whole-text wildcard match, case-sensitive, character by character:
//   ?  any one character        *  any run of characters, also none
//   #  any one digit 0-9        [list] [!list]  one character in / not in the
//   list; ranges such as [A-Z] are allowed. Every other character is itself.
// "[]" matches no character (it takes up nothing).
bool WildcardMatch(std::u16string_view text, std::u16string_view pattern);

// Whether the pattern is one a Like comparison accepts: every "[" has its
// "]", and every range runs upwards ("[A-Z]", not "[Z-A]"). The library's
// comparisons refuse a broken pattern (error 93) before they compare;
// WildcardMatch itself reads a lone "[" as itself and a downward range as
// the same range upwards.
bool WildcardPatternValid(std::u16string_view pattern);

}  // namespace korvel
