#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace vorn::print {

// One call of a spooler function that fills a caller's buffer: `query(buffer, size, &needed)`
// returns TRUE when the answer fit, else FALSE with the last error set and, for a buffer too
// small, `needed` the size it asks for.
using SpoolerQuery = std::function<BOOL(BYTE* buffer, DWORD size, DWORD* needed)>;

// The spooler's whole answer. The size it asks for can grow between two calls (a printer added
// meanwhile), so it is asked again with the new size until the answer fits. A spooler that
// fails, or whose answer never fits, is RunError 482 whose description begins with `what`.
std::vector<BYTE> SpoolerAnswer(const SpoolerQuery& query, const std::string& what);

}  // namespace vorn::print
