#include "print/qt/qt_printer_service.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QSet>
#include <algorithm>

#include "common/ansi_text.h"
#include "common/run_error.h"
#include "gui/qt/ansi_qstring.h"
#include "print/platform/system_printers.h"

namespace vorn::print {

namespace {

using gui::FromAnsi;
using gui::ToAnsi;

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
                   "The printer " + name.toStdString() + " cannot be started");
  }
  QPagedPaintDevice& device = job_->Device();
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
    if (!DrawFixedPitch(line)) painter_.drawText(QPointF(x_, y_ + ascent_), line);
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
  QPagedPaintDevice& device = job_->Device();
  QFont font(font_, &device);
  // In a fixed-pitch font every character keeps its own cell, so there is nothing for the
  // text shaper to do for these code-page texts; skipping it halves the cost of a line.
  const bool fixedPitch = QFontInfo(font).fixedPitch();
  if (fixedPitch) font.setStyleStrategy(QFont::PreferNoShaping);
  painter_.setFont(font);
  fixedPitchFont_ = fixedPitch ? QRawFont::fromFont(painter_.font()) : QRawFont();
  QFontMetricsF metrics(painter_.font(), &device);
  ascent_ = metrics.ascent();
  lineHeight_ = metrics.height();
  lineSpacing_ = metrics.lineSpacing();
}

// A line of printable ASCII in a fixed-pitch font is placed glyph by glyph at the font's own
// advances, which is where the text layout puts them too, without the layout's set-up for
// every line. Anything else (other characters, a glyph the font lacks and must borrow from
// another font) goes through the text layout.
bool QtPrinterService::DrawFixedPitch(const QString& line) {
  if (!fixedPitchFont_.isValid()) return false;
  for (QChar c : line) {
    if (c.unicode() < 0x20 || c.unicode() > 0x7E) return false;
  }
  const int count = static_cast<int>(line.size());
  glyphs_.resize(count);
  int found = count;
  if (!fixedPitchFont_.glyphIndexesForChars(line.constData(), count, glyphs_.data(), &found) ||
      found != count)
    return false;
  for (quint32 glyph : glyphs_) {
    if (glyph == 0) return false;
  }
  advances_.resize(count);
  positions_.resize(count);
  if (!fixedPitchFont_.advancesForGlyphIndexes(glyphs_.constData(), advances_.data(), count,
                                               QRawFont::KernedAdvances))
    return false;
  qreal x = 0;
  for (int i = 0; i < count; ++i) {
    positions_[i] = QPointF(x, 0);
    x += advances_[i].x();
  }
  QGlyphRun run;
  run.setRawFont(fixedPitchFont_);
  run.setGlyphIndexes(glyphs_);
  run.setPositions(positions_);
  painter_.drawGlyphRun(QPointF(x_, y_ + ascent_), run);
  return true;
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

QStringList QtPrinterService::PlainFamilies(const QStringList& families) {
  QStringList plain;
  QSet<QString> listed;
  for (QString family : families) {
    // The maker's name in brackets is the font database's, not part of the family's name; the
    // font is found by its plain name when printing.
    const qsizetype bracket = family.lastIndexOf(QLatin1String(" ["));
    if (bracket > 0 && family.endsWith(QLatin1Char(']'))) family.truncate(bracket);
    if (listed.contains(family)) continue;
    listed.insert(family);
    plain.append(family);
    if (plain.size() == kMaxFonts) break;
  }
  return plain;
}

const QStringList& QtPrinterService::Fonts() {
  if (!fontsLoaded_) {
    QStringList families;
    for (const QString& family : QFontDatabase::families()) {
      if (!QFontDatabase::isPrivateFamily(family)) families.append(family);
    }
    fonts_ = PlainFamilies(families);
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
