#pragma once

#include <optional>
#include <string>
#include <vector>

#include "print/printer_service.h"

namespace vorn::print::test {

// A few installed printers and a font list, with a record of how the dialogs asked for them.
// The dialogs never print: any output or printer selection is counted as a fault.
class FakePrinterService final : public PrinterService {
 public:
  std::string DefaultPrinterName() override;
  std::vector<PrinterInfo> InstalledPrinters() override;
  void SelectPrinter(const PrinterInfo& printer) override;
  void PrintText(std::string_view text, bool lineBreak) override;
  void SetFontName(std::string_view faceName) override;
  void SetFontSize(float points) override;
  void SetFurtherAttribute(int value) override;
  void NewPage() override;
  void EndDocument() override;
  int FontCount() override;
  // Beyond `fonts`, faces are made up as "Face 00042", already in alphabetical order.
  std::string FontAt(int index) override;

  std::vector<PrinterInfo> printers;
  std::vector<std::string> fonts;
  std::optional<int> reportedFontCount;  // what FontCount answers instead of fonts.size()

  int fontAtCalls = 0;
  int highestFontIndexAsked = -1;
  bool fontAtWithoutBusyPointer = false;  // a font was asked for while the pointer was normal
  int outputCalls = 0;
};

}  // namespace vorn::print::test
