#include "bench/listed_printer_service.h"

#include <utility>

namespace vorn::bench {

ListedPrinterService::ListedPrinterService(print::PrinterService& inner, print::PrinterInfo printer)
    : inner_(inner), printer_(std::move(printer)) {}

std::string ListedPrinterService::DefaultPrinterName() { return printer_.DeviceName; }
std::vector<print::PrinterInfo> ListedPrinterService::InstalledPrinters() { return {printer_}; }
void ListedPrinterService::SelectPrinter(const print::PrinterInfo& printer) {
  inner_.SelectPrinter(printer);
}
void ListedPrinterService::PrintText(std::string_view text, bool lineBreak) {
  inner_.PrintText(text, lineBreak);
}
void ListedPrinterService::SetFontName(std::string_view faceName) { inner_.SetFontName(faceName); }
void ListedPrinterService::SetFontSize(float points) { inner_.SetFontSize(points); }
void ListedPrinterService::SetFurtherAttribute(int value) { inner_.SetFurtherAttribute(value); }
void ListedPrinterService::NewPage() { inner_.NewPage(); }
void ListedPrinterService::EndDocument() { inner_.EndDocument(); }
int ListedPrinterService::FontCount() { return inner_.FontCount(); }
std::string ListedPrinterService::FontAt(int index) { return inner_.FontAt(index); }

}  // namespace vorn::bench
