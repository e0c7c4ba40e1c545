#include "fake_printer_service.h"

#include <QCursor>
#include <QGuiApplication>
#include <QString>

namespace vorn::print::test {

std::string FakePrinterService::DefaultPrinterName() {
  return printers.empty() ? std::string() : printers.front().DeviceName;
}

std::vector<PrinterInfo> FakePrinterService::InstalledPrinters() { return printers; }

void FakePrinterService::SelectPrinter(const PrinterInfo&) { ++outputCalls; }
void FakePrinterService::PrintText(std::string_view, bool) { ++outputCalls; }
void FakePrinterService::SetFontName(std::string_view) { ++outputCalls; }
void FakePrinterService::SetFontSize(float) { ++outputCalls; }
void FakePrinterService::SetFurtherAttribute(int) { ++outputCalls; }
void FakePrinterService::NewPage() { ++outputCalls; }
void FakePrinterService::EndDocument() { ++outputCalls; }

int FakePrinterService::FontCount() {
  return reportedFontCount ? *reportedFontCount : static_cast<int>(fonts.size());
}

std::string FakePrinterService::FontAt(int index) {
  ++fontAtCalls;
  if (index > highestFontIndexAsked) highestFontIndexAsked = index;
  const QCursor* pointer = QGuiApplication::overrideCursor();
  if (!pointer || pointer->shape() != Qt::WaitCursor) fontAtWithoutBusyPointer = true;
  if (index >= 0 && index < static_cast<int>(fonts.size())) return fonts[index];
  return QStringLiteral("Face %1").arg(index, 5, 10, QLatin1Char('0')).toStdString();
}

}  // namespace vorn::print::test
