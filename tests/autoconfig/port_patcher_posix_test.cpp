// Failures part way through a replacement, made with the process limits and users of POSIX.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "autoconfig/port_patcher.h"
#include "recording_status_list.h"
#include "temp_dir.h"

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

// The data file may be written but its folder may not: nothing can be put beside it.
TEST(SetPrinterPort, AReadOnlyFolderLeavesTheOriginalIntact) {
  vorn::testing::TempDir dir;
  const fs::path folder = dir.Path() / "vorn";
  const fs::path file = folder / "PROG03.DTA";
  WriteBytes(file, "a1\r\n");
  fs::permissions(dir.Path(), fs::perms::all, fs::perm_options::add);
  ::chmod(folder.c_str(), 0555);
  ::chmod(file.c_str(), 0666);
  std::string item = PatchInChild(Entry(file), [] {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
  });
  if (item == "child failed" && ::geteuid() == 0) GTEST_SKIP() << "cannot drop privileges";
  EXPECT_EQ(item, kFailed);
  EXPECT_EQ(ReadBytes(file), "a1\r\n");
  ExpectOnlyFile(file);
}

}  // namespace
}  // namespace vorn::autoconfig
