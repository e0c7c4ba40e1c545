#pragma once

#include "autoconfig/product_entry.h"
#include "autoconfig/status_list.h"

namespace vorn::autoconfig {

// Rewrites the found data file of `entry` so that its setting line ends in the port digit 4
// (for "PROG07.DTA" the digit goes before the line's closing quotation mark), every line ending
// in CR LF, and lists the outcome as one item. Never fails: any failure becomes the item
// "<DisplayName> printer port could NOT be set..." and leaves the file exactly as it was.
void SetPrinterPort(const ProductEntry& entry, StatusList& lstStatus);

}  // namespace vorn::autoconfig
