// A bare Win32 program that shows one dialog and waits.
#include "bench/win32/minimal_dialog.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  return ShowMinimalDialog(instance);
}
