#pragma once

#include <cstdint>

#include "autoconfig/product_entry.h"
#include "autoconfig/status_list.h"

namespace vorn::autoconfig {

// The largest data file patched, far above any real one; the file is held in memory once. A
// larger file is left as it is, with the failure item, and is not read.
inline constexpr std::uint64_t kMaxDataFileSize = std::uint64_t{32} << 20;

// Rewrites the found data file of `entry` so that its setting line ends in the port digit 4
// (for "PROG07.DTA" the digit goes before the line's closing quotation mark), every line ending
// in CR LF, and lists the outcome as one item. Never fails: any failure becomes the item
// "<DisplayName> printer port could NOT be set..." and leaves the file exactly as it was.
// The file is opened in the folder the search handed over (entry.FoundFolder), or else in the
// folder its path names; a link, anything but a regular file and a read-only file are refused.
// The file keeps its identity (see FileRewrite): replaced by a new file where that one is the
// same to everyone, otherwise rewritten in place.
void SetPrinterPort(const ProductEntry& entry, StatusList& lstStatus);

}  // namespace vorn::autoconfig
