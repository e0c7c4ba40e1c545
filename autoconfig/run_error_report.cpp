#include "autoconfig/run_error_report.h"

#include <string>

namespace vorn::autoconfig {

int ReportRunError(const RunError& error, MessageBoxes& messages, std::ostream& err) {
  const std::string text =
      "Run-time error '" + std::to_string(error.Number()) + "':\n\n" + error.Description();
  err << text << std::endl;
  messages.Show(text, MessageIcon::kCritical, MessageButtons::kOk);
  return 1;
}

}  // namespace vorn::autoconfig
