#include "gui/qt/program_end.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "common/run_error_report.h"

namespace vorn::gui {

void EndWithRunErrorReport(MessageBoxes& messages) {
  const int status = ReportCurrentError(messages, std::cerr);
  std::fflush(nullptr);
  // No destructors: the windows and the half-done work they belong to are abandoned as they are.
  std::_Exit(status);
}

}  // namespace vorn::gui
