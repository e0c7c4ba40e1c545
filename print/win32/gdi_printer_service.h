#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "print/printer_service.h"

namespace vorn::print {

// The printer service on the Windows spooler and GDI. One printer device context is one
// document (StartDocW ... EndDoc) and one spooler job titled "VORN Quote". Lines are drawn with
// TextOutW from the top left of the printable area, each advanced by the font's height; a line
// that would pass the bottom of the page starts a new page by itself. Every failure of the
// device context, the document or a page is error 482.
class GdiPrinterService final : public PrinterService {
 public:
  GdiPrinterService() = default;
  ~GdiPrinterService() override;
  GdiPrinterService(const GdiPrinterService&) = delete;
  GdiPrinterService& operator=(const GdiPrinterService&) = delete;

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
  std::string FontAt(int index) override;

  // The title every job carries in the print queue.
  static constexpr const wchar_t* kJobTitle = L"VORN Quote";

 private:
  // The current printer by its spooler name: the selected one, else the system's default
  // (empty: none).
  std::wstring CurrentPrinter() const;
  void StartDocument();
  void StartPage();
  void EndPage();
  void ApplyFont();
  void Abandon();
  const std::vector<std::string>& Fonts();

  std::string selected_;
  std::string faceName_;
  float points_ = 12;

  HDC dc_ = nullptr;
  HFONT font_ = nullptr;
  HGDIOBJ previousFont_ = nullptr;
  bool pageOpen_ = false;
  bool newPagePending_ = false;
  int x_ = 0;
  int y_ = 0;
  int pageHeight_ = 0;
  int lineHeight_ = 0;

  std::vector<std::string> fonts_;
  std::string fontsOf_;
  bool fontsLoaded_ = false;
};

}  // namespace vorn::print
