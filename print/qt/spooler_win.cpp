// On Windows the document goes straight to the printer driver through Qt's native printer.
#include <QPrinter>

#include "common/run_error.h"
#include "print/qt/spooler.h"

namespace vorn::print {

namespace {

class NativeSpoolJob final : public SpoolJob {
 public:
  NativeSpoolJob(const QString& printerName, const QString& title)
      : printer_(QPrinter::HighResolution) {
    printer_.setPrinterName(printerName);
    printer_.setDocName(title);
  }
  QPrinter& Device() override { return printer_; }
  // The driver spooled the document when painting ended.
  void Submit() override {}

 private:
  QPrinter printer_;
};

}  // namespace

std::unique_ptr<SpoolJob> SpoolJob::Start(const QString& printerName, const QString& title) {
  return std::make_unique<NativeSpoolJob>(printerName, title);
}

}  // namespace vorn::print
