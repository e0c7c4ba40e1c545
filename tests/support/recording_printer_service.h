#pragma once

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/run_error.h"
#include "print/printer_service.h"

namespace vorn::testing {

// A printer service that records every call and keeps printed documents as pages of lines.
class RecordingPrinterService : public print::PrinterService {
 public:
  struct Document {
    std::string printer;
    std::vector<std::vector<std::string>> pages;  // lines printed with a line break
  };

  std::vector<print::PrinterInfo> printers = {{"Office Laser", "Generic PCL Laser", "usb://laser"},
                                              {"Front Desk", "Generic PostScript", "ipp://desk"}};
  std::string defaultPrinter = "Office Laser";
  std::vector<std::string> fonts = {"Courier New", "Arial"};
  std::vector<std::string> calls;
  std::vector<Document> documents;
  // Makes EndDocument fail, as a spooler that refuses jobs does.
  bool refuseJobs = false;

  std::string DefaultPrinterName() override { return defaultPrinter; }
  std::vector<print::PrinterInfo> InstalledPrinters() override { return printers; }
  void SelectPrinter(const print::PrinterInfo& p) override {
    calls.push_back("SelectPrinter " + p.DeviceName);
    selected_ = p.DeviceName;
  }
  void PrintText(std::string_view text, bool lineBreak) override {
    calls.push_back(std::string("PrintText ") + std::string(text) + (lineBreak ? " \\n" : ""));
    if (!open_) {
      documents.push_back({selected_, {{}}});
      open_ = true;
    }
    if (pendingPage_) {
      documents.back().pages.emplace_back();
      pendingPage_ = false;
    }
    if (lineBreak) documents.back().pages.back().push_back(partial_ + std::string(text));
    partial_ = lineBreak ? "" : partial_ + std::string(text);
  }
  void SetFontName(std::string_view name) override {
    calls.push_back("SetFontName " + std::string(name));
  }
  void SetFontSize(float points) override {
    calls.push_back("SetFontSize " + std::to_string(static_cast<int>(points)));
  }
  void SetFurtherAttribute(int value) override {
    calls.push_back("SetFurtherAttribute " + std::to_string(value));
  }
  void NewPage() override {
    calls.push_back("NewPage");
    if (open_) pendingPage_ = true;
  }
  void EndDocument() override {
    calls.push_back("EndDocument");
    if (refuseJobs) throw RunError(ErrorNumber::kPrinterError, "Printer not accepting jobs.");
    open_ = false;
    pendingPage_ = false;
  }
  int FontCount() override {
    return reportedFontCount ? *reportedFontCount : static_cast<int>(fonts.size());
  }
  // Beyond `fonts`, faces are made up as "Face 00042", already in alphabetical order.
  std::string FontAt(int index) override {
    ++fontAtCalls;
    highestFontIndexAsked = std::max(highestFontIndexAsked, index);
    if (onFontAt) onFontAt(index);
    if (index >= 0 && index < static_cast<int>(fonts.size()))
      return fonts[static_cast<std::size_t>(index)];
    std::string number = std::to_string(index);
    return "Face " + std::string(5 - std::min<std::size_t>(5, number.size()), '0') + number;
  }
  // The calls that would print something.
  int OutputCalls() const {
    int count = 0;
    for (const std::string& call : calls)
      count += call.rfind("Set", 0) == 0 || call.rfind("Print", 0) == 0 || call == "NewPage" ||
               call == "EndDocument";
    return count;
  }

  std::optional<int> reportedFontCount;  // what FontCount answers instead of fonts.size()
  int fontAtCalls = 0;
  int highestFontIndexAsked = -1;
  std::function<void(int)> onFontAt;

 private:
  std::string selected_;
  std::string partial_;
  bool open_ = false;
  bool pendingPage_ = false;
};

}  // namespace vorn::testing
