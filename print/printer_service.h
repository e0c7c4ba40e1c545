#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vorn::print {

// One installed printer. Texts are ANSI bytes.
struct PrinterInfo {
  std::string DeviceName;  // the name the settings file holds (a spooler queue name)
  std::string DriverName;  // make and model of the driver
  std::string Port;        // where the printer is reached (device address)

  bool operator==(const PrinterInfo&) const = default;
};

// Kelvarin's view of the system's printers: the installed ones, one current printer for the
// process, its fonts and page-oriented text output. Every operation may fail with a RunError
// carrying a number and a description; the service itself shows nothing to the user.
class PrinterService {
 public:
  virtual ~PrinterService() = default;

  // Device name of the system's default printer; empty when there is none.
  virtual std::string DefaultPrinterName() = 0;
  // Every installed printer, in the system's enumeration order.
  virtual std::vector<PrinterInfo> InstalledPrinters() = 0;
  // Makes `printer` the current printer of this process; the system default is not changed.
  virtual void SelectPrinter(const PrinterInfo& printer) = 0;

  // Places `text` at the current print position; with `lineBreak` the position moves to the
  // start of the next line. The first output starts a document (one spooler job). A line that
  // would pass the bottom of the page starts a new page by itself.
  virtual void PrintText(std::string_view text, bool lineBreak) = 0;
  virtual void SetFontName(std::string_view faceName) = 0;
  virtual void SetFontSize(float points) = 0;
  // The further printer attribute the print job sets after the font size. It has no
  // counterpart on this platform and is kept as a named no-op so the job's steps stay whole.
  virtual void SetFurtherAttribute(int value) = 0;
  // Ends the current page; it takes effect only once further output arrives, so a page that
  // nothing fills is not ejected.
  virtual void NewPage() = 0;
  // Ends the document and hands it to the spooler; a job the spooler refuses is an error.
  virtual void EndDocument() = 0;

  // Font faces the current printer can print, at most 32767.
  virtual int FontCount() = 0;
  virtual std::string FontAt(int index) = 0;
};

}  // namespace vorn::print
