#include "bench/pdf_file_job.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>

namespace vorn::bench {

namespace {
constexpr qreal kMarginMillimetres = 0.25 * 25.4;
}

PdfFileJob::PdfFileJob(const QString& pdfPath, const QString& title)
    : printer_(QPrinter::HighResolution) {
  printer_.setOutputFormat(QPrinter::PdfFormat);
  printer_.setOutputFileName(pdfPath);
  printer_.setDocName(title);
  printer_.setPageLayout(QPageLayout(
      QPageSize(QPageSize::Letter), QPageLayout::Portrait,
      QMarginsF(kMarginMillimetres, kMarginMillimetres, kMarginMillimetres, kMarginMillimetres),
      QPageLayout::Millimeter));
}

}  // namespace vorn::bench
