// The same bare dialog, after asking the spooler for its printers once, as any program that
// prints does before its first window: it shows what the spooler itself adds to a start.
#include <windows.h>
#include <winspool.h>

#include "bench/win32/minimal_dialog.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  DWORD needed = 0;
  DWORD count = 0;
  EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 2, nullptr, 0, &needed,
                &count);
  return ShowMinimalDialog(instance);
}
