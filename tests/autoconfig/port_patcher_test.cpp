#include "autoconfig/port_patcher.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

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
  return ProductEntry{"Vorn Program 03", data_file_name, setting_line, found.string(), {}};
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
     Lines(9, "v", "\r\n") + "\"LPT1\"\r\nlast\r\n",
     Lines(9, "v", "\r\n") + "\"LPT4\"\r\nlast\r\n"},
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
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::owner_write, fs::perms::none);
  ExpectOnlyFile(file);
}

}  // namespace
}  // namespace vorn::autoconfig
