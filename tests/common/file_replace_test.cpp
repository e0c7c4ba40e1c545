#include "common/file_replace.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/file_names.h"
#include "common/run_error.h"
#include "tests/support/temp_dir.h"

namespace vorn {
namespace {

using testing::ReadFile;
using testing::WriteFile;
using vorn::testing::TempDir;

std::size_t Entries(const std::string& dir) {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir),
                                                std::filesystem::directory_iterator()));
}

TEST(ReplaceFileContentsTest, ReplacesTheWholeFile) {
  TempDir dir;
  std::string path = dir / "data.dta";
  WriteFile(path, "old old old\r\n");
  ReplaceFileContents(path, "new\r\n");
  EXPECT_EQ(ReadFile(path), "new\r\n");
  EXPECT_EQ(Entries(dir.path()), 1u) << "no temporary file is left behind";
}

TEST(ReplaceFileContentsTest, CreatesAMissingFile) {
  TempDir dir;
  ReplaceFileContents(dir / "Printer.inp", "x");
  EXPECT_EQ(ReadFile(dir / "Printer.inp"), "x");
}

TEST(ReplaceFileContentsTest, RefusesAReadOnlyFileAndLeavesIt) {
  TempDir dir;
  std::string path = dir / "data.dta";
  WriteFile(path, "keep me");
  testing::MakeReadOnly(path);
  try {
    ReplaceFileContents(path, "lost");
    FAIL() << "a read-only file was replaced";
  } catch (const RunError& error) {
    EXPECT_EQ(error.Number(), static_cast<int>(ErrorNumber::kPermissionDenied));
  }
  EXPECT_EQ(ReadFile(path), "keep me");
  EXPECT_EQ(Entries(dir.path()), 1u);
}

TEST(ReplaceFileContentsTest, RefusesAFolderAndAMissingFolder) {
  TempDir dir;
  std::filesystem::create_directory(dir / "Printer.inp");
  EXPECT_THROW(ReplaceFileContents(dir / "Printer.inp", "x"), RunError);
  EXPECT_THROW(ReplaceFileContents(dir / "missing/Printer.inp", "x"), RunError);
}

TEST(FileNamesTest, FoldersOfTheProcess) {
  TempDir dir;
  auto before = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  EXPECT_EQ(std::filesystem::canonical(CurrentDirectory()), std::filesystem::canonical(dir.path()));
  std::filesystem::current_path(before);
  EXPECT_TRUE(std::filesystem::is_directory(ApplicationDirectory()));
  EXPECT_EQ(WithTrailingSeparator(dir.path()), dir.path() + PathSeparator());
  EXPECT_EQ(WithTrailingSeparator(dir.path() + PathSeparator()), dir.path() + PathSeparator());
}

}  // namespace
}  // namespace vorn
