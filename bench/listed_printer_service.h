#pragma once

#include <string>
#include <vector>

#include "print/printer_service.h"

namespace vorn::bench {

// Hands every operation to `inner` except the printer list: one installed printer, also the
// default, so that the print job finds it without a print server.
class ListedPrinterService final : public print::PrinterService {
 public:
  ListedPrinterService(print::PrinterService& inner, print::PrinterInfo printer);

  std::string DefaultPrinterName() override;
  std::vector<print::PrinterInfo> InstalledPrinters() override;
  void SelectPrinter(const print::PrinterInfo& printer) override;
  void PrintText(std::string_view text, bool lineBreak) override;
  void SetFontName(std::string_view faceName) override;
  void SetFontSize(float points) override;
  void SetFurtherAttribute(int value) override;
  void NewPage() override;
  void EndDocument() override;
  int FontCount() override;
  std::string FontAt(int index) override;

 private:
  print::PrinterService& inner_;
  print::PrinterInfo printer_;
};

}  // namespace vorn::bench
