// FindProduct through the system's SearchTreeForFile, on a "\vorn\" tree the test makes on
// drive C (under Wine, the private prefix's drive_c). A drive that already has a "\vorn\"
// folder is left alone and the tests are skipped.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "autoconfig/port_patcher.h"
#include "autoconfig/products.h"
#include "autoconfig/tesmo.h"
#include "autoconfig/tesmo_context.h"
#include "common/file_names.h"
#include "tests/autoconfig/recording_status_list.h"
#include "tests/autoconfig/recording_status_window.h"
#include "tests/print/fakes.h"
#include "tests/support/temp_dir.h"

namespace vorn::autoconfig {
namespace {

using testing::RecordingStatusList;
using testing::RecordingStatusWindow;
using vorn::testing::WriteFile;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

class DriveCTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::filesystem::exists(root_))
      GTEST_SKIP() << "C:\\vorn already exists on this machine; it is not touched";
    std::filesystem::create_directory(root_);
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
    std::filesystem::remove_all(outside_, ec);
  }

  // Writes a file below drive C's root; `relative` uses backslashes.
  void Put(const std::string& relative) {
    std::filesystem::path path = std::filesystem::path("C:\\") / relative;
    std::filesystem::create_directories(path.parent_path());
    WriteFile(path.string(), "data\r\n");
  }

  bool Find(const std::string& letter, const std::string& fileName, std::string& found) {
    TesmoContext ctx(messages_, SystemTreeSearch(), SystemLauncher());
    ctx.InstallDrive = letter;
    ProductEntry entry{"Vorn Program", fileName, 1, ""};
    bool result = FindProduct(ctx, entry);
    found = entry.FoundPath;
    return result;
  }

  const std::filesystem::path root_ = "C:\\vorn";
  const std::filesystem::path outside_ = "C:\\vorn-outside";
  const std::string drive_ = "C";
  vorn::print::testing::RecordingMessages messages_;
};

TEST_F(DriveCTreeTest, FindsDataFilesAtAnyDepthInAnyLetterCase) {
  Put("vorn\\prog01\\PROG01.DTA");
  Put("VORN\\a\\b\\c\\d\\e\\f\\prog02.dta");
  std::string found;
  ASSERT_TRUE(Find(drive_, "PROG01.DTA", found));
  EXPECT_EQ(Lower(found), Lower(drive_ + ":\\vorn\\prog01\\PROG01.DTA"));
  ASSERT_TRUE(Find(Lower(drive_), "PROG02.DTA", found)) << "a lower-case letter is used as is";
  EXPECT_EQ(Lower(found), Lower(drive_ + ":\\vorn\\a\\b\\c\\d\\e\\f\\prog02.dta"));
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(found)))
      << "the found path opens on this platform";
}

TEST_F(DriveCTreeTest, LooksOnlyBelowVorn) {
  Put("vorn-outside\\PROG03.DTA");
  Put("vorn\\readme.txt");
  std::string found = "unchanged";
  EXPECT_FALSE(Find(drive_, "PROG03.DTA", found));
  EXPECT_EQ(found, "");
}

TEST_F(DriveCTreeTest, AMissingDriveFindsNothing) {
  Put("vorn\\PROG04.DTA");
  std::string found;
  DWORD used = GetLogicalDrives();
  for (char letter = 'Y'; letter > 'D'; --letter) {
    if (used & (1u << (letter - 'A'))) continue;
    EXPECT_FALSE(Find(std::string(1, letter), "PROG04.DTA", found)) << letter;
    return;
  }
  GTEST_SKIP() << "every drive letter is in use";
}

// Only a drive letter names a drive: other characters in its place find nothing, not the data
// file on drive C.
TEST_F(DriveCTreeTest, ACharacterThatIsNoLetterFindsNothing) {
  Put("vorn\\PROG10.DTA");
  for (const char* odd : {"?", "*", ".", "\\", " ", "/", ":", "\"", "<"}) {
    std::string found = "unchanged";
    EXPECT_FALSE(Find(odd, "PROG10.DTA", found)) << "drive \"" << odd << "\"";
    EXPECT_EQ(found, "");
  }
}

// The found file's folder comes with it, open, and the patch goes through that folder.
TEST_F(DriveCTreeTest, HandsOverTheFoundFolderAndThePatchGoesThroughIt) {
  Put("vorn\\p05\\PROG05.DTA");
  TesmoContext ctx(messages_, SystemTreeSearch(), SystemLauncher());
  ctx.InstallDrive = drive_;
  ProductEntry entry{"Vorn Program 05", "PROG05.DTA", 1, ""};
  ASSERT_TRUE(FindProduct(ctx, entry));
  ASSERT_TRUE(entry.FoundFolder && entry.FoundFolder->IsOpen());
  RecordingStatusList list;
  SetPrinterPort(entry, list);
  EXPECT_EQ(list.items, std::vector<std::string>{"Vorn Program 05 printer port set...ok"});
  EXPECT_EQ(vorn::testing::ReadFile("C:\\vorn\\p05\\PROG05.DTA"), "dat4\r\n");
}

// A link below "\vorn\" is not passed: a file behind it is not handed over for patching.
TEST_F(DriveCTreeTest, NoLinkBelowVornIsPassed) {
  Put("vorn-outside\\PROG06.DTA");
  if (!CreateSymbolicLinkW(L"C:\\vorn\\linked", L"C:\\vorn-outside",
                           SYMBOLIC_LINK_FLAG_DIRECTORY) ||
      !(GetFileAttributesW(L"C:\\vorn\\linked") & FILE_ATTRIBUTE_REPARSE_POINT))
    GTEST_SKIP() << "no directory link can be made here";
  std::string found = "unchanged";
  EXPECT_FALSE(Find(drive_, "PROG06.DTA", found));
  RemoveDirectoryW(L"C:\\vorn\\linked");
}

// A data file with a second hard link is rewritten in place: both names keep sharing it.
TEST_F(DriveCTreeTest, ASecondHardLinkStillSharesThePatchedText) {
  Put("vorn\\PROG07.DTA");
  ASSERT_TRUE(CreateHardLinkW(L"C:\\vorn\\PROG07.BAK", L"C:\\vorn\\PROG07.DTA", nullptr));
  RecordingStatusList list;
  SetPrinterPort({"Vorn Program 07", "PROG03.DTA", 1, "C:\\vorn\\PROG07.DTA", {}}, list);
  EXPECT_EQ(list.items, std::vector<std::string>{"Vorn Program 07 printer port set...ok"});
  EXPECT_EQ(vorn::testing::ReadFile("C:\\vorn\\PROG07.BAK"), "dat4\r\n");
}

// A folder named in the ANSI code page (here Windows-1252) beyond ASCII is searched, handed
// over and patched through.
TEST_F(DriveCTreeTest, AFolderNamedBeyondAsciiIsFoundAndPatched) {
  if (::GetACP() != 1252) GTEST_SKIP() << "the test's folder name is a Windows-1252 one";
  const std::filesystem::path folder = NativePath("C:\\vorn\\Gr\xc3\xb6\xc3\x9f\xc3\xa9 \xc3\xa0");
  std::filesystem::create_directories(folder);
  vorn::testing::WriteBytes(folder / "PROG08.DTA", "PORT=1\r\n");
  TesmoContext ctx(messages_, SystemTreeSearch(), SystemLauncher());
  ctx.InstallDrive = drive_;
  ProductEntry entry{"Vorn Program 08", "PROG08.DTA", 1, ""};
  ASSERT_TRUE(FindProduct(ctx, entry));
  RecordingStatusList list;
  SetPrinterPort(entry, list);
  EXPECT_EQ(list.items, std::vector<std::string>{"Vorn Program 08 printer port set...ok"});
  EXPECT_EQ(vorn::testing::ReadFile(folder / "PROG08.DTA"), "PORT=4\r\n");
}

// While the window waits after the run, Tesmo holds no program's folder open: the user may
// rename or move it.
TEST_F(DriveCTreeTest, AfterTheRunNoProgramFolderIsHeld) {
  Put("vorn\\p09\\PROG09.DTA");
  TesmoContext ctx(messages_, SystemTreeSearch(), SystemLauncher());
  std::vector<std::string> events;
  RecordingStatusWindow window(events);
  Main(ctx, window, "/" + drive_);
  ASSERT_NE(std::find(events.begin(), events.end(), "item:Vorn Program 09 printer port set...ok"),
            events.end());
  EXPECT_TRUE(::MoveFileW(L"C:\\vorn\\p09", L"C:\\vorn\\p09-moved"))
      << "the folder is still held: error " << ::GetLastError();
}

TEST(FindProductWinTest, AnEmptyLetterNamesNoDirectory) {
  vorn::print::testing::RecordingMessages messages;
  TesmoContext ctx(messages, SystemTreeSearch(), SystemLauncher());
  ctx.InstallDrive = "";
  ProductEntry entry{"Vorn Program 01", "PROG01.DTA", 13, ""};
  EXPECT_FALSE(FindProduct(ctx, entry));
  EXPECT_EQ(entry.FoundPath, "");
}

}  // namespace
}  // namespace vorn::autoconfig
