#include "print/settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "common/file_names.h"
#include "common/run_error.h"
#include "tests/support/temp_dir.h"

namespace vorn::print {
namespace {

using vorn::testing::ReadFile;
using vorn::testing::TempDir;
using vorn::testing::WriteFile;

PrintSettings Read(const std::string& bytes) {
  PrintSettings settings;
  std::istringstream in(bytes);
  ReadSettings(in, settings);
  return settings;
}

PrintSettings With(std::function<void(PrintSettings&)> change) {
  PrintSettings s;
  change(s);
  return s;
}

struct ReadCase {
  const char* name;
  std::string file;
  PrintSettings expected;
};

class ReadSettingsTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadSettingsTest, FillsTheRecord) { EXPECT_EQ(Read(GetParam().file), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Files, ReadSettingsTest,
    ::testing::Values(
        ReadCase{"Full",
                 "first\r\nOffice Laser\r\nthird\r\nY\r\nN\r\nArial\r\n3\r\n7.25\r\n---\r\n***\r\n",
                 With([](auto& s) {
                   s = {"first", "Office Laser", "third", true, false, "Arial", 3, 7.25};
                 })},
        ReadCase{"ZeroBytes", "", PrintSettings{}},
        ReadCase{"OneLine", "only\r\n", With([](auto& s) { s.Line1Text = "only"; })},
        ReadCase{"BlanksAroundNameDropped", "\r\n  Office Laser  \r\n",
                 With([](auto& s) { s.PrinterName = "Office Laser"; })},
        ReadCase{"TabsAreNotBlanks", "\r\n\tLaser\r\n",
                 With([](auto& s) { s.PrinterName = "\tLaser"; })},
        ReadCase{"LowerCaseYIsTrue", "\r\n\r\n\r\ny\r\nYes\r\n",
                 With([](auto& s) { s.Line4Flag = true; })},
        ReadCase{"CopiesHalfDown", "\r\n\r\n\r\n\r\n\r\n\r\n2.5\r\n",
                 With([](auto& s) { s.Copies = 2; })},
        ReadCase{"CopiesHalfUp", "\r\n\r\n\r\n\r\n\r\n\r\n3.5\r\n",
                 With([](auto& s) { s.Copies = 4; })},
        ReadCase{"CopiesLetters", "\r\n\r\n\r\n\r\n\r\n\r\nabc\r\n", PrintSettings{}},
        ReadCase{"CopiesWithText", "\r\n\r\n\r\n\r\n\r\n\r\n12 copies\r\n",
                 With([](auto& s) { s.Copies = 12; })},
        ReadCase{"CopiesNegative", "\r\n\r\n\r\n\r\n\r\n\r\n-2\r\n",
                 With([](auto& s) { s.Copies = -2; })},
        ReadCase{"CopiesOutOfRange", "\r\n\r\n\r\n\r\n\r\n\r\n99999\r\n", PrintSettings{}},
        ReadCase{"StarsStopReading", "a\r\nb\r\n***\r\nY\r\nY\r\nFont\r\n5\r\n", With([](auto& s) {
                   s.Line1Text = "a";
                   s.PrinterName = "b";
                 })},
        ReadCase{"DashesStopReading", "a\r\n---\r\nc\r\n",
                 With([](auto& s) { s.Line1Text = "a"; })},
        ReadCase{"MarkersAreCaseAndBlankExact", "  ***  \r\nx\r\n", PrintSettings{}},
        ReadCase{"MarkerInsideLineIsText", "a***\r\n", With([](auto& s) { s.Line1Text = "a***"; })},
        ReadCase{"LinesAfterTheEighthIgnored", "\r\n\r\n\r\n\r\n\r\n\r\n1\r\n2\r\nnine\r\nten\r\n",
                 With([](auto& s) {
                   s.Copies = 1;
                   s.Line8Number = 2;
                 })},
        ReadCase{"LoneCrEndsLines", "a\rb\rc\r", With([](auto& s) {
                   s.Line1Text = "a";
                   s.PrinterName = "b";
                   s.Line3Text = "c";
                 })},
        ReadCase{"LoneLfDoesNot", "a\nb\r\n", With([](auto& s) { s.Line1Text = "a\nb"; })}),
    [](const auto& info) { return info.param.name; });

TEST(ReadSettingsTest, StopsAfter32767LinesBeforeAMarker) {
  std::string file;
  for (int i = 0; i < 40000; ++i) file += "x\r\n";
  PrintSettings s = Read(file);
  EXPECT_EQ(s.Line1Text, "x");
  EXPECT_EQ(s.Copies, 0);
}

TEST(FormatSettingsTest, WritesTenLinesByteForByte) {
  PrintSettings s{"first", "Office Laser", "", true, false, "Courier New", -3, 7.25};
  EXPECT_EQ(FormatSettings(s),
            "first\r\nOffice Laser\r\n\r\nY\r\nN\r\nCourier New\r\n-3\r\n7.25\r\n---\r\n***\r\n");
  EXPECT_EQ(FormatSettings(PrintSettings{}), "\r\n\r\n\r\nN\r\nN\r\n\r\n0\r\n0\r\n---\r\n***\r\n");
}

TEST(FormatSettingsTest, RoundTripKeepsTheUninterpretedValues) {
  PrintSettings s = Read("keep \xE9 one\r\nP\r\nkeep three\r\ny\r\nY\r\nF\r\n2\r\n7.25\r\n");
  EXPECT_EQ(FormatSettings(s),
            "keep \xE9 one\r\nP\r\nkeep three\r\nY\r\nY\r\nF\r\n2\r\n7.25\r\n---\r\n***\r\n");
  EXPECT_EQ(Read(FormatSettings(s)), s);
}

class SettingsFileTest : public ::testing::Test {
 protected:
  TempDir dir;
  PrintSettings settings;
};

TEST_F(SettingsFileTest, MissingFileIsCreatedEmpty) {
  LoadPrinterSettings(dir.path(), settings);
  EXPECT_EQ(ReadFile(dir / "Printer.inp"), "\r\n\r\n\r\nN\r\nN\r\n\r\n0\r\n0\r\n---\r\n***\r\n");
  EXPECT_EQ(settings, PrintSettings{});
}

TEST_F(SettingsFileTest, LoadsAndSavesUnderTheFilesOwnName) {
  WriteFile(dir / "PRINTER.INP", "\r\nFront Desk\r\n");
  LoadPrinterSettings(dir.path(), settings);
  EXPECT_EQ(settings.PrinterName, "Front Desk");
  settings.Copies = 2;
  SavePrinterSettings(dir.path(), settings);
  if (vorn::testing::kCaseSensitiveFiles) {
    EXPECT_FALSE(std::filesystem::exists(dir / "Printer.inp"));
  }
  EXPECT_EQ(ReadFile(dir / "PRINTER.INP"),
            "\r\nFront Desk\r\n\r\nN\r\nN\r\n\r\n2\r\n0\r\n---\r\n***\r\n");
}

TEST_F(SettingsFileTest, ZeroByteFileReadsAsNoLines) {
  WriteFile(dir / "Printer.inp", "");
  LoadPrinterSettings(dir.path(), settings);
  EXPECT_EQ(settings, PrintSettings{});
}

TEST_F(SettingsFileTest, ReadOnlyFileEndsTheRunAndStaysAsItWas) {
  WriteFile(dir / "Printer.inp", "\r\nFront Desk\r\n");
  vorn::testing::MakeReadOnly(dir / "Printer.inp");
  LoadPrinterSettings(dir.path(), settings);
  settings.Copies = 5;
  EXPECT_THROW(SavePrinterSettings(dir.path(), settings), RunError);
  EXPECT_EQ(ReadFile(dir / "Printer.inp"), "\r\nFront Desk\r\n");
}

TEST_F(SettingsFileTest, AFolderNamedLikeTheFileEndsTheRun) {
  std::filesystem::create_directory(dir / "Printer.inp");
  EXPECT_THROW(LoadPrinterSettings(dir.path(), settings), RunError);
}

TEST_F(SettingsFileTest, ALinkedFileIsReadAndSavedThroughTheLink) {
  TempDir elsewhere;
  WriteFile(elsewhere / "shared.inp", "\r\nFront Desk\r\n");
  std::error_code ec;
  std::filesystem::create_symlink(elsewhere / "shared.inp", dir / "Printer.inp", ec);
  if (ec) GTEST_SKIP() << "no symbolic links here: " << ec.message();
  LoadPrinterSettings(dir.path(), settings);
  EXPECT_EQ(settings.PrinterName, "Front Desk");
  // A settings file shared through a link stays shared: the link stays and the file it names
  // gets the saved text.
  SavePrinterSettings(dir.path(), settings);
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "Printer.inp"));
  EXPECT_EQ(ReadFile(elsewhere / "shared.inp"),
            "\r\nFront Desk\r\n\r\nN\r\nN\r\n\r\n0\r\n0\r\n---\r\n***\r\n");
}

TEST(FileExistsTest, LinksCountAsWhatTheyPointTo) {
  TempDir dir;
  WriteFile(dir / "target.prn", "");
  std::filesystem::create_directory(dir / "folder");
  std::error_code ec;
  std::filesystem::create_symlink(dir / "target.prn", dir / "VORN.PRN", ec);
  if (ec) GTEST_SKIP() << "no symbolic links here: " << ec.message();
  std::filesystem::create_directory_symlink(dir / "folder", dir / "folder.inp");
  std::filesystem::create_symlink(dir / "missing", dir / "dangling.inp");
  std::string found;
  EXPECT_TRUE(FileExists(dir.path(), "VORN.PRN", found));
  EXPECT_FALSE(FileExists(dir.path(), "folder.inp", found));
  EXPECT_FALSE(FileExists(dir.path(), "dangling.inp", found));
}

TEST(FileExistsTest, LooksUpFilesFoldersAndWildcards) {
  TempDir dir;
  WriteFile(dir / "Printer.inp", "");
  WriteFile(dir / ".hidden", "");
  std::filesystem::create_directory(dir / "sub");
  std::string found = "unchanged";
  EXPECT_TRUE(FileExists(dir.path(), "Printer.inp", found));
  EXPECT_TRUE(FileExists(dir.path() + "/", "PRINTER.INP", found));
  EXPECT_EQ(found, "unchanged");
  EXPECT_FALSE(FileExists(dir.path(), "sub", found)) << "a folder is not a normal file";
  EXPECT_FALSE(FileExists(dir.path(), ".hidden", found));
  EXPECT_FALSE(FileExists(dir.path(), "missing.txt", found));
  EXPECT_TRUE(FileExists(dir.path(), "", found));
  EXPECT_FALSE(FileExists(dir / "nowhere", "", found));
  EXPECT_TRUE(FileExists(dir.path(), "print?r.*", found));
  EXPECT_EQ(found, "Printer.inp");
  EXPECT_FALSE(FileExists(dir.path(), "*.prn", found));
  EXPECT_FALSE(FileExists(dir / "nowhere", "Printer.inp", found));
}

}  // namespace
}  // namespace vorn::print
