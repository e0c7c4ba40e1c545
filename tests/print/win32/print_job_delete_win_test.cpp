// The print job's last step on Windows, deleting the print file, when Windows refuses it: the
// log names the error as Windows reports it.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <functional>
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

// Windows' own text for an error code, as FormatMessage gives it, without the closing full
// stop and line break.
std::string SystemText(DWORD code) {
  wchar_t text[512] = {};
  FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                 512, nullptr);
  std::wstring wide = text;
  while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r' || wide.back() == L'.' ||
                           wide.back() == L' '))
    wide.pop_back();
  return WideToAnsi(wide);
}

struct RefusedDelete {
  const char* name;
  // Makes the print file at the path undeletable; what it returns undoes that.
  std::function<std::function<void()>(const std::wstring&)> refuse;
  DWORD code;  // the error Windows reports for the delete
};

class PrintJobDeleteTest : public ::testing::TestWithParam<RefusedDelete> {};

TEST_P(PrintJobDeleteTest, IsLoggedWithWindowsErrorText) {
  testing::TempDir dir;
  const std::string printFile = dir.path() + "\\VORN.PRN";
  {
    std::ofstream out(printFile, std::ios::binary);
    out << "A\r\nB\r\n";
  }
  const std::function<void()> undo = GetParam().refuse(Utf8ToWide(printFile));

  testing::FixedClock clock;
  const ActionLog log{clock, {}, dir.path()};
  testing::RecordingPrinterService printers;
  testing::RecordingMessageBoxes messages;
  KelvarinContext ctx(printers, messages, log);
  ctx.CurrentDir = ctx.AppDir = dir.path();
  OutputPrinter(ctx, "Office Laser", 1);
  undo();

  std::ifstream in(dir.path() + "\\actionlog.txt", std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string expected = "ERROR IN OutputPrinter ROUTINE: Error Number: 70 Error Desc: " +
                               std::string("Cannot delete the print file ") + printFile + ": " +
                               SystemText(GetParam().code) + "\r\n";
  ASSERT_GE(text.size(), expected.size()) << text;
  EXPECT_EQ(text.substr(text.size() - expected.size()), expected) << text;
  EXPECT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(GetFileAttributesW(Utf8ToWide(printFile).c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u)
      << "the print file is kept";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PrintJobDeleteTest,
    ::testing::Values(RefusedDelete{"ReadOnly",
                                    [](const std::wstring& path) -> std::function<void()> {
                                      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
                                      return [path] {
                                        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                                      };
                                    },
                                    ERROR_ACCESS_DENIED},
                      // The calling program still holds the file, without letting it be deleted.
                      RefusedDelete{"HeldOpen",
                                    [](const std::wstring& path) -> std::function<void()> {
                                      HANDLE held = CreateFileW(
                                          path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
                                      return [held] { CloseHandle(held); };
                                    },
                                    ERROR_SHARING_VIOLATION}),
    [](const ::testing::TestParamInfo<RefusedDelete>& info) { return info.param.name; });

}  // namespace
}  // namespace vorn::print
