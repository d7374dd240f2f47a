// The result table of a DXF scan: a two-dimensional array of strings indexed
// (k, r), both from 0, as COM hands it over in a SAFEARRAY(BSTR) with two
// dimensions. The first index varies fastest in memory, as in a SAFEARRAY, so
// growing the second bound (one more record) keeps every element in place.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvel {

class DxfTable {
 public:
  // No bounds at all: what a caller passes before its first scan.
  DxfTable() = default;
  // Bounds 0 to upper1 and 0 to upper2, every element empty.
  DxfTable(std::int32_t upper1, std::int32_t upper2);

  bool IsEmpty() const { return cells_.empty(); }
  // The upper bound of dimension 1 or 2; -1 for a table without bounds.
  std::int32_t UBound(int dimension) const;
  // Checked access; throws std::out_of_range outside the bounds.
  std::u16string& At(std::int32_t k, std::int32_t r);
  const std::u16string& At(std::int32_t k, std::int32_t r) const;
  // Moves the upper bound of dimension 2 and keeps every element that stays
  // within the bounds (ReDim Preserve).
  void SetUBound2(std::int32_t upper2);
  // Every element, first index fastest: (0,0), (1,0), ... (upper1,0), (0,1), ...
  const std::vector<std::u16string>& Cells() const { return cells_; }

  bool operator==(const DxfTable&) const = default;

 private:
  friend class DxfScanner;  // fills cells in place without the bounds checks

  std::size_t columns_ = 0;  // upper1 + 1
  std::vector<std::u16string> cells_;
};

}  // namespace korvel
