#include "bench/pdf_print_run.h"

#include <filesystem>
#include <stdexcept>
#include <vector>

#include "bench/listed_printer_service.h"
#include "bench/pdf_file_job.h"
#include "common/clock.h"
#include "common/message_box.h"
#include "print/kelvarin_context.h"
#include "print/print_job.h"
#include "print/qt/qt_printer_service.h"

namespace vorn::bench {

namespace {

namespace fs = std::filesystem;

constexpr char kPrinterName[] = "Bench PDF";

// The job shows a message only when it failed; the benchmark keeps the text to report it.
class KeptMessages final : public MessageBoxes {
 public:
  MessageAnswer Show(const std::string& text, MessageIcon, MessageButtons) override {
    shown.push_back(text);
    return MessageAnswer::kOk;
  }
  std::vector<std::string> shown;
};

}  // namespace

struct PdfPrintRun::State {
  explicit State(const std::string& dir)
      : workDir(dir),
        pdfPath((fs::path(dir) / "out.pdf").string()),
        qtPrinters([this](const QString&, const QString& title) {
          return std::make_unique<PdfFileJob>(QString::fromStdString(pdfPath), title);
        }),
        printers(qtPrinters, {kPrinterName, "PDF file", "file:out.pdf"}),
        log(clock, {}, dir),
        ctx(printers, messages, log) {
    ctx.CurrentDir = workDir;
    ctx.AppDir = workDir;
    ctx.PrintSettings.PrinterName = kPrinterName;
    ctx.PrintSettings.FontName = "Courier New";
    ctx.PrintSettings.Copies = 1;
  }

  std::string workDir;
  std::string pdfPath;
  print::QtPrinterService qtPrinters;
  ListedPrinterService printers;
  KeptMessages messages;
  SystemClock clock;
  print::ActionLog log;
  print::KelvarinContext ctx;
};

PdfPrintRun::PdfPrintRun(const std::string& workDir) : state_(std::make_unique<State>(workDir)) {}

PdfPrintRun::~PdfPrintRun() = default;

void PdfPrintRun::Prepare(const std::string& printFile) const {
  fs::copy_file(printFile, fs::path(state_->workDir) / print::kPrintFileName,
                fs::copy_options::overwrite_existing);
}

void PdfPrintRun::Print() {
  state_->messages.shown.clear();
  print::OutputPrinter(state_->ctx, kPrinterName, 1);
  if (!state_->messages.shown.empty())
    throw std::runtime_error("the print job failed: " + state_->messages.shown.front());
  if (fs::exists(fs::path(state_->workDir) / print::kPrintFileName))
    throw std::runtime_error("the print job left the print file in place");
}

std::string PdfPrintRun::PdfPath() const { return state_->pdfPath; }

}  // namespace vorn::bench
