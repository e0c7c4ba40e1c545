// Kelvarin: prints the quote a VORN program left in the current directory.
#include <QApplication>
#include <QIcon>
#include <QLocale>
#include <iostream>

#include "common/ansi_text.h"
#include "common/clock.h"
#include "common/file_names.h"
#include "common/run_error_report.h"
#include "gui/qt/display_check.h"
#include "gui/qt/qt_form_host.h"
#include "gui/qt/qt_message_boxes.h"
#include "print/forms/kelvarin_forms.h"
#include "print/kelvarin.h"
#include "print/qt/qt_printer_service.h"

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
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/kelvarin/kelvarin.ico")));

  vorn::print::QtPrinterService printers;
  vorn::gui::QtMessageBoxes messages("Kelvarin");
  vorn::SystemClock clock;
  try {
    const std::string currentDir = vorn::CurrentDirectory();
    const vorn::print::ActionLog log(
        clock,
        {DayHalf(QLocale::system().amText(), "AM"), DayHalf(QLocale::system().pmText(), "PM")},
        vorn::ApplicationDirectory());
    vorn::print::KelvarinContext ctx(printers, messages, log);
    ctx.CurrentDir = currentDir;
    ctx.AppDir = log.Folder();
    vorn::gui::QtFormHost host;
    vorn::print::KelvarinForms windows(host);
    vorn::print::Main(ctx, windows);
    // The run closes its windows itself; nothing is left to wait for.
    host.RunUntilNoWindow();
  } catch (...) {
    return vorn::ReportCurrentError(messages, std::cerr);
  }
  return 0;
}
