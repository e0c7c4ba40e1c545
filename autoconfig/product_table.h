#pragma once

#include <array>

#include "autoconfig/product_entry.h"

namespace vorn::autoconfig {

// The fixed table of the sixteen VORN programs, indexed 0 to 15. An index outside that range
// is a failure (RunError, kOutOfRange), never a wrap-around.
class ProductTable {
 public:
  static constexpr int kLowerBound = 0;
  static constexpr int kUpperBound = 15;

  ProductEntry& operator[](int index);
  const ProductEntry& operator[](int index) const;

  // Rows in index order.
  auto begin() { return rows_.begin(); }
  auto end() { return rows_.end(); }
  auto begin() const { return rows_.begin(); }
  auto end() const { return rows_.end(); }

 private:
  std::array<ProductEntry, kUpperBound - kLowerBound + 1> rows_;
};

}  // namespace vorn::autoconfig
