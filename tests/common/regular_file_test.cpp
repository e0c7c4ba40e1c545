#include "common/regular_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <istream>

#include "common/file_names.h"
#include "common/regular_file_buf.h"
#include "common/run_error.h"
#include "tests/support/temp_dir.h"

namespace vorn {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

int ThrownNumber(const std::string& path, RegularFile::Mode mode) {
  try {
    RegularFile::Open(path, mode);
  } catch (const RunError& error) {
    return error.Number();
  }
  return 0;
}

std::string ReadAll(RegularFile& file) {
  RegularFileBuf buffer(file);
  std::istream in(&buffer);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(RegularFileTest, ReadsTheWholeFileAndKnowsItsSize) {
  TempDir dir;
  std::string text(200000, 'x');
  text += "\r\nend\r\n";
  WriteFile(dir / "VORN.PRN", text);
  RegularFile file = RegularFile::Open(dir / "VORN.PRN", RegularFile::Mode::kRead);
  EXPECT_EQ(file.Size(), text.size());
  EXPECT_EQ(ReadAll(file), text);
  file.Close();
}

TEST(RegularFileTest, ReadsNoMoreThanTheFileHeldWhenOpened) {
  TempDir dir;
  WriteFile(dir / "VORN.PRN", "first\r\n");
  RegularFile file = RegularFile::Open(dir / "VORN.PRN", RegularFile::Mode::kRead);
  {
    RegularFile more = RegularFile::Open(dir / "VORN.PRN", RegularFile::Mode::kAppend);
    more.Append("second\r\n");
  }
  EXPECT_EQ(ReadAll(file), "first\r\n");
}

TEST(RegularFileTest, RefusesWhatIsNotAFileWithItsNumber) {
  TempDir dir;
  std::filesystem::create_directory(dir / "folder");
  struct Case {
    std::string path;
    RegularFile::Mode mode;
    ErrorNumber number;
  };
  const Case cases[] = {
      {dir / "missing.txt", RegularFile::Mode::kRead, ErrorNumber::kFileNotFound},
      {dir / "folder", RegularFile::Mode::kRead, ErrorNumber::kPathFileAccess},
      {dir / "folder", RegularFile::Mode::kAppend, ErrorNumber::kPathFileAccess},
      {dir / "nowhere/log.txt", RegularFile::Mode::kAppend, ErrorNumber::kFileNotFound},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    // A missing folder is "path not found" where the system tells it apart.
    const int number = ThrownNumber(c.path, c.mode);
    if (c.number == ErrorNumber::kFileNotFound && c.mode == RegularFile::Mode::kAppend)
      EXPECT_TRUE(number == 53 || number == 76) << number;
    else
      EXPECT_EQ(number, static_cast<int>(c.number));
  }
}

// A description names the path as the program holds it (UTF-8), on every platform.
TEST(RegularFileTest, TheDescriptionNamesAFolderOutsideAsciiInUtf8) {
  TempDir dir;
  const std::string folder = dir.path() + PathSeparator() + "Angebote-\xC3\xA9";
  ASSERT_TRUE(std::filesystem::create_directory(NativePath(folder)));
  try {
    RegularFile::Open(folder + PathSeparator() + "VORN.PRN", RegularFile::Mode::kRead);
    FAIL() << "a missing file opened";
  } catch (const RunError& error) {
    EXPECT_EQ(error.Number(), static_cast<int>(ErrorNumber::kFileNotFound));
    EXPECT_NE(error.Description().find("Angebote-\xC3\xA9" + PathSeparator() + "VORN.PRN"),
              std::string::npos)
        << error.Description();
  }
}

TEST(RegularFileTest, AppendsEntriesInOrderAndCreatesTheFile) {
  TempDir dir;
  for (const char* entry : {"one\r\n", "two\r\n"}) {
    RegularFile file = RegularFile::Open(dir / "actionlog.txt", RegularFile::Mode::kAppend);
    file.Append(entry);
    file.Close();
  }
  EXPECT_EQ(ReadFile(dir / "actionlog.txt"), "one\r\ntwo\r\n");
}

TEST(RegularFileTest, AppendingToAReadOnlyFileIsRefused) {
  TempDir dir;
  WriteFile(dir / "actionlog.txt", "old\r\n");
  std::filesystem::permissions(dir / "actionlog.txt", std::filesystem::perms::owner_read |
                                                          std::filesystem::perms::group_read);
  EXPECT_EQ(ThrownNumber(dir / "actionlog.txt", RegularFile::Mode::kAppend),
            static_cast<int>(ErrorNumber::kPermissionDenied));
  EXPECT_EQ(ReadFile(dir / "actionlog.txt"), "old\r\n");
}

}  // namespace
}  // namespace vorn
