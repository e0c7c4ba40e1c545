// Kelvarin: prints the quote a VORN program left in the current directory.
#include <QApplication>
#include <QLocale>
#include <iostream>

#include "common/ansi_text.h"
#include "common/clock.h"
#include "common/file_names.h"
#include "common/run_error.h"
#include "gui/display_check.h"
#include "gui/qt_message_boxes.h"
#include "print/kelvarin.h"
#include "print/qt_kelvarin_windows.h"
#include "print/qt_printer_service.h"
#include "print/run_error_report.h"

namespace {

std::string DayHalf(const QString& name, const char* fallback) {
  return name.isEmpty() ? fallback : vorn::Utf8ToAnsi(name.toStdString());
}

}  // namespace

int main(int argc, char* argv[]) {
  // Qt aborts when it cannot open its display; a clear line and status 1 instead.
  if (std::string why; !vorn::gui::CanOpenDisplay(argc, argv, why)) {
    std::cerr << "Kelvarin: " << why << std::endl;
    return 1;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName("Kelvarin");
  QApplication::setWindowIcon(vorn::print::KelvarinIcon());

  vorn::print::QtPrinterService printers;
  vorn::gui::QtMessageBoxes messages("Kelvarin");
  vorn::SystemClock clock;
  vorn::print::KelvarinContext ctx(printers, messages, clock);
  ctx.SupportPhone = VORN_SUPPORT_PHONE;
  ctx.DayHalves = {DayHalf(QLocale::system().amText(), "AM"),
                   DayHalf(QLocale::system().pmText(), "PM")};
  try {
    ctx.CurrentDir = vorn::CurrentDirectory();
    ctx.AppDir = vorn::ApplicationDirectory();
    vorn::print::QtKelvarinWindows windows;
    vorn::print::Main(ctx, windows);
  } catch (const vorn::RunError& error) {
    return vorn::print::ReportRunError(error, messages, std::cerr);
  } catch (const std::exception& error) {
    return vorn::print::ReportRunError(
        vorn::RunError(vorn::ErrorNumber::kInvalidCall, error.what()), messages, std::cerr);
  }
  return 0;
}
