// The result table of a DXF scan: a two-dimensional array of strings indexed
// (k, r), both from 0, as COM hands it over in a SAFEARRAY(BSTR) with two
// dimensions. The first index varies fastest in memory, as in a SAFEARRAY, so
// growing the second bound (one more record) keeps every element in place.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace korvel {

class DxfTable {
 public:
  // No bounds at all: what a caller passes before its first scan.
  DxfTable() = default;
  // Bounds 0 to upper1 and 0 to upper2, every element empty.
  DxfTable(std::int32_t upper1, std::int32_t upper2) {
    if (upper1 < 0 || upper2 < 0) throw std::out_of_range("DxfTable bounds start at 0");
    columns_ = static_cast<std::size_t>(upper1) + 1;
    cells_.resize(columns_ * (static_cast<std::size_t>(upper2) + 1));
  }

  bool IsEmpty() const { return cells_.empty(); }
  // The upper bound of dimension 1 or 2; -1 for a table without bounds.
  std::int32_t UBound(int dimension) const {
    if (cells_.empty()) return -1;
    if (dimension == 1) return static_cast<std::int32_t>(columns_) - 1;
    return static_cast<std::int32_t>(cells_.size() / columns_) - 1;
  }
  // Checked access; throws std::out_of_range outside the bounds.
  std::u16string& At(std::int32_t k, std::int32_t r) {
    return const_cast<std::u16string&>(static_cast<const DxfTable&>(*this).At(k, r));
  }
  const std::u16string& At(std::int32_t k, std::int32_t r) const {
    if (k < 0 || r < 0 || k > UBound(1) || r > UBound(2))
      throw std::out_of_range("DxfTable index out of bounds");
    return cells_[static_cast<std::size_t>(r) * columns_ + static_cast<std::size_t>(k)];
  }
  // Moves the upper bound of dimension 2 and keeps every element that stays
  // within the bounds (ReDim Preserve).
  void SetUBound2(std::int32_t upper2) {
    if (upper2 < 0 || cells_.empty()) throw std::out_of_range("DxfTable bounds start at 0");
    cells_.resize(columns_ * (static_cast<std::size_t>(upper2) + 1));
  }
  // Every element, first index fastest: (0,0), (1,0), ... (upper1,0), (0,1), ...
  const std::vector<std::u16string>& Cells() const { return cells_; }

  bool operator==(const DxfTable&) const = default;

 private:
  friend class DxfScanner;  // fills cells in place without the bounds checks

  std::size_t columns_ = 0;  // upper1 + 1
  std::vector<std::u16string> cells_;
};

}  // namespace korvel
