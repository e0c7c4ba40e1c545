// Failures part way through a replacement, made with the process limits and users of POSIX.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/acl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "autoconfig/port_patcher.h"
#include "recording_status_list.h"
#include "temp_dir.h"
#include "tests/support/as_user.h"

namespace vorn::autoconfig {
namespace {

namespace fs = std::filesystem;
using vorn::testing::ReadBytes;
using vorn::testing::WriteBytes;

constexpr char kOk[] = "Vorn Program 03 printer port set...ok";
constexpr char kFailed[] = "Vorn Program 03 printer port could NOT be set...";

ProductEntry Entry(const fs::path& found) {
  return ProductEntry{"Vorn Program 03", "PROG03.DTA", 1, found.string()};
}

void ExpectOnlyFile(const fs::path& file) {
  int entries = 0;
  for (const auto& e : fs::directory_iterator(file.parent_path())) {
    ++entries;
    EXPECT_EQ(e.path(), file);
  }
  EXPECT_EQ(entries, 1);
}

TEST(SetPrinterPort, KeepsPermissionsAndOwnerOfTheReplacedFile) {
  vorn::testing::TempDir dir;
  const fs::path file = dir.Path() / "PROG03.DTA";
  WriteBytes(file, "a1\rb");
  ::chmod(file.c_str(), 0640);
  const bool as_root = ::geteuid() == 0;
  if (as_root) {
    ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
  }
  struct stat before {};
  ASSERT_EQ(::stat(file.c_str(), &before), 0);

  testing::RecordingStatusList list;
  SetPrinterPort(Entry(file), list);
  EXPECT_EQ(list.items, std::vector<std::string>{kOk});
  EXPECT_EQ(ReadBytes(file), "a4\r\nb\r\n");
  struct stat after {};
  ASSERT_EQ(::stat(file.c_str(), &after), 0);
  EXPECT_EQ(after.st_mode & 07777, 0640u);
  EXPECT_EQ(after.st_uid, before.st_uid);
  EXPECT_EQ(after.st_gid, before.st_gid);
  ExpectOnlyFile(file);
}

// Runs SetPrinterPort in a child process prepared by `prepare`; returns its one list item.
std::string PatchInChild(const ProductEntry& entry, void (*prepare)()) {
  int pipe_fds[2];
  if (::pipe(pipe_fds) != 0) return "pipe failed";
  pid_t child = ::fork();
  if (child == 0) {
    ::close(pipe_fds[0]);
    prepare();
    testing::RecordingStatusList list;
    SetPrinterPort(entry, list);
    std::string items;
    for (const auto& item : list.items) items += item;
    if (::write(pipe_fds[1], items.data(), items.size()) < 0) ::_exit(2);
    ::_exit(0);
  }
  ::close(pipe_fds[1]);
  std::string result;
  char buffer[512];
  ssize_t n;
  while ((n = ::read(pipe_fds[0], buffer, sizeof buffer)) > 0) result.append(buffer, n);
  ::close(pipe_fds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "child failed";
  return result;
}

// The new text cannot be written whole (the process may write no more than 1000 bytes per
// file): the data file is still the old one and no partial file is left beside it.
TEST(SetPrinterPort, AWriteFailingPartWayLeavesTheOriginalIntact) {
  vorn::testing::TempDir dir;
  const fs::path file = dir.Path() / "PROG03.DTA";
  const std::string before = std::string(6000, 'x') + "1\r";
  WriteBytes(file, before);
  std::string item = PatchInChild(Entry(file), [] {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{1000, 1000};
    ::setrlimit(RLIMIT_FSIZE, &limit);
  });
  EXPECT_EQ(item, kFailed);
  EXPECT_EQ(ReadBytes(file), before);
  ExpectOnlyFile(file);
}

// The user may write the data file but not its folder: nothing can be put beside it, so the
// file is rewritten where it is.
TEST(SetPrinterPort, AWritableFileInAFolderTheUserCannotWriteIsPatchedInPlace) {
  vorn::testing::TempDir dir;
  const fs::path folder = dir.Path() / "vorn";
  const fs::path file = folder / "PROG03.DTA";
  WriteBytes(file, "a1\r\n");
  fs::permissions(dir.Path(), fs::perms::all, fs::perm_options::add);
  ::chmod(folder.c_str(), 0555);
  ::chmod(file.c_str(), 0666);
  struct stat before {};
  ASSERT_EQ(::stat(file.c_str(), &before), 0);
  std::string item = PatchInChild(Entry(file), [] {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
  });
  if (item == "child failed" && ::geteuid() == 0) GTEST_SKIP() << "cannot drop privileges";
  EXPECT_EQ(item, kOk);
  EXPECT_EQ(ReadBytes(file), "a4\r\n");
  struct stat after {};
  ASSERT_EQ(::stat(file.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  ExpectOnlyFile(file);
}

// ---- root patching data files that other users own ----

class PatchedAsRoot : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root";
    fs::permissions(dir_.Path(), fs::perms::all, fs::perm_options::add);
    folder_ = dir_.Path() / "vorn";
    fs::create_directory(folder_);
    ::chown(folder_.c_str(), vorn::testing::kNobody, vorn::testing::kNogroup);
    file_ = folder_ / "PROG03.DTA";
    WriteBytes(file_, "a1\r\nb\r\n");
    ::chown(file_.c_str(), vorn::testing::kNobody, vorn::testing::kNogroup);
  }
  std::string Patch() {
    testing::RecordingStatusList list;
    SetPrinterPort(Entry(file_), list);
    return list.items.size() == 1 ? list.items[0] : "not one item";
  }
  struct stat Stat(const fs::path& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st;
  }
  vorn::testing::TempDir dir_;
  fs::path folder_;
  fs::path file_;
};

// Owner, group and every mode bit stay, setuid, setgid and sticky included.
TEST_F(PatchedAsRoot, EveryModeBitAndTheOwnerStay) {
  for (mode_t mode : {04755, 02751, 06711, 01644, 0640, 0600}) {
    WriteBytes(file_, "a1\r\nb\r\n");
    ::chown(file_.c_str(), vorn::testing::kNobody, vorn::testing::kNogroup);
    ::chmod(file_.c_str(), mode);
    EXPECT_EQ(Patch(), kOk) << std::oct << mode;
    const struct stat after = Stat(file_);
    EXPECT_EQ(after.st_mode & 07777, mode) << std::oct << mode;
    EXPECT_EQ(after.st_uid, vorn::testing::kNobody);
    EXPECT_EQ(after.st_gid, vorn::testing::kNogroup);
    EXPECT_EQ(ReadBytes(file_), "a4\r\nb\r\n");
  }
  ExpectOnlyFile(file_);
}

// An access-list entry and an extended attribute stay, and the user the list names can still
// write the file.
TEST_F(PatchedAsRoot, TheAccessListAndExtendedAttributesStay) {
  ::chmod(file_.c_str(), 0640);
  acl_t acl = ::acl_from_text("u::rw-,u:4711:rw-,g::r--,m::rw-,o::---");
  ASSERT_NE(acl, nullptr);
  ASSERT_EQ(::acl_set_file(file_.c_str(), ACL_TYPE_ACCESS, acl), 0);
  ::acl_free(acl);
  ASSERT_EQ(::setxattr(file_.c_str(), "user.vorn.origin", "setup", 5, 0), 0);
  auto attribute = [](const fs::path& path, const char* name) {
    char value[256];
    ssize_t n = ::getxattr(path.c_str(), name, value, sizeof value);
    return n < 0 ? std::string("missing") : std::string(value, static_cast<std::size_t>(n));
  };
  const std::string access_list = attribute(file_, "system.posix_acl_access");
  const mode_t mode = Stat(file_).st_mode & 07777;

  EXPECT_EQ(Patch(), kOk);

  EXPECT_EQ(attribute(file_, "system.posix_acl_access"), access_list);
  EXPECT_EQ(attribute(file_, "user.vorn.origin"), "setup");
  EXPECT_EQ(Stat(file_).st_mode & 07777, mode);
  const std::string path = file_.string();
  EXPECT_EQ(vorn::testing::RunAsUser(vorn::testing::kClerk, vorn::testing::kClerk,
                                     [&] {
                                       int fd = ::open(path.c_str(), O_WRONLY | O_APPEND);
                                       if (fd < 0) return 1;
                                       ::close(fd);
                                       return 0;
                                     }),
            0)
      << "the user of the access list can no longer write the file";
}

// A second hard link still shares the patched text.
TEST_F(PatchedAsRoot, ASecondHardLinkStillSharesTheText) {
  const fs::path second = folder_ / "PROG03.BAK";
  ASSERT_EQ(::link(file_.c_str(), second.c_str()), 0);
  EXPECT_EQ(Patch(), kOk);
  EXPECT_EQ(ReadBytes(second), "a4\r\nb\r\n");
  EXPECT_EQ(Stat(second).st_ino, Stat(file_).st_ino);
  EXPECT_EQ(Stat(file_).st_nlink, 2u);
}

// A second name of someone else's file in a user's folder (where the system lets users make
// such links) may be all the user could reach of a file outside it: root leaves it alone.
TEST_F(PatchedAsRoot, AHardLinkToAFileOfAnotherOwnerIsLeftAlone) {
  const fs::path outside = dir_.Path() / "root-only.DTA";
  WriteBytes(outside, "secret1\r\n");
  ::chmod(outside.c_str(), 0600);
  fs::remove(file_);
  ASSERT_EQ(::link(outside.c_str(), file_.c_str()), 0);
  EXPECT_EQ(Patch(), kFailed);
  EXPECT_EQ(ReadBytes(outside), "secret1\r\n");
}

// Without /proc a named new file takes the data file's place.
TEST_F(PatchedAsRoot, PatchingWorksWithoutProc) {
  ::chmod(file_.c_str(), 04750);
  std::string item = PatchInChild(Entry(file_), [] {
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("none", "/proc", "tmpfs", 0, "size=4k") != 0)
      ::_exit(3);
  });
  if (item == "child failed") GTEST_SKIP() << "no mount namespace here";
  EXPECT_EQ(item, kOk);
  EXPECT_EQ(ReadBytes(file_), "a4\r\nb\r\n");
  EXPECT_EQ(Stat(file_).st_mode & 07777, 04750u);
  EXPECT_EQ(Stat(file_).st_uid, vorn::testing::kNobody);
  ExpectOnlyFile(file_);
}

}  // namespace
}  // namespace vorn::autoconfig
