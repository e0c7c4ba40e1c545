#pragma once

#include "common/message_box.h"

namespace vorn::gui {

// Ends the program at once with the run-time error report of the exception being handled
// (call it inside a catch block). For failures inside a window's event handler, where the
// window system offers no way back to main: nothing after the failure runs, as when a
// run-time error ends a program.
[[noreturn]] void EndWithRunErrorReport(MessageBoxes& messages);

}  // namespace vorn::gui
