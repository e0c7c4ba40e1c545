#pragma once

#include <QFont>
#include <QPainter>
#include <QString>
#include <QStringList>
#include <memory>

#include "print/printer_service.h"
#include "print/spooler.h"

namespace vorn::print {

// The printer service on Qt PrintSupport and the system spooler. One QPainter session on a
// printer is one document and one spooler job; text is laid out line by line from the top of
// the printable area, a line too long for the page is cut at its edge, and a line that would
// pass the bottom of the page starts a new page by itself.
class QtPrinterService final : public PrinterService {
 public:
  QtPrinterService() = default;
  ~QtPrinterService() override;
  QtPrinterService(const QtPrinterService&) = delete;
  QtPrinterService& operator=(const QtPrinterService&) = delete;

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
  static constexpr const char* kJobTitle = "VORN Quote";

 private:
  void StartDocument();
  void StartPage();
  const QStringList& Fonts();

  QString selected_;  // empty: the system's default printer
  QFont font_;
  std::unique_ptr<SpoolJob> job_;
  QPainter painter_;
  qreal x_ = 0;
  qreal y_ = 0;
  bool newPagePending_ = false;
  QStringList fonts_;
  bool fontsLoaded_ = false;
};

}  // namespace vorn::print
