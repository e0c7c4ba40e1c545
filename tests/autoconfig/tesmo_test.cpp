#include "autoconfig/tesmo.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "fake_tree_search.h"
#include "recording_launcher.h"
#include "recording_status_window.h"
#include "temp_dir.h"
#include "tesmo_texts.h"

namespace vorn::autoconfig {
namespace {

using ::testing::ElementsAre;
using vorn::testing::ReadBytes;
using vorn::testing::WriteBytes;

constexpr char kNoArgument[] =
    "item:This program can only be run when installing the Vorn Print Utility.";

class MainTest : public ::testing::Test {
 protected:
  MainTest() {
    // Message boxes land in the same log as the window's events, so their order shows.
    boxes_.on_show = [this](const auto& shown) { events_.push_back("message:" + shown.text); };
  }
  void Run(const std::string& arguments) { Main(ctx_, window_, arguments); }

  std::vector<std::string> events_;
  testing::RecordingMessageBoxes boxes_;
  testing::FakeTreeSearch search_;
  testing::RecordingStatusWindow window_{events_};
  testing::RecordingLauncher launcher_;
  TesmoContext ctx_{boxes_, search_, launcher_};
};

TEST_F(MainTest, CancelShowsTheReinstallMessageAndNoWindow) {
  boxes_.answers = {MessageAnswer::kCancel};
  Run("/d");
  EXPECT_THAT(events_, ElementsAre(std::string("message:") + testing::kConfirmText,
                                   std::string("message:") + testing::kCancelledText));
  ASSERT_EQ(boxes_.shown.size(), 2u);
  EXPECT_EQ(boxes_.shown[0].icon, MessageIcon::kInformation);
  EXPECT_EQ(boxes_.shown[0].buttons, MessageButtons::kOkCancel);
  EXPECT_EQ(boxes_.shown[1].icon, MessageIcon::kInformation);
  EXPECT_EQ(boxes_.shown[1].buttons, MessageButtons::kOk);
  EXPECT_TRUE(search_.calls.empty());
}

TEST_F(MainTest, WithoutArgumentListsOneItemAndSearchesNothing) {
  Run("");
  EXPECT_THAT(events_, ElementsAre(std::string("message:") + testing::kConfirmText, "show",
                                   kNoArgument, "enable close"));
  EXPECT_TRUE(search_.calls.empty());
}

TEST_F(MainTest, OneCharacterGivesAnEmptyDriveAndNothingFound) {
  Run("d");
  EXPECT_THAT(events_, ElementsAre(std::string("message:") + testing::kConfirmText, "show",
                                   "item:Looking for Vorn programs installed on Drive ()",
                                   "item:", std::string("message:") + testing::kNothingFoundText,
                                   "enable close"));
  EXPECT_EQ(boxes_.shown.back().icon, MessageIcon::kCritical);
  EXPECT_EQ(boxes_.shown.back().buttons, MessageButtons::kOk);
  EXPECT_EQ(ctx_.InstallDrive, "");
  ASSERT_EQ(search_.calls.size(), 16u);
  EXPECT_EQ(search_.calls[0], ":\\vorn\\|PROG01.DTA");
  EXPECT_EQ(ctx_.AnyFound, kFalse);
}

TEST_F(MainTest, TheLetterIsShownUpperCasedAndSearchedAsGiven) {
  Run("/d rest");
  EXPECT_EQ(ctx_.InstallDrive, "d");
  EXPECT_EQ(events_[2], "item:Looking for Vorn programs installed on Drive (D)");
  ASSERT_EQ(search_.calls.size(), 16u);
  for (int i = 0; i < 16; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "PROG%02d.DTA", i + 1);
    EXPECT_EQ(search_.calls[i], std::string("d:\\vorn\\|") + name);
  }
}

TEST_F(MainTest, FoundProgramsArePatchedAndListed) {
  vorn::testing::TempDir dir;
  WriteBytes(dir.Path() / "PROG03.DTA", "P=1");
  WriteBytes(dir.Path() / "PROG09.DTA", "\r\n");  // an empty setting line cannot be patched
  search_.files["PROG03.DTA"] = (dir.Path() / "PROG03.DTA").string();
  search_.files["PROG09.DTA"] = (dir.Path() / "PROG09.DTA").string();
  Run(" e");
  EXPECT_THAT(events_, ElementsAre(std::string("message:") + testing::kConfirmText, "show",
                                   "item:Looking for Vorn programs installed on Drive (E)",
                                   "item:", "item:Vorn Program 03 found...",
                                   "item:Vorn Program 03 printer port set...ok",
                                   "item:", "item:Vorn Program 09 found...",
                                   "item:Vorn Program 09 printer port could NOT be set...",
                                   "item:", "select last", "status:Configuration complete!",
                                   "title:Vorn Auto Config", "enable close", "show print"));
  EXPECT_EQ(ctx_.AnyFound, kTrue);
  EXPECT_EQ(ReadBytes(dir.Path() / "PROG03.DTA"), "P=4\r\n");
  EXPECT_EQ(ReadBytes(dir.Path() / "PROG09.DTA"), "\r\n");
  EXPECT_EQ(ctx_.ProductTable[2].FoundPath, search_.files["PROG03.DTA"]);
  EXPECT_EQ(ctx_.ProductTable[3].FoundPath, "");
}

TEST_F(MainTest, AFailingSearchEndsTheRunWithAWarningAndLeavesCloseUsable) {
  vorn::testing::TempDir dir;
  WriteBytes(dir.Path() / "PROG01.DTA", "");
  search_.files["PROG01.DTA"] = (dir.Path() / "PROG01.DTA").string();
  search_.fail_at_call = 3;
  Run("/d");
  EXPECT_THAT(events_, ElementsAre(std::string("message:") + testing::kConfirmText, "show",
                                   "item:Looking for Vorn programs installed on Drive (D)",
                                   "item:", "item:Vorn Program 01 found...",
                                   "item:Vorn Program 01 printer port set...ok",
                                   "item:", std::string("message:") + testing::kFailureText,
                                   "enable close"));
  EXPECT_EQ(boxes_.shown.back().icon, MessageIcon::kWarning);
  EXPECT_EQ(boxes_.shown.back().buttons, MessageButtons::kOk);
  EXPECT_EQ(search_.calls.size(), 3u);
  EXPECT_EQ(ctx_.AnyFound, kTrue);
}

TEST_F(MainTest, AFailureBeforeTheWindowIsShownWarnsAndShowsNoWindow) {
  boxes_.on_show = [this](const auto& shown) {
    events_.push_back("message:" + shown.text);
    if (events_.size() == 1) throw RunError(ErrorNumber::kDeviceIo, "no display");
  };
  Run("/d");
  EXPECT_THAT(events_, ElementsAre(std::string("message:") + testing::kConfirmText,
                                   std::string("message:") + testing::kFailureText));
}

}  // namespace
}  // namespace vorn::autoconfig
