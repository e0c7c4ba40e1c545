// Whether the Qt programs can open their X display on POSIX, asked before QApplication
// exists. Divisions, in order: the -platform option on the command line; the check itself.
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

#include "gui/qt/display_check.h"

namespace vorn::gui {

namespace {

// The value following `option` ("-platform", or the same with two hyphens) on the command
// line, or null.
const char* Option(int argc, char** argv, const char* option) {
  for (int i = 1; i + 1 < argc; ++i) {
    const char* name = argv[i][0] == '-' && argv[i][1] == '-' ? argv[i] + 1 : argv[i];
    if (std::strcmp(name, option) == 0) return argv[i + 1];
  }
  return nullptr;
}

}  // namespace

bool CanOpenDisplay(int argc, char** argv, std::string& why) {
  const char* platform = Option(argc, argv, "-platform");
  if (platform == nullptr) platform = std::getenv("QT_QPA_PLATFORM");
  // "xcb", "xcb:option=value" or a list of fallbacks "xcb;offscreen": only a plain xcb is
  // the one that aborts.
  if (platform != nullptr && *platform != '\0') {
    const std::string name(platform, std::strcspn(platform, ":;"));
    if (name != "xcb" || std::strchr(platform, ';') != nullptr) return true;
  }
  const char* display = Option(argc, argv, "-display");
  if (display == nullptr) display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') {
    why = "cannot open the display: DISPLAY is not set";
    return false;
  }
  xcb_connection_t* connection = xcb_connect(display, nullptr);
  const bool ok = xcb_connection_has_error(connection) == 0;
  xcb_disconnect(connection);
  if (!ok) why = std::string("cannot open the display \"") + display + "\"";
  return ok;
}

}  // namespace vorn::gui
