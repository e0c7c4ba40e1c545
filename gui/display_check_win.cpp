#include "gui/display_check.h"

namespace vorn::gui {

// A Windows desktop is always there for a program that runs.
bool CanOpenDisplay(int /*argc*/, char** /*argv*/, std::string& /*why*/) { return true; }

}  // namespace vorn::gui
