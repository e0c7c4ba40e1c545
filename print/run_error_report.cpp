#include "print/run_error_report.h"

#include <string>

namespace vorn::print {

int ReportRunError(const RunError& error, MessageBoxes& messages, std::ostream& err) {
  const std::string text =
      "Run-time error '" + std::to_string(error.Number()) + "':\n\n" + error.Description();
  err << "Kelvarin: " << text << std::endl;
  messages.Show(text, MessageIcon::kCritical, MessageButtons::kOk);
  return 1;
}

}  // namespace vorn::print
