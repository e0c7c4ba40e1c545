// On CUPS systems the document is rendered to PDF by Qt and handed to the spooler through
// libcups, so that a job the spooler refuses is reported instead of silently lost.
#include <cups/cups.h>

#include <QDir>
#include <QFile>
#include <QMarginsF>
#include <QPageLayout>
#include <QPrinterInfo>
#include <QTemporaryFile>

#include "common/run_error.h"
#include "print/qt/spooler.h"

namespace vorn::print {

namespace {

// Margins of a typical printer's unprintable border.
constexpr qreal kMarginInches = 0.25;

class CupsSpoolJob final : public SpoolJob {
 public:
  CupsSpoolJob(const QString& printerName, const QString& title)
      : printerName_(printerName), title_(title), printer_(QPrinter::HighResolution) {
    spoolFile_.setFileTemplate(QDir::tempPath() + "/kelvarin-job-XXXXXX.pdf");
    if (!spoolFile_.open())
      throw RunError(ErrorNumber::kPermissionDenied,
                     "Cannot create the spool file: " + spoolFile_.errorString().toStdString());
    spoolFile_.close();
    printer_.setOutputFormat(QPrinter::PdfFormat);
    printer_.setOutputFileName(spoolFile_.fileName());
    printer_.setDocName(title);
    QPrinterInfo info = QPrinterInfo::printerInfo(printerName);
    QPageSize pageSize = info.isNull() ? QPageSize() : info.defaultPageSize();
    if (!pageSize.isValid()) pageSize = QPageSize(QPageSize::Letter);
    const qreal margin = kMarginInches * 25.4;
    printer_.setPageLayout(QPageLayout(pageSize, QPageLayout::Portrait,
                                       QMarginsF(margin, margin, margin, margin),
                                       QPageLayout::Millimeter));
  }

  QPrinter& Device() override { return printer_; }

  void Submit() override {
    QByteArray name = printerName_.toUtf8();
    QByteArray file = QFile::encodeName(spoolFile_.fileName());
    QByteArray title = title_.toUtf8();
    int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, name.constData(), file.constData(),
                             title.constData(), 0, nullptr);
    if (job == 0) {
      const char* why = cupsLastErrorString();
      throw RunError(ErrorNumber::kPrinterError,
                     std::string("The printer did not accept the document: ") +
                         (why != nullptr ? why : "unknown spooler error"));
    }
  }

 private:
  QString printerName_;
  QString title_;
  QTemporaryFile spoolFile_;  // removed with the job
  QPrinter printer_;
};

}  // namespace

std::unique_ptr<SpoolJob> SpoolJob::Start(const QString& printerName, const QString& title) {
  return std::make_unique<CupsSpoolJob>(printerName, title);
}

}  // namespace vorn::print
