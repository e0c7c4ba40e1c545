#pragma once

#include "autoconfig/product_entry.h"
#include "autoconfig/product_table.h"
#include "autoconfig/tesmo_context.h"

namespace vorn::autoconfig {

// Writes the names and setting lines of all sixteen programs; leaves FoundPath alone.
void BuildProductTable(ProductTable& table);

// Searches "<InstallDrive>:\vorn\" for the row's data file. True when found, and then
// entry.FoundPath holds its full path (and entry.FoundFolder its folder, open, where the
// search gives it); otherwise FoundPath is left as it was. A failure of the
// search itself (RunError) is not handled here.
bool FindProduct(const TesmoContext& ctx, ProductEntry& entry);

}  // namespace vorn::autoconfig
