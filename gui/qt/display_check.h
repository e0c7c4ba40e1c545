#pragma once

#include <string>

namespace vorn::gui {

// Whether the window system Qt is about to use can be reached. Qt ends the process with an
// abort when it cannot open its display; this asks first, so that the program can end with a
// clear line instead. Only the X11 platform is checked (the default on Linux, or chosen with
// QT_QPA_PLATFORM or -platform); any other platform, such as the offscreen one tests use, is
// left to Qt. On failure `why` says what could not be opened.
bool CanOpenDisplay(int argc, char** argv, std::string& why);

}  // namespace vorn::gui
