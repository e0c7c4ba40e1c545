// Drives Kelvarin's print job on the GDI printer service from the command line, for the tests
// that read back what reached a private print server under Wine:
//   gdi_print_driver print PRINTER COPIES [FONT]   prints VORN.PRN of the current directory
//   gdi_print_driver fonts                         lists the current printer's fonts
// The action log goes to the current directory; a message box's text goes to stdout.
#include <iostream>
#include <string>

#include "common/clock.h"
#include "common/file_names.h"
#include "common/message_box.h"
#include "common/run_error.h"
#include "print/action_log.h"
#include "print/kelvarin_context.h"
#include "print/print_job.h"
#include "print/win32/gdi_printer_service.h"

namespace {

class PrintedMessages final : public vorn::MessageBoxes {
 public:
  vorn::MessageAnswer Show(const std::string& text, vorn::MessageIcon,
                           vorn::MessageButtons) override {
    std::cout << "MESSAGE: " << text << std::endl;
    return vorn::MessageAnswer::kOk;
  }
};

}  // namespace

int main(int argc, char* argv[]) {
  const std::string mode = argc > 1 ? argv[1] : "";
  vorn::print::GdiPrinterService printers;
  try {
    if (mode == "fonts" && argc == 2) {
      const int count = printers.FontCount();
      for (int i = 0; i < count; ++i) std::cout << printers.FontAt(i) << "\n";
      return 0;
    }
    if (mode == "print" && (argc == 4 || argc == 5)) {
      PrintedMessages messages;
      vorn::SystemClock clock;
      const vorn::print::ActionLog log(clock, {}, vorn::CurrentDirectory());
      vorn::print::KelvarinContext ctx(printers, messages, log);
      ctx.CurrentDir = ctx.AppDir = log.Folder();
      ctx.PrintSettings.FontName = argc == 5 ? argv[4] : "Courier New";
      vorn::print::OutputPrinter(ctx, argv[2], static_cast<std::int16_t>(std::stoi(argv[3])));
      return 0;
    }
  } catch (const vorn::RunError& error) {
    std::cout << "RUNERROR " << error.Number() << ": " << error.Description() << std::endl;
    return 3;
  }
  std::cerr << "usage: gdi_print_driver print PRINTER COPIES [FONT] | fonts\n";
  return 2;
}
