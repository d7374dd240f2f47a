#include "link/dxf_table.h"

#include <stdexcept>

namespace korvel {

DxfTable::DxfTable(std::int32_t upper1, std::int32_t upper2) {
  if (upper1 < 0 || upper2 < 0) throw std::out_of_range("DxfTable bounds start at 0");
  columns_ = static_cast<std::size_t>(upper1) + 1;
  cells_.resize(columns_ * (static_cast<std::size_t>(upper2) + 1));
}

std::int32_t DxfTable::UBound(int dimension) const {
  if (cells_.empty()) return -1;
  if (dimension == 1) return static_cast<std::int32_t>(columns_) - 1;
  return static_cast<std::int32_t>(cells_.size() / columns_) - 1;
}

std::u16string& DxfTable::At(std::int32_t k, std::int32_t r) {
  return const_cast<std::u16string&>(static_cast<const DxfTable&>(*this).At(k, r));
}

const std::u16string& DxfTable::At(std::int32_t k, std::int32_t r) const {
  if (k < 0 || r < 0 || k > UBound(1) || r > UBound(2))
    throw std::out_of_range("DxfTable index out of bounds");
  return cells_[static_cast<std::size_t>(r) * columns_ + static_cast<std::size_t>(k)];
}

void DxfTable::SetUBound2(std::int32_t upper2) {
  if (upper2 < 0 || cells_.empty()) throw std::out_of_range("DxfTable bounds start at 0");
  cells_.resize(columns_ * (static_cast<std::size_t>(upper2) + 1));
}

}  // namespace korvel
