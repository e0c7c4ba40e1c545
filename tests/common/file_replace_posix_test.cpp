#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/file_names.h"
#include "common/file_replace.h"
#include "common/run_error.h"
#include "tests/support/as_user.h"
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

// ---- the file keeps what it is ----

struct Identity {
  ino_t inode = 0;
  uid_t owner = 0;
  gid_t group = 0;
  int mode = 0;
  nlink_t links = 0;
};

Identity IdentityOf(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return {st.st_ino, st.st_uid, st.st_gid, static_cast<int>(st.st_mode & 07777), st.st_nlink};
}

// Everything of the file but its place on disk.
void ExpectSameFileToOthers(const Identity& before, const Identity& after) {
  EXPECT_EQ(after.owner, before.owner);
  EXPECT_EQ(after.group, before.group);
  EXPECT_EQ(after.mode, before.mode) << std::oct << after.mode << " was " << before.mode;
  EXPECT_EQ(after.links, before.links);
}

class AsOtherUsers : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as other users";
    // Every user may pass through the test's folder.
    ::chmod(dir_.path().c_str(), 0755);
  }
  std::string MakeFolder(const std::string& name, uid_t owner, gid_t group, mode_t mode) {
    std::string path = dir_ / name;
    std::filesystem::create_directory(path);
    ::chown(path.c_str(), owner, group);
    ::chmod(path.c_str(), mode);
    return path;
  }
  static void MakeFile(const std::string& path, const std::string& text, uid_t owner, gid_t group,
                       mode_t mode) {
    WriteFile(path, text);
    ::chown(path.c_str(), owner, group);
    ::chmod(path.c_str(), mode);
  }
  // Saves `text` to `path` as the user; 0 when it was saved, else the error number.
  static int SaveAs(uid_t uid, gid_t gid, const std::string& path, const std::string& text,
                    const std::vector<gid_t>& groups = {}) {
    return testing::RunAsUser(
        uid, gid,
        [&] {
          try {
            ReplaceFileContents(path, text);
            return 0;
          } catch (const RunError& error) {
            return error.Number() % 256;
          }
        },
        groups);
  }
  TempDir dir_;
};

// A Printer.inp that is a link to a settings file several folders share: the shared file gets
// the text and the link stays.
TEST_F(AsOtherUsers, ALinkToASharedSettingsFileStaysAndTheSharedFileChanges) {
  const std::string shared = MakeFolder("shared", testing::kNobody, testing::kNogroup, 0755);
  const std::string quotes = MakeFolder("quotes", testing::kNobody, testing::kNogroup, 0755);
  MakeFile(shared + "/settings.inp", "old\r\n", testing::kNobody, testing::kNogroup, 0644);
  std::filesystem::create_symlink("../shared/settings.inp", quotes + "/Printer.inp");
  const Identity before = IdentityOf(shared + "/settings.inp");

  EXPECT_EQ(SaveAs(testing::kNobody, testing::kNogroup, quotes + "/Printer.inp", "new\r\n"), 0);

  EXPECT_TRUE(std::filesystem::is_symlink(quotes + "/Printer.inp"));
  EXPECT_EQ(ReadFile(shared + "/settings.inp"), "new\r\n");
  EXPECT_EQ(IdentityOf(shared + "/settings.inp").inode, before.inode);
  ExpectSameFileToOthers(before, IdentityOf(shared + "/settings.inp"));
}

// A link to a file not made yet: the file is made where the link points.
TEST_F(AsOtherUsers, ALinkToAMissingFileMakesTheFileBehindIt) {
  const std::string quotes = MakeFolder("quotes", testing::kNobody, testing::kNogroup, 0755);
  std::filesystem::create_symlink("settings.inp", quotes + "/Printer.inp");
  EXPECT_EQ(SaveAs(testing::kNobody, testing::kNogroup, quotes + "/Printer.inp", "x\r\n"), 0);
  EXPECT_TRUE(std::filesystem::is_symlink(quotes + "/Printer.inp"));
  EXPECT_EQ(ReadFile(quotes + "/settings.inp"), "x\r\n");
}

// A shared folder where the settings file belongs to one clerk and the group may write it: a
// second clerk's save leaves it the first clerk's, whose next save still works.
TEST_F(AsOtherUsers, AFileOfAnotherUserInASharedFolderKeepsItsOwner) {
  const std::string office = MakeFolder("office", 0, testing::kOfficeGroup, 0775);
  const std::string path = office + "/Printer.inp";
  MakeFile(path, "first\r\n", testing::kNobody, testing::kOfficeGroup, 0664);
  const Identity before = IdentityOf(path);

  EXPECT_EQ(SaveAs(testing::kClerk, testing::kOfficeGroup, path, "second\r\n"), 0);
  EXPECT_EQ(ReadFile(path), "second\r\n");
  ExpectSameFileToOthers(before, IdentityOf(path));

  EXPECT_EQ(SaveAs(testing::kNobody, testing::kNogroup, path, "third\r\n", {testing::kOfficeGroup}),
            0);
  EXPECT_EQ(ReadFile(path), "third\r\n");
  ExpectSameFileToOthers(before, IdentityOf(path));
}

// The user may write the file but not its folder: the file is rewritten where it is.
TEST_F(AsOtherUsers, AWritableFileInAFolderTheUserCannotWriteIsSaved) {
  const std::string locked = MakeFolder("locked", 0, 0, 0555);
  const std::string path = locked + "/Printer.inp";
  MakeFile(path, "a longer old text\r\n", 0, 0, 0666);
  const Identity before = IdentityOf(path);

  EXPECT_EQ(SaveAs(testing::kNobody, testing::kNogroup, path, "short\r\n"), 0);

  EXPECT_EQ(ReadFile(path), "short\r\n");
  EXPECT_EQ(IdentityOf(path).inode, before.inode);
  ExpectSameFileToOthers(before, IdentityOf(path));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(locked),
                          std::filesystem::directory_iterator()),
            1);
}

// A second hard link still shares the text.
TEST_F(AsOtherUsers, ASecondHardLinkStillSharesTheText) {
  const std::string home = MakeFolder("home", testing::kNobody, testing::kNogroup, 0755);
  MakeFile(home + "/Printer.inp", "old\r\n", testing::kNobody, testing::kNogroup, 0644);
  ASSERT_EQ(::link((home + "/Printer.inp").c_str(), (home + "/backup.inp").c_str()), 0);

  EXPECT_EQ(SaveAs(testing::kNobody, testing::kNogroup, home + "/Printer.inp", "new\r\n"), 0);

  EXPECT_EQ(ReadFile(home + "/backup.inp"), "new\r\n");
  EXPECT_EQ(IdentityOf(home + "/Printer.inp").inode, IdentityOf(home + "/backup.inp").inode);
  EXPECT_EQ(IdentityOf(home + "/Printer.inp").links, 2u);
}

// Without /proc (a chroot, a small container) the new file cannot be named through it; a named
// new file takes its place. As root and as an ordinary user.
TEST_F(AsOtherUsers, SavingWorksWithoutProc) {
  const std::string home = MakeFolder("home", testing::kNobody, testing::kNogroup, 0755);
  const std::string path = home + "/Printer.inp";
  MakeFile(path, "old\r\n", testing::kNobody, testing::kNogroup, 0640);
  const Identity before = IdentityOf(path);
  for (uid_t user : {uid_t{0}, testing::kNobody}) {
    const std::string text = "saved by " + std::to_string(user) + "\r\n";
    int status = testing::RunInChildProcess([&] {
      if (::unshare(CLONE_NEWNS) != 0 ||
          ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
          ::mount("none", "/proc", "tmpfs", 0, "size=4k") != 0)
        return 10;
      if (::access("/proc/self/fd", F_OK) == 0) return 11;
      if (user != 0 && (::setgid(testing::kNogroup) != 0 || ::setuid(user) != 0)) return 12;
      ReplaceFileContents(path, text);
      return 0;
    });
    if (status == 10) GTEST_SKIP() << "no mount namespace here";
    EXPECT_EQ(status, 0) << "as " << user;
    EXPECT_EQ(ReadFile(path), text);
    ExpectSameFileToOthers(before, IdentityOf(path));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(home),
                            std::filesystem::directory_iterator()),
              1);
  }
}

// A pipe in the settings file's place is refused at once, not waited on.
TEST(ReplaceFileContentsPosixTest, APipeInTheFilesPlaceIsRefusedWithoutWaiting) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "Printer.inp").c_str(), 0666), 0);
  std::filesystem::create_symlink("/dev/null", dir / "device.inp");
  EXPECT_THROW(ReplaceFileContents(dir / "Printer.inp", "x"), RunError);
  EXPECT_THROW(ReplaceFileContents(dir / "device.inp", "x"), RunError);
  EXPECT_EQ(std::filesystem::status(dir / "Printer.inp").type(), std::filesystem::file_type::fifo);
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
