#include "common/run_error_report.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "common/file_names.h"
#include "common/regular_file.h"
#include "tests/support/recording_message_boxes.h"
#include "tests/support/temp_dir.h"

namespace vorn {
namespace {

TEST(ReportRunError, ShowsNumberAndDescriptionInACriticalBoxAndOnTheErrorStream) {
  testing::RecordingMessageBoxes boxes;
  std::ostringstream err;
  int status =
      ReportRunError(RunError(ErrorNumber::kFileNotFound, "File not found: kelvarin"), boxes, err);
  EXPECT_NE(status, 0);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "Run-time error '53':\n\nFile not found: kelvarin");
  EXPECT_EQ(boxes.shown[0].icon, MessageIcon::kCritical);
  EXPECT_EQ(boxes.shown[0].buttons, MessageButtons::kOk);
  EXPECT_EQ(err.str(), "Run-time error '53':\n\nFile not found: kelvarin\n");
}

// Whatever failed, the report names a number: a RunError its own, anything else an invalid
// call with its text.
TEST(ReportCurrentError, ReportsTheExceptionBeingHandled) {
  struct Case {
    std::exception_ptr thrown;
    const char* text;
  };
  const Case cases[] = {
      {std::make_exception_ptr(RunError(ErrorNumber::kDiskFull, "Disk full")),
       "Run-time error '61':\n\nDisk full"},
      {std::make_exception_ptr(std::runtime_error("bad state")),
       "Run-time error '5':\n\nbad state"},
      {std::make_exception_ptr(42), "Run-time error '5':\n\nInvalid procedure call"},
  };
  for (const Case& c : cases) {
    testing::RecordingMessageBoxes boxes;
    std::ostringstream err;
    try {
      std::rethrow_exception(c.thrown);
    } catch (...) {
      EXPECT_EQ(ReportCurrentError(boxes, err), 1);
    }
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, c.text);
    EXPECT_EQ(err.str(), std::string(c.text) + "\n");
  }
}

// The failure to open a file in a folder named outside ASCII, as the platform reports it.
RunError FailureIn(const std::string& folder) {
  try {
    RegularFile::Open(WithTrailingSeparator(folder) + "Printer.inp", RegularFile::Mode::kRead);
  } catch (const RunError& error) {
    return error;
  }
  return RunError(ErrorNumber::kInvalidCall, "no failure");
}

TEST(ReportRunError, ShowsAFolderNamedOutsideAsciiAsTheUsersText) {
  testing::TempDir dir;
  const std::string folder = WithTrailingSeparator(dir.path()) + "Angebote-\xC3\xA9";
  ASSERT_TRUE(std::filesystem::create_directory(NativePath(folder)));
  const RunError error = FailureIn(folder);
  ASSERT_EQ(error.Number(), static_cast<int>(ErrorNumber::kFileNotFound)) << error.Description();

  testing::RecordingMessageBoxes boxes;
  std::ostringstream err;
  EXPECT_EQ(ReportRunError(error, boxes, err), 1);
  ASSERT_EQ(boxes.shown.size(), 1u);
  const std::string& text = boxes.shown[0].text;
  EXPECT_EQ(text.rfind("Run-time error '53':\n\n", 0), 0u) << text;
  // The folder's name once, as UTF-8 (the box's text), never converted a second time.
  EXPECT_NE(text.find("Angebote-\xC3\xA9"), std::string::npos) << text;
  EXPECT_EQ(text.find("\xC3\x83"), std::string::npos) << "converted twice: " << text;
}

}  // namespace
}  // namespace vorn
