#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/file_names.h"
#include "common/file_replace.h"
#include "tests/support/temp_dir.h"

namespace vorn {
namespace {

using testing::ReadFile;
using testing::WriteFile;
using vorn::testing::TempDir;

int Mode(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

TEST(ReplaceFileContentsPosixTest, KeepsThePermissionBits) {
  TempDir dir;
  std::string path = dir / "data.dta";
  WriteFile(path, "old\r\n");
  ::chmod(path.c_str(), 0640);
  ReplaceFileContents(path, "new\r\n");
  EXPECT_EQ(ReadFile(path), "new\r\n");
  EXPECT_EQ(Mode(path), 0640);
}

TEST(ReplaceFileContentsPosixTest, ANewFileFollowsTheUmask) {
  TempDir dir;
  mode_t old = ::umask(022);
  ReplaceFileContents(dir / "Printer.inp", "x");
  ::umask(old);
  EXPECT_EQ(Mode(dir / "Printer.inp"), 0644);
}

TEST(ReplaceFileContentsPosixTest, FollowsNoLinkOutOfTheFolder) {
  TempDir dir;
  TempDir elsewhere;
  WriteFile(elsewhere / "target", "outside");
  std::filesystem::create_symlink(elsewhere / "target", dir / "Printer.inp");
  ReplaceFileContents(dir / "Printer.inp", "inside");
  EXPECT_EQ(ReadFile(elsewhere / "target"), "outside");
  EXPECT_EQ(ReadFile(dir / "Printer.inp"), "inside");
  EXPECT_FALSE(std::filesystem::is_symlink(dir / "Printer.inp"));
}

// The process id of a process that has ended.
pid_t EndedProcess() {
  pid_t pid = ::fork();
  if (pid == 0) ::_exit(0);
  ::waitpid(pid, nullptr, 0);
  return pid;
}

TEST(ReplaceFileContentsPosixTest, RemovesOnlyTheNewFilesOfEndedRuns) {
  TempDir dir;
  const std::string path = dir / "PROG03.DTA";
  WriteFile(path, "old\r\n");
  const std::string ended = std::to_string(EndedProcess());
  const std::string live = std::to_string(::getpid());
  // A run killed just before its rename leaves "<name>.new<pid>-<n>".
  WriteFile(path + ".new" + ended + "-0", "killed run");
  WriteFile(path + ".new" + ended + "-3", "killed run");
  // Names that are not such a leftover, and the file of a run still going, stay.
  const std::vector<std::string> kept = {
      path + ".new" + live + "-0",
      path + ".new" + ended,
      path + ".new" + ended + "-x",
      path + ".newer",
      path + ".new-1-0",
      dir / ("PROG04.DTA.new" + ended + "-0"),
  };
  for (const auto& name : kept) WriteFile(name, "keep");
  std::filesystem::create_directory(path + ".new" + ended + "-7");

  ReplaceFileContents(path, "new\r\n");

  EXPECT_EQ(ReadFile(path), "new\r\n");
  EXPECT_FALSE(std::filesystem::exists(path + ".new" + ended + "-0"));
  EXPECT_FALSE(std::filesystem::exists(path + ".new" + ended + "-3"));
  for (const auto& name : kept) EXPECT_EQ(ReadFile(name), "keep") << name;
  EXPECT_TRUE(std::filesystem::is_directory(path + ".new" + ended + "-7")) << "only files go";
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

TEST(FileNamesPosixTest, Separators) {
  EXPECT_EQ(PathSeparator(), "/");
  EXPECT_EQ(WithTrailingSeparator("/tmp"), "/tmp/");
  EXPECT_EQ(WithTrailingSeparator("/"), "/");
}

}  // namespace
}  // namespace vorn
