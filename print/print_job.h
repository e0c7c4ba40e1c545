#pragma once

#include <cstdint>
#include <string>

namespace vorn::print {

struct KelvarinContext;

inline constexpr const char* kPrintFileName = "VORN.PRN";

// Prints "VORN.PRN" from the current directory on `printerName`, once per copy (each copy its
// own document), then deletes it, logging every step. A failure is logged and reported to the
// user, and leaves the print file in place. A printer that is not installed is only logged.
void OutputPrinter(KelvarinContext& ctx, const std::string& printerName, std::int16_t copies);

}  // namespace vorn::print
