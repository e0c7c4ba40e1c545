// Kelvarin: prints the quote a VORN program left in the current directory.
#include <QApplication>
#include <QLocale>
#include <QMessageBox>
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

namespace {

// The run-time error report: the error's number and description in a critical box and on
// stderr; the process then ends with a failure status and the print file untouched.
int ReportRunError(int number, const std::string& description) {
  QString text = QString("Run-time error '%1':\n\n%2")
                     .arg(number)
                     .arg(QString::fromStdString(vorn::AnsiToUtf8(description)));
  std::cerr << "Kelvarin: " << text.toStdString() << std::endl;
  QMessageBox box(QMessageBox::Critical, "Kelvarin", text, QMessageBox::Ok);
  box.exec();
  return 1;
}

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
    return ReportRunError(error.Number(), error.Description());
  } catch (const std::exception& error) {
    return ReportRunError(static_cast<int>(vorn::ErrorNumber::kInvalidCall), error.what());
  }
  return 0;
}
