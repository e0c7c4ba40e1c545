// The print job's error line in the action log, on a system whose ANSI code page is not 1252
// (run by print_job_code_page_test.sh under a Russian Wine, code page 1251): the log is a
// code-page file, so a folder's name in the description reads as the system writes it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "common/wide_text.h"
#include "print/action_log.h"
#include "print/kelvarin_context.h"
#include "print/print_job.h"
#include "tests/support/fixed_clock.h"
#include "tests/support/recording_message_boxes.h"
#include "tests/support/recording_printer_service.h"
#include "tests/support/temp_dir.h"

namespace vorn::print {
namespace {

std::string CodePageBytes(const std::wstring& wide) {
  const int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), n,
                      nullptr, nullptr);
  return bytes;
}

TEST(PrintJobCodePageTest, TheErrorLineNamesTheFolderInTheSystemsCodePage) {
  if (const char* expected = std::getenv("VORN_EXPECT_ACP")) {
    ASSERT_EQ(GetACP(), static_cast<UINT>(std::atoi(expected))) << "the system's code page";
  }
  testing::TempDir app;
  const std::wstring folderName =
      L"\u041a\u043e\u0442\u0438\u0440\u043e\u0432\u043a\u0438";  // Котировки
  const std::string folder = app.path() + "\\" + WideToUtf8(folderName);
  ASSERT_TRUE(CreateDirectoryW(Utf8ToWide(folder).c_str(), nullptr));

  testing::FixedClock clock;
  const ActionLog log{clock, {}, app.path()};
  testing::RecordingPrinterService printers;
  testing::RecordingMessageBoxes messages;
  KelvarinContext ctx(printers, messages, log);
  ctx.CurrentDir = folder;  // no print file there
  ctx.AppDir = app.path();
  OutputPrinter(ctx, "Office Laser", 1);

  std::ifstream in(app.path() + "\\actionlog.txt", std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::size_t error = text.find("ERROR IN OutputPrinter ROUTINE: Error Number: 53 ");
  ASSERT_NE(error, std::string::npos) << text;
  const std::string line = text.substr(error, text.find("\r\n", error) - error);
  EXPECT_NE(line.find(CodePageBytes(folderName) + "\\VORN.PRN"), std::string::npos) << line;
  EXPECT_EQ(messages.shown.size(), 1u);
}

}  // namespace
}  // namespace vorn::print
