#include "print/action_log.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "print/kelvarin_context.h"
#include "tests/print/fakes.h"
#include "tests/support/temp_dir.h"

namespace vorn::print {
namespace {

using vorn::testing::ReadFile;
using vorn::testing::TempDir;
using vorn::testing::WriteFile;

TEST(FormatLogTimestampTest, UsesTheTwelveHourClock) {
  DayHalfNames english;
  EXPECT_EQ(FormatLogTimestamp({2004, 3, 24, 0, 30, 0}, english), "2004-03-24 12:30:00 AM");
  EXPECT_EQ(FormatLogTimestamp({2004, 3, 24, 13, 5, 9}, english), "2004-03-24 01:05:09 PM");
  EXPECT_EQ(FormatLogTimestamp({2004, 3, 24, 12, 0, 0}, english), "2004-03-24 12:00:00 PM");
  EXPECT_EQ(FormatLogTimestamp({2004, 3, 24, 11, 59, 59}, english), "2004-03-24 11:59:59 AM");
  EXPECT_EQ(FormatLogTimestamp({2026, 12, 7, 16, 5, 28}, {"vorm.", "nachm."}),
            "2026-12-07 04:05:28 nachm.");
}

class ActionLogTest : public ::testing::Test {
 protected:
  TempDir dir;
  testing::FixedClock clock;
  ActionLog log{clock, {}, dir.path()};
};

TEST_F(ActionLogTest, CreatesTheLogAndAppendsOneLinePerEntry) {
  clock.now = {2004, 3, 24, 0, 30, 0};
  EXPECT_TRUE(log.Write("STARTING PRINTER OUTPUT"));
  clock.now = {2004, 3, 24, 13, 5, 0};
  EXPECT_TRUE(log.Write(""));
  EXPECT_EQ(ReadFile(dir / "actionlog.txt"),
            "2004-03-24 12:30:00 AM - STARTING PRINTER OUTPUT\r\n"
            "2004-03-24 01:05:00 PM - \r\n");
}

TEST_F(ActionLogTest, AppendsToALogFoundUnderAnotherCase) {
  WriteFile(dir / "ActionLog.TXT", "old\r\n");
  EXPECT_TRUE(log.Write("X"));
  EXPECT_EQ(ReadFile(dir / "ActionLog.TXT"), "old\r\n2004-03-24 04:05:28 PM - X\r\n");
}

TEST_F(ActionLogTest, AReadOnlyLogGetsNoEntry) {
  WriteFile(dir / "actionlog.txt", "old\r\n");
  vorn::testing::MakeReadOnly(dir / "actionlog.txt");
  EXPECT_FALSE(log.Write("X"));
  EXPECT_EQ(ReadFile(dir / "actionlog.txt"), "old\r\n");
}

TEST_F(ActionLogTest, FailuresAreSwallowed) {
  std::filesystem::create_directory(dir / "actionlog.txt");
  EXPECT_FALSE(log.Write("X"));
  const ActionLog elsewhere(clock, {}, dir / "missing");
  EXPECT_FALSE(elsewhere.Write("X"));
}

}  // namespace
}  // namespace vorn::print
