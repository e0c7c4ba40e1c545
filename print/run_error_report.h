#pragma once

#include <ostream>

#include "common/message_box.h"
#include "common/run_error.h"

namespace vorn::print {

// The run-time error report that ends Kelvarin after a failure nothing handles: a critical box
// "Run-time error '<n>':" with the error's description, the same text on `err` after
// "Kelvarin: ". The description is shown as it is (the user's text); nothing is printed and
// the print file stays. Returns the exit status the program ends with.
int ReportRunError(const RunError& error, MessageBoxes& messages, std::ostream& err);

}  // namespace vorn::print
