// The AutoCAD releases Plendra looks for, in the order it tries them.
//
// Start-up stores a row's titles and prompt before each search; the script
// runner lets a person pick a row by index.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "link/pw_interfaces.h"

namespace plendra {

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

// Stores row index's four compare titles and its prompt into acad, in the
// order start-up stores them.
void ApplyRelease(korvel::_PwAcad& acad, std::size_t index);

// Tries the rows in order and stops at the first search that succeeds: its
// index, or kReleaseCount when none did. each_row, when given, hears every
// row tried and the search's result.
std::size_t SearchReleases(korvel::_PwAcad& acad,
                           const std::function<void(std::size_t row, std::int32_t result)>& each_row = {});

}  // namespace plendra
