#include "print/qt_printer_service.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>

#include "common/ansi_text.h"
#include "common/run_error.h"
#include "print/system_printers.h"

namespace vorn::print {

namespace {

QString FromAnsi(std::string_view text) { return QString::fromStdString(AnsiToUtf8(text)); }
std::string ToAnsi(const QString& text) { return Utf8ToAnsi(text.toStdString()); }

constexpr int kMaxFonts = 32767;

}  // namespace

QtPrinterService::QtPrinterService() : startJob_(&SpoolJob::Start) {}

QtPrinterService::QtPrinterService(JobFactory startJob) : startJob_(std::move(startJob)) {}

QtPrinterService::~QtPrinterService() {
  // A document the run abandoned is never sent.
  if (painter_.isActive()) painter_.end();
}

std::string QtPrinterService::DefaultPrinterName() { return SystemDefaultPrinter(); }

std::vector<PrinterInfo> QtPrinterService::InstalledPrinters() { return SystemPrinters(); }

void QtPrinterService::SelectPrinter(const PrinterInfo& printer) {
  selected_ = FromAnsi(printer.DeviceName);
}

void QtPrinterService::StartDocument() {
  QString name = selected_.isEmpty() ? FromAnsi(SystemDefaultPrinter()) : selected_;
  if (name.isEmpty()) throw RunError(ErrorNumber::kNoPrinter, "No printer is selected");
  job_ = startJob_(name, QString::fromLatin1(kJobTitle));
  if (!painter_.begin(&job_->Device())) {
    job_.reset();
    throw RunError(ErrorNumber::kPrinterError,
                   "The printer " + ToAnsi(name) + " cannot be started");
  }
  QPrinter& device = job_->Device();
  painter_.setClipRect(QRectF(0, 0, device.width(), device.height()));
  pageHeight_ = device.height();
  ApplyFont();
  x_ = y_ = 0;
  newPagePending_ = false;
}

void QtPrinterService::StartPage() {
  if (!job_->Device().newPage())
    throw RunError(ErrorNumber::kPrinterError, "The printer cannot start a new page");
  x_ = y_ = 0;
}

void QtPrinterService::PrintText(std::string_view text, bool lineBreak) {
  if (!job_) StartDocument();
  if (newPagePending_) {
    newPagePending_ = false;
    StartPage();
  }
  // A line that would pass the bottom of the printable area goes on a new page.
  if (y_ > 0 && y_ + lineHeight_ > pageHeight_) StartPage();
  if (!text.empty()) {
    QString line = FromAnsi(text);
    painter_.drawText(QPointF(x_, y_ + ascent_), line);
    // Laying text out again to measure it costs as much as drawing it, and a line break
    // sends the position back to the margin anyway.
    if (!lineBreak) x_ += QFontMetricsF(painter_.font(), &job_->Device()).horizontalAdvance(line);
  }
  if (lineBreak) {
    x_ = 0;
    y_ += lineSpacing_;
  }
}

void QtPrinterService::ApplyFont() {
  QPrinter& device = job_->Device();
  QFont font(font_, &device);
  // In a fixed-pitch font every character keeps its own cell, so there is nothing for the
  // text shaper to do for these code-page texts; skipping it halves the cost of a line.
  if (QFontInfo(font).fixedPitch()) font.setStyleStrategy(QFont::PreferNoShaping);
  painter_.setFont(font);
  QFontMetricsF metrics(painter_.font(), &device);
  ascent_ = metrics.ascent();
  lineHeight_ = metrics.height();
  lineSpacing_ = metrics.lineSpacing();
}

void QtPrinterService::SetFontName(std::string_view faceName) {
  font_.setFamily(FromAnsi(faceName));
  if (job_) ApplyFont();
}

void QtPrinterService::SetFontSize(float points) {
  font_.setPointSizeF(points);
  if (job_) ApplyFont();
}

void QtPrinterService::SetFurtherAttribute(int /*value*/) {
  // The original printer object had one more 16-bit attribute set to 2 after the font size.
  // Nothing on this platform corresponds to it; it is kept so the job's steps stay complete.
}

void QtPrinterService::NewPage() {
  // Takes effect only when more output arrives: a page nothing fills is never ejected.
  if (job_) newPagePending_ = true;
}

void QtPrinterService::EndDocument() {
  if (!job_) return;
  std::unique_ptr<SpoolJob> job = std::move(job_);
  newPagePending_ = false;
  if (!painter_.end())
    throw RunError(ErrorNumber::kPrinterError, "The document could not be finished");
  job->Submit();
}

const QStringList& QtPrinterService::Fonts() {
  if (!fontsLoaded_) {
    for (const QString& family : QFontDatabase::families()) {
      if (QFontDatabase::isPrivateFamily(family)) continue;
      fonts_.append(family);
      if (fonts_.size() == kMaxFonts) break;
    }
    fontsLoaded_ = true;
  }
  return fonts_;
}

int QtPrinterService::FontCount() { return static_cast<int>(Fonts().size()); }

std::string QtPrinterService::FontAt(int index) {
  const QStringList& fonts = Fonts();
  if (index < 0 || index >= fonts.size())
    throw RunError(ErrorNumber::kOutOfRange, "Font index out of range");
  return ToAnsi(fonts.at(index));
}

}  // namespace vorn::print
