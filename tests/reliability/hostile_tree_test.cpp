// Tesmo run as root over a "\vorn\" tree that an ordinary user may write, attacked by that
// user as they would: folders swapped for links while the patcher works, a data file flipped
// between a plain file and a link to a root-only file, pipes, links to devices and huge sparse
// files in a data file's place. Every run ends within a bounded time, nothing outside the tree
// changes, nothing new or readable appears in the user's folders, and the user is told.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "autoconfig/port_patcher.h"
#include "autoconfig/products.h"
#include "autoconfig/tree_search.h"
#include "tests/autoconfig/recording_status_list.h"
#include "tests/autoconfig/wine_prefix.h"
#include "tests/reliability/reliability_support.h"
#include "tests/support/as_user.h"
#include "tests/support/recording_message_boxes.h"

namespace vorn::reliability {
namespace {

using autoconfig::ProductEntry;
using autoconfig::testing::RecordingStatusList;
using vorn::testing::kNobody;
using vorn::testing::kNogroup;

constexpr char kOk[] = "Vorn Program 01 printer port set...ok";
constexpr char kFailed[] = "Vorn Program 01 printer port could NOT be set...";
constexpr auto kRaceTime = std::chrono::seconds(3);

// Everything of a file that an attack could change.
struct FileState {
  bool exists = false;
  ino_t inode = 0;
  uid_t owner = 0;
  mode_t mode = 0;
  off_t size = 0;
  std::string text;  // files up to 1 MiB
  bool operator==(const FileState&) const = default;
};

FileState StateOf(const fs::path& path) {
  FileState state;
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return state;
  const bool small = S_ISREG(st.st_mode) && st.st_size <= (1 << 20);
  state = {true, st.st_ino, st.st_uid, st.st_mode, st.st_size, small ? ReadFile(path) : ""};
  return state;
}

// Every entry below `dir` (links not followed) with its state.
std::map<std::string, FileState> Snapshot(const fs::path& dir) {
  std::map<std::string, FileState> all;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(dir, ec); !ec && it != fs::end(it);
       it.increment(ec))
    all[it->path().lexically_relative(dir).string()] = StateOf(it->path());
  return all;
}

// Runs one whole configuration of Vorn Program 01 as Tesmo does: a search of its own (a run),
// then the patch of what it found. The list item, or "" when nothing was found.
std::string ConfigureOnce() {
  vorn::testing::RecordingMessageBoxes boxes;
  auto search = autoconfig::NewSystemTreeSearch();
  autoconfig::TesmoContext ctx(boxes, *search, autoconfig::SystemLauncher());
  ctx.InstallDrive = "d";
  ProductEntry entry{"Vorn Program 01", "PROG01.DTA", 1, ""};
  if (!autoconfig::FindProduct(ctx, entry)) return "";
  RecordingStatusList list;
  autoconfig::SetPrinterPort(entry, list);
  return list.items.size() == 1 ? list.items[0] : "not one item";
}

class HostileUserTree : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "the attack needs a root patcher and another user";
    fs::permissions(wine_.Root(), fs::perms::all, fs::perm_options::add);
    fs::permissions(wine_.Drive(), fs::perms::all, fs::perm_options::add);
    // Root's files outside the tree: a folder of data files and a root-only file.
    secret_dir_ = wine_.Root() / "root_only";
    fs::create_directory(secret_dir_);
    WriteFile(secret_dir_ / "PROG01.DTA", "root setting 1\r\n");
    ::chmod((secret_dir_ / "PROG01.DTA").c_str(), 0600);
    WriteFile(wine_.Root() / "shadow", "root secret\r\n");
    ::chmod((wine_.Root() / "shadow").c_str(), 0600);
    // The user's tree.
    vorn_ = wine_.Drive() / "vorn";
    fs::create_directories(vorn_ / "p01");
    WriteFile(vorn_ / "p01" / "PROG01.DTA", "user setting 1\r\n");
    for (const auto& path : {vorn_, vorn_ / "p01", vorn_ / "p01" / "PROG01.DTA"})
      ::chown(path.c_str(), kNobody, kNogroup);
    outside_before_ = Snapshot(wine_.Root() / "root_only");
    shadow_before_ = StateOf(wine_.Root() / "shadow");
  }

  // Runs the user's `swap` in a loop for kRaceTime as nobody, against root configuring over
  // and over meanwhile; returns the items root listed, counted.
  std::map<std::string, int> Race(const std::function<void()>& swap) {
    std::fflush(nullptr);
    pid_t user = ::fork();
    if (user == 0) {
      if (::setgroups(0, nullptr) != 0 || ::setgid(kNogroup) != 0 || ::setuid(kNobody) != 0)
        ::_exit(vorn::testing::kCouldNotSwitchUser);
      const auto end = std::chrono::steady_clock::now() + kRaceTime;
      while (std::chrono::steady_clock::now() < end) swap();
      ::_exit(0);
    }
    std::map<std::string, int> items;
    int status = 0;
    const auto started = std::chrono::steady_clock::now();
    while (::waitpid(user, &status, WNOHANG) == 0) ++items[ConfigureOnce()];
    EXPECT_EQ(status, 0) << "the user's loop did not run";
    EXPECT_LT(std::chrono::steady_clock::now() - started, kRaceTime * 4) << "the run hung";
    return items;
  }

  void ExpectNothingOutsideChanged() {
    EXPECT_EQ(Snapshot(wine_.Root() / "root_only"), outside_before_);
    EXPECT_EQ(StateOf(wine_.Root() / "shadow"), shadow_before_);
  }

  // Nothing the user could not have made: every file in the user's folders is the user's and
  // holds the user's text, never root's.
  void ExpectNothingNewInTheUsersFolders(const std::vector<std::string>& allowed) {
    for (const auto& [name, state] : Snapshot(vorn_)) {
      SCOPED_TRACE(name);
      EXPECT_NE(std::find(allowed.begin(), allowed.end(), name), allowed.end()) << "new entry";
      EXPECT_EQ(state.owner, kNobody);
      EXPECT_EQ(state.text.find("root"), std::string::npos) << state.text;
    }
  }

  autoconfig::testing::WinePrefix wine_;
  fs::path vorn_;
  fs::path secret_dir_;
  std::map<std::string, FileState> outside_before_;
  FileState shadow_before_;
};

// The user swaps the data file's folder for a link to a folder of root's, and back, while the
// patcher opens, reads, writes and renames.
TEST_F(HostileUserTree, AFolderSwappedForALinkNeverSendsTheWriteOutsideTheTree) {
  fs::create_directory_symlink(secret_dir_, vorn_ / "swap");
  ::lchown((vorn_ / "swap").c_str(), kNobody, kNogroup);
  const std::string a = (vorn_ / "p01").string();
  const std::string b = (vorn_ / "swap").string();
  auto items =
      Race([&] { ::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE); });
  for (const auto& [item, count] : items) std::printf("  %5d x \"%s\"\n", count, item.c_str());
  for (const auto& [item, count] : items)
    EXPECT_TRUE(item == kOk || item == kFailed || item.empty()) << item;
  EXPECT_GT(items[kOk], 0) << "the race never let a patch through";
  ExpectNothingOutsideChanged();
  ExpectNothingNewInTheUsersFolders({"p01", "swap", "p01/PROG01.DTA", "swap/PROG01.DTA"});
}

// The user flips the data file between a plain file and a link to a root-only file.
TEST_F(HostileUserTree, AFileFlippedToALinkNeverLeaksTheLinkedFile) {
  fs::create_symlink(wine_.Root() / "shadow", vorn_ / "p01" / "flip");
  ::lchown((vorn_ / "p01" / "flip").c_str(), kNobody, kNogroup);
  const std::string a = (vorn_ / "p01" / "PROG01.DTA").string();
  const std::string b = (vorn_ / "p01" / "flip").string();
  auto items =
      Race([&] { ::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE); });
  for (const auto& [item, count] : items) std::printf("  %5d x \"%s\"\n", count, item.c_str());
  EXPECT_GT(items[kOk], 0) << "the race never let a patch through";
  ExpectNothingOutsideChanged();
  ExpectNothingNewInTheUsersFolders({"p01", "p01/PROG01.DTA", "p01/flip"});
}

// ---- files that are no data files ----

struct Impostor {
  const char* what;
  std::function<void(const fs::path& data_file, const fs::path& spare)> make;
};

class ImpostorDataFile : public ::testing::TestWithParam<Impostor> {};

// The patcher handed a pipe, a link to a pipe or to an endless device, or a 20 GB sparse file
// in the data file's place: it ends at once with the failure item, reads nothing of it and
// leaves it as it was.
TEST_P(ImpostorDataFile, EndsAtOnceWithTheFailureItem) {
  TempDir dir;
  const fs::path file = fs::path(dir.path()) / "PROG01.DTA";
  GetParam().make(file, fs::path(dir.path()) / "spare");
  const FileState before = StateOf(file);
  const auto started = std::chrono::steady_clock::now();
  ChildOutcome outcome = RunInChild([&] {
    ::alarm(30);
    RecordingStatusList list;
    autoconfig::SetPrinterPort({"Vorn Program 01", "PROG01.DTA", 1, file.string(), {}}, list);
    return list.items == std::vector<std::string>{kFailed} ? 0 : 1;
  });
  const auto took = std::chrono::steady_clock::now() - started;
  EXPECT_EQ(outcome.status, 0) << "1: not the failure item; -14: it hung";
  EXPECT_LT(took, std::chrono::seconds(5));
  EXPECT_LT(outcome.peakGrowthKiB, 16 * 1024) << "it read what it should not";
  EXPECT_EQ(StateOf(file), before);
  struct stat st {};
  if (::stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
    EXPECT_LT(st.st_blocks, 64) << "the sparse file was filled";
  }
  std::printf(
      "%s: %lld ms, peak growth %ld KiB\n", GetParam().what,
      static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()),
      outcome.peakGrowthKiB);
}

INSTANTIATE_TEST_SUITE_P(
    Hostile, ImpostorDataFile,
    ::testing::Values(
        Impostor{"fifo", [](const fs::path& f, const fs::path&) { ::mkfifo(f.c_str(), 0666); }},
        Impostor{"link_to_fifo",
                 [](const fs::path& f, const fs::path& spare) {
                   ::mkfifo(spare.c_str(), 0666);
                   fs::create_symlink(spare, f);
                 }},
        Impostor{"link_to_dev_zero",
                 [](const fs::path& f, const fs::path&) { fs::create_symlink("/dev/zero", f); }},
        Impostor{"sparse_20G",
                 [](const fs::path& f, const fs::path&) {
                   WriteFile(f, "setting 1\r\n");
                   fs::resize_file(f, std::uintmax_t{20} << 30);
                 }}),
    [](const ::testing::TestParamInfo<Impostor>& info) { return std::string(info.param.what); });

// Tesmo's whole run over such a tree: the search takes none of them for a data file, and the
// sparse file is found and refused.
TEST(ImpostorDataFiles, TheRunFindsNoneButTheSparseFileAndRefusesIt) {
  autoconfig::testing::WinePrefix wine;
  const fs::path vorn = wine.Drive() / "vorn";
  fs::create_directories(vorn / "a");
  ::mkfifo((vorn / "a" / "PROG01.DTA").c_str(), 0666);
  fs::create_symlink("/dev/zero", vorn / "a" / "PROG02.DTA");
  ::mkfifo((vorn / "pipe").c_str(), 0666);
  fs::create_symlink(vorn / "pipe", vorn / "a" / "PROG03.DTA");
  WriteFile(vorn / "PROG04.DTA", "x\r\n");
  fs::resize_file(vorn / "PROG04.DTA", std::uintmax_t{20} << 30);
  ChildOutcome outcome = RunInChild([&] {
    ::alarm(30);
    vorn::testing::RecordingMessageBoxes boxes;
    auto search = autoconfig::NewSystemTreeSearch();
    autoconfig::TesmoContext ctx(boxes, *search, autoconfig::SystemLauncher());
    ctx.InstallDrive = "d";
    autoconfig::BuildProductTable(ctx.ProductTable);
    RecordingStatusList list;
    for (int i = 0; i < 4; ++i) {
      ProductEntry& row = ctx.ProductTable[i];
      if (autoconfig::FindProduct(ctx, row)) autoconfig::SetPrinterPort(row, list);
    }
    return list.items ==
                   std::vector<std::string>{"Vorn Program 04 printer port could NOT be set..."}
               ? 0
               : 1;
  });
  EXPECT_EQ(outcome.status, 0);
  EXPECT_LT(outcome.peakGrowthKiB, 16 * 1024);
  EXPECT_EQ(fs::file_size(vorn / "PROG04.DTA"), std::uintmax_t{20} << 30);
}

}  // namespace
}  // namespace vorn::reliability
