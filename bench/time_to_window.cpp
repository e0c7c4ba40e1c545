// Start-up, measured from outside: starts a program and waits on the X server until a
// top-level window with the given title is mapped; prints the time between the two in
// milliseconds, then ends the program.
//   bench_time_to_window TITLE TIMEOUT_SECONDS PROGRAM [ARGS...]
// Windows are watched through the server's own notifications, so no polling delay is added.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// The window's title: _NET_WM_NAME (UTF-8) when set, else WM_NAME.
std::string TitleOf(Display* display, Window window) {
  static const Atom kNetWmName = XInternAtom(display, "_NET_WM_NAME", False);
  static const Atom kUtf8 = XInternAtom(display, "UTF8_STRING", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  std::string title;
  if (XGetWindowProperty(display, window, kNetWmName, 0, 1024, False, kUtf8, &type, &format, &count,
                         &after, &data) == Success &&
      data != nullptr && type == kUtf8) {
    title.assign(reinterpret_cast<char*>(data), count);
  }
  if (data != nullptr) XFree(data);
  if (title.empty()) {
    char* name = nullptr;
    if (XFetchName(display, window, &name) != 0 && name != nullptr) {
      title = name;
      XFree(name);
    }
  }
  return title;
}

bool IsMapped(Display* display, Window window) {
  XWindowAttributes attributes{};
  return XGetWindowAttributes(display, window, &attributes) != 0 &&
         attributes.map_state == IsViewable;
}

int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }  // a window may vanish meanwhile

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::cerr << "usage: bench_time_to_window TITLE TIMEOUT_SECONDS PROGRAM [ARGS...]\n";
    return 2;
  }
  const std::string wanted = argv[1];
  const auto timeout = std::chrono::milliseconds(static_cast<long>(std::atof(argv[2]) * 1000));
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::cerr << "bench_time_to_window: cannot open the display\n";
    return 2;
  }
  XSetErrorHandler(IgnoreXErrors);
  const Window root = DefaultRootWindow(display);
  // Before the program starts: every top-level window's creation and mapping is reported.
  XSelectInput(display, root, SubstructureNotifyMask);
  XSync(display, False);

  const auto start = Clock::now();
  pid_t pid = 0;
  if (int rc = ::posix_spawnp(&pid, argv[3], nullptr, nullptr, argv + 3, environ); rc != 0) {
    std::cerr << "bench_time_to_window: cannot start " << argv[3] << ": " << std::strerror(rc)
              << "\n";
    return 2;
  }

  bool shown = false;
  auto shownAt = start;
  const int fd = ConnectionNumber(display);
  while (!shown && Clock::now() - start < timeout) {
    while (!shown && XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == CreateNotify) {
        // The title may be set after the window is mapped.
        XSelectInput(display, event.xcreatewindow.window, PropertyChangeMask);
      } else if (event.type == MapNotify) {
        shown = TitleOf(display, event.xmap.window) == wanted;
      } else if (event.type == PropertyNotify) {
        shown = IsMapped(display, event.xproperty.window) &&
                TitleOf(display, event.xproperty.window) == wanted;
      }
      if (shown) shownAt = Clock::now();
    }
    if (shown) break;
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      std::cerr << "bench_time_to_window: " << argv[3] << " ended before its window showed\n";
      return 1;
    }
    pollfd pfd{fd, POLLIN, 0};
    ::poll(&pfd, 1, 50);
  }
  ::kill(pid, SIGTERM);
  int status = 0;
  ::waitpid(pid, &status, 0);
  XCloseDisplay(display);
  if (!shown) {
    std::cerr << "bench_time_to_window: no window \"" << wanted << "\" in time\n";
    return 1;
  }
  std::printf("%.1f\n", std::chrono::duration<double, std::milli>(shownAt - start).count());
  return 0;
}
