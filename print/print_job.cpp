#include "print/print_job.h"

#include <cstdio>
#include <filesystem>
#include <istream>

#include "common/code_page.h"
#include "common/file_names.h"
#include "common/line_reader.h"
#include "common/regular_file.h"
#include "common/regular_file_buf.h"
#include "common/run_error.h"
#include "print/kelvarin_context.h"

namespace vorn::print {

namespace {

constexpr char kFormFeed = '\f';

// An error description goes on one log line.
std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\r' || c == '\n') c = ' ';
  return text;
}

void ReportFailure(KelvarinContext& ctx, int number, const std::string& description) {
  // The log holds code-page text; a description is the program's own (UTF-8) text.
  ctx.Log.Write("ERROR IN OutputPrinter ROUTINE: Error Number: " + std::to_string(number) +
                " Error Desc: " + Utf8ToCodePage(OneLine(description)));
  std::string phone = ctx.SupportPhone.empty() ? VORN_SUPPORT_PHONE : ctx.SupportPhone;
  ctx.Messages.Show(
      "There is a problem opening the Print File.  Please contact Orvalle at " + phone + ".",
      MessageIcon::kNone, MessageButtons::kOk);
}

void PrintOneCopy(KelvarinContext& ctx, const std::string& printFilePath) {
  auto log = [&ctx](const std::string& message) { ctx.Log.Write(message); };
  PrinterService& printer = ctx.Printers;

  std::string current;
  long long counter = 0;  // wide, so that long reports print
  bool pageBreak = false;
  // Only a regular file is read, and only as far as it reached when opened: a pipe or a device
  // under the name is an error at once, never a wait or an endless read.
  RegularFile file = RegularFile::Open(printFilePath, RegularFile::Mode::kRead);
  log("PRINT FILE OPENED");

  // Printing runs one line behind reading, so the file's last line is never printed (the
  // calling programs end their files with a line that is not meant for paper).
  RegularFileBuf buffer(file);
  std::istream stream(&buffer);
  LineReader reader(stream);
  std::string previous;
  while (!reader.AtEnd()) {
    ++counter;
    previous.swap(current);
    try {
      reader.ReadLine(current);
    } catch (const RunError& error) {
      // A line no VORN program writes: the copy is abandoned unsent and the file kept, rather
      // than a quote printed with a part cut away.
      throw RunError(ErrorNumber::kPrinterError, "Cannot print line " + std::to_string(counter) +
                                                     " of the print file: " + error.Description());
    }
    if (!previous.empty()) {
      // Only a form feed at a line's end ends the page; elsewhere it is printed as it is.
      pageBreak = previous.back() == kFormFeed;
      if (pageBreak) previous.pop_back();
    }
    if (counter > 1) printer.PrintText(previous, true);
    if (pageBreak) {
      printer.NewPage();
      pageBreak = false;
    }
  }

  log("ABOUT TO CLOSE PRINT FILE");
  file.Close();
  log("PRINT FILE CLOSED");
  printer.NewPage();
  log("SENDING OUTPUT TO PRINTER");
  printer.EndDocument();
  log("OUTPUT SENT TO PRINTER");
}

}  // namespace

void OutputPrinter(KelvarinContext& ctx, const std::string& printerName, std::int16_t copies) {
  auto log = [&ctx](const std::string& message) { ctx.Log.Write(message); };
  PrinterService& printer = ctx.Printers;
  try {
    log("STARTING PRINTER OUTPUT");
    bool found = false;
    for (const PrinterInfo& candidate : printer.InstalledPrinters()) {
      if (candidate.DeviceName == printerName) {
        printer.SelectPrinter(candidate);
        found = true;
        break;
      }
    }
    if (!found) {
      log("PRINTER NOT FOUND");
      return;
    }
    log("PRINTER FOUND");

    printer.PrintText("", false);
    printer.SetFontName("");
    printer.SetFontName(ctx.PrintSettings.FontName);
    printer.SetFontSize(12.0f);
    printer.SetFurtherAttribute(2);

    const std::string dir = WithTrailingSeparator(ctx.CurrentDir);
    for (int copy = 1; copy <= copies; ++copy) {
      log("STARTING PRINTOUT COPY " + std::to_string(copy));
      PrintOneCopy(ctx, ResolveFileName(dir, kPrintFileName));
    }

    // Every file of the job is closed by now; the two lines keep the log's familiar shape.
    log("FIRING CLOSE ALL FILE BACKUP COMMAND");
    log("CLOSE ALL COMMAND FIRED");

    log("ABOUT TO TERMINATE FILE");
    std::string printFile = ResolveFileName(dir, kPrintFileName);
    std::error_code ec;
    if (!std::filesystem::remove(NativePath(printFile), ec) || ec)
      throw FileError(ec ? ec : std::make_error_code(std::errc::no_such_file_or_directory),
                      "Cannot delete the print file " + printFile);
    log("PRINT FILE TERMINATED");
  } catch (const RunError& error) {
    ReportFailure(ctx, error.Number(), error.Description());
  } catch (const std::exception& error) {
    // A stream that fails part way (an unreadable device) ends the job the same way.
    ReportFailure(ctx, static_cast<int>(ErrorNumber::kDeviceIo), error.what());
  }
}

}  // namespace vorn::print
