#pragma once

#include <QPrinter>
#include <QString>

#include "print/qt/spooler.h"

namespace vorn::bench {

// A document painted into a PDF file and left there: the spool job without the spooler. The
// page is the one the CUPS job uses for a printer without its own default: Letter, portrait,
// a quarter inch margin all round, high resolution.
class PdfFileJob final : public print::SpoolJob {
 public:
  PdfFileJob(const QString& pdfPath, const QString& title);
  QPrinter& Device() override { return printer_; }
  void Submit() override {}

 private:
  QPrinter printer_;
};

}  // namespace vorn::bench
