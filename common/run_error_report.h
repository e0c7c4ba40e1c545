#pragma once

#include <ostream>

#include "common/message_box.h"
#include "common/run_error.h"

namespace vorn {

// The run-time error report that ends either program after a failure nothing handles: a
// critical message naming the error's number and description, the same text on `err`.
// Returns the exit status the program ends with.
int ReportRunError(const RunError& error, MessageBoxes& messages, std::ostream& err);

// The same for the exception being handled (call it inside a catch block): a RunError as it
// is, any other failure as an invalid call with its own text.
int ReportCurrentError(MessageBoxes& messages, std::ostream& err);

}  // namespace vorn
