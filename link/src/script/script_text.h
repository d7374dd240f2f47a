// The text rules of script lines: trimming, tab runs, fields and tokens.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

// Removes blanks (U+0020) at both ends; tabs stay, they separate fields.
std::u16string TrimSpaces(std::u16string_view text);

// Reduces runs of tabs: runs of ten tabs become one, then runs of nine, and so
// on down to runs of two, each a single left-to-right pass.
std::u16string ReduceTabs(std::u16string_view text);

// The tab-separated fields of a line after ReduceTabs, each trimmed and then
// stripped of one leading and one trailing double quote.
std::vector<std::u16string> SplitFields(std::u16string_view text);

// Replaces every occurrence of from, left to right, without rescanning what
// was put in.
std::u16string ReplaceAll(std::u16string_view text, std::u16string_view from, std::u16string_view to);

bool StartsWith(std::u16string_view text, std::u16string_view prefix);

// The digit of a "%USER" digit "%" token that is the whole text, else nothing.
std::optional<int> UserToken(std::u16string_view text);

}  // namespace korvel
