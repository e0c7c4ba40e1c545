#include "print/qt_kelvarin_windows.h"

#include <QApplication>

#include "print/dialogs/printer_dialogs.h"

namespace vorn::print {

void QtKelvarinWindows::ShowProgress() {
  controls_.ShowCentred();
  QApplication::processEvents();
}

void QtKelvarinWindows::RunPrinterChoice(KelvarinContext& ctx) {
  vorn::print::RunPrinterChoice(ctx, [this] { controls_.repaint(); });
}

void QtKelvarinWindows::CloseProgress() { controls_.close(); }

}  // namespace vorn::print
