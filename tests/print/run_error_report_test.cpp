#include "print/run_error_report.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "common/file_names.h"
#include "common/regular_file.h"
#include "tests/print/fakes.h"
#include "tests/support/temp_dir.h"

namespace vorn::print {
namespace {

using vorn::testing::TempDir;

// The failure to open a file in a folder named outside ASCII, as the platform reports it.
RunError FailureIn(const std::string& folder) {
  try {
    RegularFile::Open(WithTrailingSeparator(folder) + "Printer.inp", RegularFile::Mode::kRead);
  } catch (const RunError& error) {
    return error;
  }
  return RunError(ErrorNumber::kInvalidCall, "no failure");
}

TEST(RunErrorReportTest, ShowsTheNumberAndTheDescriptionAsTheUsersText) {
  TempDir dir;
  const std::string folder = WithTrailingSeparator(dir.path()) + "Angebote-\xC3\xA9";
  ASSERT_TRUE(std::filesystem::create_directory(NativePath(folder)));
  const RunError error = FailureIn(folder);
  ASSERT_EQ(error.Number(), static_cast<int>(ErrorNumber::kFileNotFound)) << error.Description();

  testing::RecordingMessages messages;
  std::ostringstream err;
  EXPECT_EQ(ReportRunError(error, messages, err), 1);
  ASSERT_EQ(messages.shown.size(), 1u);
  const std::string& text = messages.shown[0].text;
  EXPECT_EQ(text.rfind("Run-time error '53':\n\n", 0), 0u) << text;
  // The folder's name once, as UTF-8 (the box's text), never converted a second time.
  EXPECT_NE(text.find("Angebote-\xC3\xA9"), std::string::npos) << text;
  EXPECT_EQ(text.find("\xC3\x83"), std::string::npos) << "converted twice: " << text;
  EXPECT_EQ(messages.shown[0].icon, MessageIcon::kCritical);
  EXPECT_EQ(messages.shown[0].buttons, MessageButtons::kOk);
  EXPECT_EQ(err.str(), "Kelvarin: " + text + "\n");
}

}  // namespace
}  // namespace vorn::print
