#include "autoconfig/products.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "common/run_error.h"
#include "fake_tree_search.h"
#include "recording_launcher.h"
#include "tesmo_texts.h"

namespace vorn::autoconfig {
namespace {

struct Row {
  int index;
  const char* display_name;
  const char* data_file_name;
  int setting_line;
};

const Row kExpected[] = {
    {0, "Vorn Program 01", "PROG01.DTA", 13}, {1, "Vorn Program 02", "PROG02.DTA", 1},
    {2, "Vorn Program 03", "PROG03.DTA", 1},  {3, "Vorn Program 04", "PROG04.DTA", 1},
    {4, "Vorn Program 05", "PROG05.DTA", 18}, {5, "Vorn Program 06", "PROG06.DTA", 12},
    {6, "Vorn Program 07", "PROG07.DTA", 10}, {7, "Vorn Program 08", "PROG08.DTA", 1},
    {8, "Vorn Program 09", "PROG09.DTA", 1},  {9, "Vorn Program 10", "PROG10.DTA", 3},
    {10, "Vorn Program 11", "PROG11.DTA", 1}, {11, "Vorn Program 12", "PROG12.DTA", 13},
    {12, "Vorn Program 13", "PROG13.DTA", 1}, {13, "Vorn Program 14", "PROG14.DTA", 1},
    {14, "Vorn Program 15", "PROG15.DTA", 3}, {15, "Vorn Program 16", "PROG16.DTA", 3},
};

TEST(ProductTable, HoldsTheSixteenProgramsInOrder) {
  ProductTable table;
  BuildProductTable(table);
  int rows = 0;
  for (const ProductEntry& entry : table) {
    const Row& expected = kExpected[rows++];
    SCOPED_TRACE(expected.index);
    EXPECT_EQ(&entry, &table[expected.index]);
    EXPECT_EQ(entry.DisplayName, expected.display_name);
    EXPECT_EQ(entry.DataFileName, expected.data_file_name);
    EXPECT_EQ(entry.SettingLine, expected.setting_line);
    EXPECT_EQ(entry.QuotedSetting, expected.index == 6);  // only row 7 keeps its quotation mark
    EXPECT_EQ(entry.FoundPath, "");
  }
  EXPECT_EQ(rows, 16);
}

TEST(ProductTable, BuildingLeavesFoundPathsAlone) {
  ProductTable table;
  table[4].FoundPath = "/somewhere/PROG05.DTA";
  table[4].DisplayName = "old";
  BuildProductTable(table);
  EXPECT_EQ(table[4].FoundPath, "/somewhere/PROG05.DTA");
  EXPECT_EQ(table[4].DisplayName, "Vorn Program 05");
}

TEST(ProductTable, AnIndexOutsideZeroToFifteenIsAnError) {
  ProductTable table;
  for (int index : {-1, 16, 17, 32, -16}) {
    SCOPED_TRACE(index);
    try {
      (void)table[index];
      ADD_FAILURE() << "no error for index " << index;
    } catch (const RunError& error) {
      EXPECT_EQ(error.Number(), static_cast<int>(ErrorNumber::kOutOfRange));
    }
    const ProductTable& constant = table;
    EXPECT_THROW((void)constant[index], RunError);
  }
  EXPECT_NO_THROW((void)table[0]);
  EXPECT_NO_THROW((void)table[15]);
}

class FindProductTest : public ::testing::Test {
 protected:
  testing::RecordingMessageBoxes boxes_;
  testing::FakeTreeSearch search_;
  testing::RecordingLauncher launcher_;
  TesmoContext ctx_{boxes_, search_, launcher_};
};

TEST_F(FindProductTest, SearchesTheVornFolderOfTheDriveAsGiven) {
  search_.files["PROG03.DTA"] = "/mnt/d/vorn/x/PROG03.DTA";
  ctx_.InstallDrive = "d";
  ProductEntry entry{"Vorn Program 03", "PROG03.DTA", 1, ""};
  EXPECT_TRUE(FindProduct(ctx_, entry));
  EXPECT_EQ(entry.FoundPath, "/mnt/d/vorn/x/PROG03.DTA");
  EXPECT_THAT(search_.calls, ::testing::ElementsAre("d:\\vorn\\|PROG03.DTA"));
}

TEST_F(FindProductTest, AnEmptyDriveGivesARootWithoutLetter) {
  ProductEntry entry{"Vorn Program 01", "PROG01.DTA", 13, ""};
  EXPECT_FALSE(FindProduct(ctx_, entry));
  EXPECT_EQ(entry.FoundPath, "");
  EXPECT_THAT(search_.calls, ::testing::ElementsAre(":\\vorn\\|PROG01.DTA"));
}

TEST_F(FindProductTest, NotFoundLeavesFoundPathAsItWas) {
  ctx_.InstallDrive = "E";
  ProductEntry entry{"Vorn Program 01", "PROG01.DTA", 13, ""};
  EXPECT_FALSE(FindProduct(ctx_, entry));
  EXPECT_EQ(entry.FoundPath, "");
  EXPECT_THAT(search_.calls, ::testing::ElementsAre("E:\\vorn\\|PROG01.DTA"));
}

TEST_F(FindProductTest, AFailingSearchReachesTheCaller) {
  search_.fail_at_call = 1;
  ProductEntry entry{"Vorn Program 01", "PROG01.DTA", 13, ""};
  EXPECT_THROW(FindProduct(ctx_, entry), RunError);
}

}  // namespace
}  // namespace vorn::autoconfig
