#include "common/file_replace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "common/file_names.h"
#include "common/run_error.h"
#include "tests/support/temp_dir.h"

namespace vorn {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

int Mode(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

std::size_t Entries(const std::string& dir) {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir),
                                                std::filesystem::directory_iterator()));
}

TEST(ReplaceFileContentsTest, ReplacesTheWholeFileAndKeepsItsPermissions) {
  TempDir dir;
  std::string path = dir / "data.dta";
  WriteFile(path, "old old old\r\n");
  ::chmod(path.c_str(), 0640);
  ReplaceFileContents(path, "new\r\n");
  EXPECT_EQ(ReadFile(path), "new\r\n");
  EXPECT_EQ(Mode(path), 0640);
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
  ::chmod(path.c_str(), 0444);
  EXPECT_FALSE(IsWritableFile(path));
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

TEST(AppendToFileTest, AppendsEntriesInOrder) {
  TempDir dir;
  std::string path = dir / "log.txt";
  AppendToFile(path, "one\r\n");
  AppendToFile(path, "two\r\n");
  EXPECT_EQ(ReadFile(path), "one\r\ntwo\r\n");
  EXPECT_THROW(AppendToFile(dir / "missing/log.txt", "x"), RunError);
}

TEST(ResolveFileNameTest, MatchesLetterCaseLikeWindows) {
  TempDir dir;
  WriteFile(dir / "printer.INP", "a");
  EXPECT_EQ(ResolveFileName(dir.path(), "Printer.inp"), dir / "printer.INP");
  EXPECT_EQ(ResolveFileName(dir.path() + "/", "Printer.inp"), dir / "printer.INP");
  WriteFile(dir / "Printer.inp", "b");
  EXPECT_EQ(ResolveFileName(dir.path(), "Printer.inp"), dir / "Printer.inp") << "exact match wins";
  EXPECT_EQ(ResolveFileName(dir.path(), "VORN.PRN"), dir / "VORN.PRN") << "missing: own name";
}

TEST(FileNamesTest, SeparatorsAndFolders) {
  EXPECT_EQ(WithTrailingSeparator("/tmp"), "/tmp/");
  EXPECT_EQ(WithTrailingSeparator("/"), "/");
  TempDir dir;
  std::string before = CurrentDirectory();
  ASSERT_EQ(::chdir(dir.path().c_str()), 0);
  EXPECT_EQ(std::filesystem::canonical(CurrentDirectory()), std::filesystem::canonical(dir.path()));
  ASSERT_EQ(::chdir(before.c_str()), 0);
  EXPECT_TRUE(std::filesystem::is_directory(ApplicationDirectory()));
}

}  // namespace
}  // namespace vorn
