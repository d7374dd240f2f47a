// The AutoCAD releases the application looks for, in the order it tries them.
//
// One table for everyone who needs it: the application's start-up stores a
// row's titles and prompt before each search, the script runner lets a person
// pick a row by index, and the substitute CAD shows windows that fit a row.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace korvel {

struct AcadRelease {
  std::u16string_view MainCompareTitle;
  std::u16string_view TextCompareTitle;
  std::u16string_view CommandCompareTitle;
  std::u16string_view HistoryCompareTitle;
  std::u16string_view CommandPrompt;
  // The product the row was written for ("AutoCAD LT 2002"); only for
  // messages and for programs that imitate it.
  std::u16string_view Product;
};

inline constexpr std::size_t kReleaseCount = 9;

// Rows 0 to 8. Rows 1 and 3, and rows 5 and 7, are the same on purpose: each
// is tried again at its own place in the order.
const std::array<AcadRelease, kReleaseCount>& Releases();

}  // namespace korvel
