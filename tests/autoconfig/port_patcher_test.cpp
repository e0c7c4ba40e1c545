#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "autoconfig/port_patcher.h"
#include "recording_status_list.h"
#include "temp_dir.h"

namespace vorn::autoconfig {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::WriteBytes;

constexpr char kOk[] = "Vorn Program 03 printer port set...ok";
constexpr char kFailed[] = "Vorn Program 03 printer port could NOT be set...";

ProductEntry Entry(const std::string& data_file_name, std::int16_t setting_line,
                   const fs::path& found) {
  return ProductEntry{"Vorn Program 03", data_file_name, setting_line, found.string()};
}

// The folder holds nothing but the data file: no temporary file was left behind.
void ExpectOnlyFile(const fs::path& file) {
  int entries = 0;
  for (const auto& e : fs::directory_iterator(file.parent_path())) {
    ++entries;
    EXPECT_EQ(e.path(), file);
  }
  EXPECT_EQ(entries, 1);
}

struct PatchCase {
  const char* name;
  const char* data_file_name;  // the table's name
  std::int16_t setting_line;
  const char* name_on_disk;
  std::string before;
  std::optional<std::string> after;  // empty: the patch fails and the file stays as it was
};

void PrintTo(const PatchCase& c, std::ostream* os) { *os << c.name; }

std::string Lines(int count, const std::string& line, const std::string& end) {
  std::string text;
  for (int i = 0; i < count; ++i) text += line + end;
  return text;
}

const PatchCase kCases[] = {
    {"FourLinesThirdPatched", "PROG03.DTA", 3, "PROG03.DTA", "a\r\nb\r\nPORT=1\r\nd\r\n",
     "a\r\nb\r\nPORT=4\r\nd\r\n"},
    {"LoneCrEndsALine", "PROG03.DTA", 3, "PROG03.DTA", "a\rb\rc1\r", "a\r\nb\r\nc4\r\n"},
    {"LoneLfStaysInTheLine", "PROG03.DTA", 1, "PROG03.DTA", "a\nb1\r\nc", "a\nb4\r\nc\r\n"},
    {"LfBeforeCrLfIsTheLastCharacter", "PROG03.DTA", 1, "PROG03.DTA", "a1\n\r\n", "a14\r\n"},
    {"CrCrLfIsAnEmptyLine", "PROG03.DTA", 3, "PROG03.DTA", "a\r\r\nb1", "a\r\n\r\nb4\r\n"},
    {"MissingFinalTerminatorAdded", "PROG03.DTA", 1, "PROG03.DTA", "x1\r\ny", "x4\r\ny\r\n"},
    {"SettingLinePastTheEnd", "PROG03.DTA", 13, "PROG03.DTA", "a\r\nb\rc", "a\r\nb\r\nc\r\n"},
    {"LastLineWithoutTerminatorPatched", "PROG03.DTA", 2, "PROG03.DTA", "a\r\nb1", "a\r\nb4\r\n"},
    {"EmptyFileBecomesCrLf", "PROG03.DTA", 1, "PROG03.DTA", "", "\r\n"},
    {"EmptySettingLineFails", "PROG03.DTA", 2, "PROG03.DTA", "a\r\n\r\nc\r\n", std::nullopt},
    {"EmptySettingLineAtTheEndFails", "PROG03.DTA", 2, "PROG03.DTA", "a1\r\n\r\n", std::nullopt},
    {"OneCharacterOrdinaryLine", "PROG03.DTA", 1, "PROG03.DTA", "1\r\n", "4\r\n"},
    {"AlreadyFourIsRewrittenTheSame", "PROG03.DTA", 2, "PROG03.DTA", "a\r\nPORT=4\r\n",
     "a\r\nPORT=4\r\n"},
    {"OtherBytesKept", "PROG03.DTA", 1, "PROG03.DTA", std::string("\xe9t\xe9\t\0z1\r\n\x1a", 10),
     std::string("\xe9t\xe9\t\0z4\r\n\x1a\r\n", 12)},
    {"Prog07QuotedLine", "PROG07.DTA", 10, "PROG07.DTA",
     Lines(9, "v", "\r\n") + "\"LPT1\"\r\nlast\r\n", Lines(9, "v", "\r\n") + "\"LPT4\"\r\nlast\r\n"},
    {"Prog07TwoCharacterLine", "PROG07.DTA", 10, "PROG07.DTA", Lines(9, "", "\r\n") + "1\"",
     Lines(9, "", "\r\n") + "4\"\r\n"},
    {"Prog07OneCharacterLineFails", "PROG07.DTA", 10, "PROG07.DTA", Lines(9, "", "\r\n") + "1\r\n",
     std::nullopt},
    {"Prog07FoundInLowerCase", "PROG07.DTA", 1, "prog07.dta", "P=\"1\"\r\n", "P=\"4\"\r\n"},
    {"RuleFollowsTheTableNotTheDisk", "PROG03.DTA", 1, "PROG07.DTA", "P=\"1\"\r\n", "P=\"14\r\n"},
    {"LinesUpTo32767", "PROG03.DTA", 32767, "PROG03.DTA", Lines(32766, "ab", "\r\n") + "z1",
     Lines(32766, "ab", "\r\n") + "z4\r\n"},
    {"Line32768Fails", "PROG03.DTA", 1, "PROG03.DTA", Lines(32768, "a1", "\r"), std::nullopt},
    {"Line32768WithoutTerminatorFails", "PROG03.DTA", 3, "PROG03.DTA",
     Lines(32767, "a1", "\r\n") + "x", std::nullopt},
};

class PatchTable : public ::testing::TestWithParam<PatchCase> {};

TEST_P(PatchTable, RewritesByteForByte) {
  const PatchCase& c = GetParam();
  testing::TempDir dir;
  const fs::path file = dir.Path() / "vorn" / c.name_on_disk;
  WriteBytes(file, c.before);
  testing::RecordingStatusList list;
  SetPrinterPort(Entry(c.data_file_name, c.setting_line, file), list);
  ASSERT_EQ(list.items.size(), 1u);
  EXPECT_EQ(list.items[0], c.after ? kOk : kFailed);
  EXPECT_EQ(ReadBytes(file), c.after.value_or(c.before));
  ExpectOnlyFile(file);
}

INSTANTIATE_TEST_SUITE_P(Files, PatchTable, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SetPrinterPort, AMissingFileFailsAndCreatesNothing) {
  testing::TempDir dir;
  testing::RecordingStatusList list;
  SetPrinterPort(Entry("PROG03.DTA", 1, dir.Path() / "PROG03.DTA"), list);
  EXPECT_EQ(list.items, std::vector<std::string>{kFailed});
  EXPECT_TRUE(fs::is_empty(dir.Path()));
}

TEST(SetPrinterPort, AReadOnlyFileFailsAndStaysAsItWas) {
  testing::TempDir dir;
  const fs::path file = dir.Path() / "PROG03.DTA";
  WriteBytes(file, "a1\n");
  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read);
  testing::RecordingStatusList list;
  SetPrinterPort(Entry("PROG03.DTA", 1, file), list);
  EXPECT_EQ(list.items, std::vector<std::string>{kFailed});
  EXPECT_EQ(ReadBytes(file), "a1\n");
  EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::group_read);
  ExpectOnlyFile(file);
}

TEST(SetPrinterPort, KeepsPermissionsAndOwnerOfTheReplacedFile) {
  testing::TempDir dir;
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
  SetPrinterPort(Entry("PROG03.DTA", 1, file), list);
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
  testing::TempDir dir;
  const fs::path file = dir.Path() / "PROG03.DTA";
  const std::string before = Lines(500, "line 1", "\r");
  WriteBytes(file, before);
  std::string item = PatchInChild(Entry("PROG03.DTA", 1, file), [] {
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
  testing::TempDir dir;
  const fs::path folder = dir.Path() / "vorn";
  const fs::path file = folder / "PROG03.DTA";
  WriteBytes(file, "a1\r\n");
  fs::permissions(dir.Path(), fs::perms::all, fs::perm_options::add);
  ::chmod(folder.c_str(), 0555);
  ::chmod(file.c_str(), 0666);
  std::string item = PatchInChild(Entry("PROG03.DTA", 1, file), [] {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
  });
  if (item == "child failed" && ::geteuid() == 0) GTEST_SKIP() << "cannot drop privileges";
  EXPECT_EQ(item, kFailed);
  EXPECT_EQ(ReadBytes(file), "a1\r\n");
  ExpectOnlyFile(file);
}

}  // namespace
}  // namespace vorn::autoconfig
