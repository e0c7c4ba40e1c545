#pragma once

#include <memory>
#include <string>

namespace vorn::bench {

// Kelvarin's print job (OutputPrinter) as the program runs it, with the Qt printer service
// rendering each copy into one PDF file instead of handing it to the spooler. Needs a
// QApplication.
class PdfPrintRun {
 public:
  // `workDir` is the job's current directory (print file) and application directory (action
  // log); the PDF is written there as "out.pdf".
  explicit PdfPrintRun(const std::string& workDir);
  ~PdfPrintRun();
  PdfPrintRun(const PdfPrintRun&) = delete;
  PdfPrintRun& operator=(const PdfPrintRun&) = delete;

  // Copies `printFile` into the work folder as the print file the job consumes.
  void Prepare(const std::string& printFile) const;
  // Prints one copy in "Courier New". Throws std::runtime_error when the job reported a
  // failure or left the print file in place.
  void Print();
  std::string PdfPath() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace vorn::bench
