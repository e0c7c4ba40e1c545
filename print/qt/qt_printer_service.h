#pragma once

#include <QFont>
#include <QList>
#include <QPainter>
#include <QPointF>
#include <QRawFont>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "print/qt/spooler.h"
#include "print/printer_service.h"

namespace vorn::print {

// The printer service on Qt PrintSupport and the system spooler. One QPainter session on a
// printer is one document and one spooler job; text is laid out line by line from the top of
// the printable area, a line too long for the page is cut at its edge, and a line that would
// pass the bottom of the page starts a new page by itself.
class QtPrinterService final : public PrinterService {
 public:
  // Makes the spool job for each document, given the printer's name and the job's title.
  using JobFactory =
      std::function<std::unique_ptr<SpoolJob>(const QString& printerName, const QString& title)>;

  // Documents go to the system spooler.
  QtPrinterService();
  // Documents go to the jobs `startJob` makes (a file instead of the spooler, for instance).
  explicit QtPrinterService(JobFactory startJob);
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

  // The font list as the user knows it: each family once, under its plain name ("C059", where
  // the font database tells two makers' fonts apart as "C059 [urw]" and "C059 [UKWN]"), in
  // the given order, private families left out, at most 32767.
  static QStringList PlainFamilies(const QStringList& families);

  // The title every job carries in the print queue.
  static constexpr const char* kJobTitle = "VORN Quote";

 private:
  void StartDocument();
  void StartPage();
  void ApplyFont();
  bool DrawFixedPitch(const QString& line);
  const QStringList& Fonts();

  JobFactory startJob_;
  QString selected_;  // empty: the system's default printer
  QFont font_;
  std::unique_ptr<SpoolJob> job_;
  QPainter painter_;
  qreal x_ = 0;
  qreal y_ = 0;
  // The printable height and the current font's measures, taken when the document starts or
  // the font changes rather than for every line.
  qreal pageHeight_ = 0;
  qreal ascent_ = 0;
  qreal lineHeight_ = 0;
  qreal lineSpacing_ = 0;
  // Set for a fixed-pitch font: its glyphs are placed directly (see DrawFixedPitch).
  QRawFont fixedPitchFont_;
  QList<quint32> glyphs_;
  QList<QPointF> advances_;
  QList<QPointF> positions_;
  bool newPagePending_ = false;
  QStringList fonts_;
  bool fontsLoaded_ = false;
};

}  // namespace vorn::print
