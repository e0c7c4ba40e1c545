// Tesmo: configures the installed VORN programs' printer port.
#include <QApplication>
#include <QIcon>
#include <iostream>

#include "autoconfig/forms/frm_main.h"
#include "autoconfig/launcher.h"
#include "autoconfig/platform/command_line.h"
#include "autoconfig/platform/process_launch.h"
#include "autoconfig/tesmo.h"
#include "common/file_names.h"
#include "common/run_error_report.h"
#include "gui/qt/display_check.h"
#include "gui/qt/qt_form_host.h"
#include "gui/qt/qt_message_boxes.h"

int main(int argc, char* argv[]) {
  using namespace vorn::autoconfig;
  // Taken before Qt removes the arguments it understands.
  const std::string arguments = CommandLineArguments(argc, argv);

  // Qt aborts when it cannot open its display; a clear line and status 1 instead.
  if (std::string why; !vorn::gui::CanOpenDisplay(argc, argv, why)) {
    std::cerr << "Tesmo: " << why << std::endl;
    return 1;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tesmo"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/tesmo/tesmo.png")));
  vorn::gui::QtMessageBoxes messages(QStringLiteral("Tesmo"));
  try {
    TesmoContext ctx(messages, SystemTreeSearch(), SystemLauncher());
    ctx.KelvarinPath =
        vorn::WithTrailingSeparator(vorn::ApplicationDirectory()) + KelvarinFileName();
    vorn::gui::QtFormHost host;
    frmMain window(ctx, host);
    Main(ctx, window, arguments);
    // Cancelled at the first message: no window was ever shown, and Tesmo ends. Otherwise it
    // ends when the status window is unloaded.
    host.RunUntilNoWindow();
    return 0;
  } catch (...) {
    return vorn::ReportCurrentError(messages, std::cerr);
  }
}
