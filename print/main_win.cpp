// Kelvarin on Windows: prints the quote a VORN program left in the current directory, with
// the Win32 windows and the GDI printer service.
#include <windows.h>

#include <iostream>

#include "common/clock.h"
#include "common/file_names.h"
#include "common/run_error.h"
#include "common/wide_text.h"
#include "gui/win32/win32_form_host.h"
#include "gui/win32/win32_message_boxes.h"
#include "print/forms/kelvarin_forms.h"
#include "print/kelvarin.h"
#include "print/win32/gdi_printer_service.h"

namespace {

// The run-time error report: the error's number and description in a critical box (and on
// stderr); the process then ends with a failure status and the print file untouched.
int ReportRunError(vorn::MessageBoxes& messages, int number, const std::string& description) {
  const std::string text = "Run-time error '" + std::to_string(number) + "':\n\n" + description;
  std::cerr << "Kelvarin: " << text << std::endl;
  messages.Show(text, vorn::MessageIcon::kCritical, vorn::MessageButtons::kOk);
  return 1;
}

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
  vorn::print::KelvarinContext ctx(printers, messages, clock);
  ctx.SupportPhone = VORN_SUPPORT_PHONE;
  ctx.DayHalves = {DayHalf(LOCALE_S1159, "AM"), DayHalf(LOCALE_S2359, "PM")};
  try {
    ctx.CurrentDir = vorn::CurrentDirectory();
    ctx.AppDir = vorn::ApplicationDirectory();
    vorn::win32::Win32FormHost host(instance);
    vorn::print::KelvarinForms windows(host);
    vorn::print::Main(ctx, windows);
  } catch (const vorn::RunError& error) {
    return ReportRunError(messages, error.Number(), error.Description());
  } catch (const std::exception& error) {
    return ReportRunError(messages, static_cast<int>(vorn::ErrorNumber::kInvalidCall),
                          error.what());
  }
  return 0;
}
