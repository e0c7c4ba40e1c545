#include "common/run_error_report.h"

#include <exception>
#include <string>

namespace vorn {

int ReportRunError(const RunError& error, MessageBoxes& messages, std::ostream& err) {
  const std::string text =
      "Run-time error '" + std::to_string(error.Number()) + "':\n\n" + error.Description();
  err << text << std::endl;
  messages.Show(text, MessageIcon::kCritical, MessageButtons::kOk);
  return 1;
}

int ReportCurrentError(MessageBoxes& messages, std::ostream& err) {
  try {
    throw;
  } catch (const RunError& error) {
    return ReportRunError(error, messages, err);
  } catch (const std::exception& error) {
    return ReportRunError(RunError(ErrorNumber::kInvalidCall, error.what()), messages, err);
  } catch (...) {
    return ReportRunError(RunError(ErrorNumber::kInvalidCall, "Invalid procedure call"), messages,
                          err);
  }
}

}  // namespace vorn
