// The Windows spooler's answers. Divisions, in order: asking until the answer fits; the error
// of a spooler call past its deadline.
#include "print/platform/spooler_answer_win.h"

#include "common/run_error.h"

namespace vorn::print {

namespace {

// Printers added one after another while the list is read make it grow a few times at most.
constexpr int kMostAttempts = 10;

}  // namespace

std::vector<BYTE> SpoolerAnswer(const SpoolerQuery& query, const std::string& what) {
  std::vector<BYTE> buffer;
  for (int attempt = 0; attempt < kMostAttempts; ++attempt) {
    DWORD needed = 0;
    if (query(buffer.empty() ? nullptr : buffer.data(), static_cast<DWORD>(buffer.size()), &needed))
      return buffer;
    const DWORD error = GetLastError();
    if (error != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size())
      throw RunError(ErrorNumber::kPrinterError,
                     SystemError(static_cast<int>(error), what).Description());
    buffer.resize(needed);
  }
  throw RunError(ErrorNumber::kPrinterError, what + ": the list kept changing while it was read");
}

}  // namespace vorn::print

namespace vorn::print {

RunError SpoolerTimeUp(std::chrono::milliseconds limit, const std::string& what) {
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(limit).count();
  return RunError(ErrorNumber::kPrinterError, what + ": the print server did not answer within " +
                                                  std::to_string(seconds) + " s");
}

}  // namespace vorn::print
