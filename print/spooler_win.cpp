// On Windows the document goes straight to the printer driver through Qt's native printer.
#include <windows.h>
#include <winspool.h>

#include <vector>

#include "common/run_error.h"
#include "print/spooler.h"

namespace vorn::print {

std::string PrinterPort(const QString& deviceName) {
  DWORD needed = 0, count = 0;
  EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 2, nullptr, 0, &needed,
                &count);
  if (needed == 0) return {};
  std::vector<BYTE> buffer(needed);
  if (!EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 2, buffer.data(),
                     needed, &needed, &count))
    return {};
  auto* printers = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) {
    if (QString::fromWCharArray(printers[i].pPrinterName) == deviceName && printers[i].pPortName)
      return QString::fromWCharArray(printers[i].pPortName).toStdString();
  }
  return {};
}

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
