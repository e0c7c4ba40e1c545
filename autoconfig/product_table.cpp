#include "autoconfig/product_table.h"

#include <string>

#include "common/run_error.h"

namespace vorn::autoconfig {

namespace {

std::size_t CheckedIndex(int index) {
  if (index < ProductTable::kLowerBound || index > ProductTable::kUpperBound)
    throw RunError(ErrorNumber::kOutOfRange,
                   "Subscript out of range: product " + std::to_string(index));
  return static_cast<std::size_t>(index - ProductTable::kLowerBound);
}

}  // namespace

ProductEntry& ProductTable::operator[](int index) { return rows_[CheckedIndex(index)]; }

const ProductEntry& ProductTable::operator[](int index) const { return rows_[CheckedIndex(index)]; }

}  // namespace vorn::autoconfig
