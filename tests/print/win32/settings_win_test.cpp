// Printer.inp on Windows: files carrying the attributes Windows keeps beside a file.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

#include "common/file_names.h"
#include "print/settings.h"
#include "tests/support/temp_dir.h"

namespace vorn::print {
namespace {

struct AttributeCase {
  const char* name;
  DWORD attributes;
};

class SettingsAttributesTest : public ::testing::TestWithParam<AttributeCase> {};

TEST_P(SettingsAttributesTest, AreReadAndSavedAndKeepTheirAttributes) {
  testing::TempDir dir;
  const std::string path = dir.path() + "\\Printer.inp";
  {
    std::ofstream out(path, std::ios::binary);
    out << "one\r\nQueue A\r\nthree\r\nY\r\nN\r\nArial\r\n3\r\n7.25\r\n---\r\n***\r\n";
  }
  ASSERT_TRUE(SetFileAttributesW(NativePath(path).c_str(), GetParam().attributes));
  PrintSettings settings;
  LoadPrinterSettings(dir.path(), settings);
  EXPECT_EQ(settings.PrinterName, "Queue A");
  EXPECT_EQ(settings.Copies, 3);
  settings.Copies = 2;
  ASSERT_NO_THROW(SavePrinterSettings(dir.path(), settings));
  std::ifstream in(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text, "one\r\nQueue A\r\nthree\r\nY\r\nN\r\nArial\r\n2\r\n7.25\r\n---\r\n***\r\n");
  EXPECT_EQ(GetFileAttributesW(NativePath(path).c_str()) &
                (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
            GetParam().attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  SetFileAttributesW(NativePath(path).c_str(), FILE_ATTRIBUTE_NORMAL);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsAttributesTest,
    ::testing::Values(AttributeCase{"Archive", FILE_ATTRIBUTE_ARCHIVE},
                      AttributeCase{"Hidden", FILE_ATTRIBUTE_HIDDEN},
                      AttributeCase{"System", FILE_ATTRIBUTE_SYSTEM},
                      AttributeCase{"HiddenSystem", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM}),
    [](const ::testing::TestParamInfo<AttributeCase>& info) { return info.param.name; });

}  // namespace
}  // namespace vorn::print
