// The print job fed any print file: every copy prints exactly the lines a reference reading
// of the file gives (one line behind, page breaks at line-final form feeds), the file is
// deleted only after the last copy, and nothing is reported as a failure.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_temp_dir.h"
#include "fuzz/reference_lines.h"
#include "print/kelvarin_context.h"
#include "print/print_job.h"
#include "tests/print/fakes.h"

namespace {

// The printer calls one copy of `text` must make.
std::vector<std::string> ExpectedCopyCalls(const std::string& text) {
  std::vector<std::string> calls;
  std::string previous, current;
  int counter = 0;
  for (const std::string& line : vorn::fuzz::ReferenceLines(text)) {
    ++counter;
    previous = current;
    current = line;
    bool pageBreak = !previous.empty() && previous.back() == '\f';
    if (pageBreak) previous.pop_back();
    if (counter > 1) calls.push_back("PrintText " + previous + " \\n");
    if (pageBreak) calls.push_back("NewPage");
  }
  calls.push_back("NewPage");
  calls.push_back("EndDocument");
  return calls;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace fs = std::filesystem;
  using namespace vorn::print;
  if (size < 1) return 0;
  const int copies = data[0] % 5 - 1;  // -1 .. 3
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

  vorn::fuzz::FuzzTempDir::Clear();
  const fs::path dir = vorn::fuzz::FuzzTempDir::Path();
  const fs::path printFile = dir / kPrintFileName;
  {
    std::ofstream out(printFile, std::ios::binary);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    VORN_FUZZ_CHECK(out.good(), "the print file is written");
  }

  testing::RecordingPrinterService printers;
  testing::RecordingMessages messages;
  testing::FixedClock clock;
  const ActionLog log(clock, {}, dir.string());
  KelvarinContext ctx(printers, messages, log);
  ctx.CurrentDir = dir.string();
  ctx.AppDir = dir.string();
  ctx.PrintSettings.FontName = "Courier New";
  OutputPrinter(ctx, "Front Desk", static_cast<std::int16_t>(copies));

  VORN_FUZZ_CHECK(messages.shown.empty(), "a readable print file prints without a message");
  VORN_FUZZ_CHECK(!fs::exists(printFile), "the print file is deleted after printing");

  std::vector<std::string> expected = {
      "SelectPrinter Front Desk", "PrintText ",     "SetFontName ",
      "SetFontName Courier New",  "SetFontSize 12", "SetFurtherAttribute 2"};
  const std::vector<std::string> copy = ExpectedCopyCalls(text);
  for (int c = 1; c <= copies; ++c) expected.insert(expected.end(), copy.begin(), copy.end());
  VORN_FUZZ_CHECK(printers.calls == expected, "the printer gets each copy's lines and pages");
  return 0;
}
