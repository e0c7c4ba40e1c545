#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "print/printer_service.h"

namespace vorn::reliability {

// A printer that keeps no text, only counts and a hash of what it printed, so that very large
// print files can be printed without the test itself holding them.
class CountingPrinterService final : public print::PrinterService {
 public:
  std::uint64_t lines = 0;
  std::uint64_t bytes = 0;
  std::uint64_t hash = kFnvOffset;
  int pages = 0;
  int documents = 0;

  static constexpr std::uint64_t kFnvOffset = 1469598103934665603ull;
  static std::uint64_t Hash(std::string_view text, std::uint64_t hash = kFnvOffset) {
    for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
    return hash;
  }

  std::string DefaultPrinterName() override { return "Front Desk"; }
  std::vector<print::PrinterInfo> InstalledPrinters() override {
    return {{"Front Desk", "Generic", "usb://desk"}};
  }
  void SelectPrinter(const print::PrinterInfo&) override {}
  void PrintText(std::string_view text, bool lineBreak) override {
    bytes += text.size();
    hash = Hash(text, hash);
    if (lineBreak) ++lines;
  }
  void SetFontName(std::string_view) override {}
  void SetFontSize(float) override {}
  void SetFurtherAttribute(int) override {}
  void NewPage() override { ++pages; }
  void EndDocument() override { ++documents; }
  int FontCount() override { return 0; }
  std::string FontAt(int) override { return {}; }
};

}  // namespace vorn::reliability
