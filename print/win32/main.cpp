// Kelvarin on Windows: prints the quote a VORN program left in the current directory, with
// the Win32 windows and the GDI printer service.
#include <windows.h>

#include <iostream>

#include "common/clock.h"
#include "common/file_names.h"
#include "common/run_error_report.h"
#include "common/wide_text.h"
#include "gui/win32/win32_form_host.h"
#include "gui/win32/win32_message_boxes.h"
#include "print/action_log.h"
#include "print/forms/kelvarin_forms.h"
#include "print/kelvarin.h"
#include "print/win32/gdi_printer_service.h"

namespace {

// The locale's names of the day's halves for the log's timestamps.
std::string DayHalf(LCTYPE which, const char* fallback) {
  wchar_t name[16] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, which, name, 16) <= 1) return fallback;
  return vorn::WideToAnsi(name);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
  vorn::print::GdiPrinterService printers;
  vorn::win32::Win32MessageBoxes messages(L"Kelvarin");
  vorn::SystemClock clock;
  try {
    const std::string currentDir = vorn::CurrentDirectory();
    const vorn::print::ActionLog log(clock,
                                     {DayHalf(LOCALE_S1159, "AM"), DayHalf(LOCALE_S2359, "PM")},
                                     vorn::ApplicationDirectory());
    vorn::print::KelvarinContext ctx(printers, messages, log);
    ctx.CurrentDir = currentDir;
    ctx.AppDir = log.Folder();
    vorn::win32::Win32FormHost host(instance);
    vorn::print::KelvarinForms windows(host);
    vorn::print::Main(ctx, windows);
    // The run closes its windows itself; nothing is left to wait for.
    host.RunUntilNoWindow();
  } catch (...) {
    return vorn::ReportCurrentError(messages, std::cerr);
  }
  return 0;
}
