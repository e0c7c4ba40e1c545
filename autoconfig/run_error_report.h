#pragma once

#include <ostream>

#include "common/message_box.h"
#include "common/run_error.h"

namespace vorn::autoconfig {

// The run-time error report that ends the program after a failure nothing handles: a critical
// message naming the error's number and description, the same text on `err`. Returns the exit
// status the program ends with.
int ReportRunError(const RunError& error, MessageBoxes& messages, std::ostream& err);

}  // namespace vorn::autoconfig
