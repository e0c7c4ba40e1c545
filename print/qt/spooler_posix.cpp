// On CUPS systems the document is rendered to PDF by Qt into a file that has no name, so that
// no copy of the quote outlives the process, and then streamed to the spooler through libcups
// on a connection with a time limit, so that a job the spooler refuses, or a server that does
// not answer, is reported instead of silently lost.
// Divisions, in order: the page's margins and resolution; the unnamed file, the queue's
// address and its paper; the spool job (painting, then submitting); starting one.
#include <cups/cups.h>
#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QMarginsF>
#include <QPageLayout>
#include <QPdfWriter>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "common/run_error.h"
#include "print/platform/cups_connection.h"
#include "print/qt/spooler.h"

namespace vorn::print {

namespace {

// Margins of a typical printer's unprintable border.
constexpr qreal kMarginInches = 0.25;
constexpr int kResolution = 1200;

// A new file in `dir` that no name leads to: where the file system cannot make one, a named
// file is made and its name removed at once.
int OpenUnnamedFile(const QByteArray& dir) {
#ifdef O_TMPFILE
  int fd = ::open(dir.constData(), O_TMPFILE | O_RDWR | O_EXCL | O_CLOEXEC, 0600);
  if (fd >= 0) return fd;
#endif
  QByteArray name = dir + "/kelvarin-job-XXXXXX";
  int named = ::mkostemp(name.data(), O_CLOEXEC);
  if (named >= 0) ::unlink(name.constData());
  return named;
}

// The queue's address on the server.
std::string PrinterUri(const QString& printerName) {
  char uri[HTTP_MAX_URI];
  httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0,
                   "/printers/%s", printerName.toUtf8().constData());
  return uri;
}

// The printer's default paper, as the print server reports it; Letter when it names none.
QPageSize DefaultPageSize(const QString& printerName) {
  CupsConnection server("Cannot ask the printer " + printerName.toStdString() + " for its paper");
  ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
               PrinterUri(printerName).c_str());
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
               "media-default");
  // No answer at all is the job's failure; a printer the server does not know, or one that
  // names no paper, is found out by the job itself.
  ipp_t* response = cupsDoRequest(server.get(), request, "/");
  if (response == nullptr) throw server.Failure();
  QPageSize size(QPageSize::Letter);
  ipp_attribute_t* media = ippFindAttribute(response, "media-default", IPP_TAG_ZERO);
  if (const char* keyword = media != nullptr ? ippGetString(media, 0, nullptr) : nullptr) {
    if (pwg_media_t* pwg = pwgMediaForPWG(keyword); pwg != nullptr && pwg->width > 0)
      size = QPageSize(QSizeF(pwg->width / 100.0, pwg->length / 100.0), QPageSize::Millimeter,
                       QString(), QPageSize::FuzzyMatch);
  }
  ippDelete(response);
  return size;
}

class CupsSpoolJob final : public SpoolJob {
 public:
  CupsSpoolJob(const QString& printerName, const QString& title)
      : printerName_(printerName), title_(title) {
    int fd = OpenUnnamedFile(QFile::encodeName(QDir::tempPath()));
    if (fd < 0)
      throw SystemError(errno, "Cannot create the spool file in " + QDir::tempPath().toStdString());
    if (!spoolFile_.open(fd, QIODevice::ReadWrite, QFileDevice::AutoCloseHandle)) {
      ::close(fd);
      throw RunError(ErrorNumber::kPermissionDenied,
                     "Cannot create the spool file: " + spoolFile_.errorString().toStdString());
    }
    const QPageSize pageSize = DefaultPageSize(printerName);
    writer_ = std::make_unique<QPdfWriter>(&spoolFile_);
    writer_->setResolution(kResolution);
    writer_->setTitle(title);
    writer_->setCreator(QStringLiteral("Kelvarin"));
    const qreal margin = kMarginInches * 25.4;
    writer_->setPageLayout(QPageLayout(pageSize, QPageLayout::Portrait,
                                       QMarginsF(margin, margin, margin, margin),
                                       QPageLayout::Millimeter));
  }

  QPagedPaintDevice& Device() override { return *writer_; }

  // One Print-Job request that carries the document: the server takes the whole job or
  // refuses it (a queue that does not accept jobs), and says which.
  void Submit() override {
    if (!spoolFile_.flush() || !spoolFile_.seek(0))
      throw RunError(ErrorNumber::kDeviceIo, "Cannot read back the spool file");
    const qint64 size = spoolFile_.size();
    const QByteArray name = printerName_.toUtf8();
    const std::string resource = "/printers/" + name.toStdString();
    CupsConnection server("The printer did not accept the document");
    ipp_t* request = ippNewRequest(IPP_OP_PRINT_JOB);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 PrinterUri(printerName_).c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr,
                 title_.toUtf8().constData());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr,
                 CUPS_FORMAT_PDF);
    // The length covers the request and the document after it.
    http_status_t status = cupsSendRequest(server.get(), request, resource.c_str(),
                                           ippLength(request) + static_cast<std::size_t>(size));
    std::array<char, 64 * 1024> chunk{};
    qint64 left = size;
    while (status == HTTP_STATUS_CONTINUE && left > 0) {
      const qint64 got =
          spoolFile_.read(chunk.data(), std::min(left, static_cast<qint64>(chunk.size())));
      if (got <= 0) {
        status = HTTP_STATUS_ERROR;
        break;
      }
      left -= got;
      status = cupsWriteRequestData(server.get(), chunk.data(), static_cast<std::size_t>(got));
    }
    ippDelete(request);
    ipp_t* response =
        status == HTTP_STATUS_CONTINUE ? cupsGetResponse(server.get(), resource.c_str()) : nullptr;
    const bool accepted = response != nullptr && cupsLastError() <= IPP_STATUS_OK_CONFLICTING;
    ippDelete(response);
    if (!accepted) throw server.Failure();
  }

 private:
  QString printerName_;
  QString title_;
  QFile spoolFile_;  // no name leads to it; it goes with the job
  std::unique_ptr<QPdfWriter> writer_;
};

}  // namespace

std::unique_ptr<SpoolJob> SpoolJob::Start(const QString& printerName, const QString& title) {
  return std::make_unique<CupsSpoolJob>(printerName, title);
}

}  // namespace vorn::print
