#include "common/run_error_report.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

#include "tests/support/recording_message_boxes.h"

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

}  // namespace
}  // namespace vorn
