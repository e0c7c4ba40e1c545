#include "autoconfig/platform/command_line.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/wide_text.h"

namespace vorn::autoconfig {
namespace {

struct CommandLineCase {
  const char* commandLine;
  const char* arguments;
};

// The cases are ASCII: each character widened as it is.
std::wstring Widened(const char* text) { return std::wstring(text, text + std::strlen(text)); }

class ArgumentsAfterProgramTest : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(ArgumentsAfterProgramTest, DropsTheProgramPath) {
  EXPECT_EQ(ArgumentsAfterProgram(Widened(GetParam().commandLine)), Widened(GetParam().arguments));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ArgumentsAfterProgramTest,
    ::testing::Values(CommandLineCase{R"(D:\setup\Tesmo.exe /d)", "/d"},
                      CommandLineCase{R"("C:\Program Files\Vorn\Tesmo.exe" /d)", "/d"},
                      CommandLineCase{R"("C:\Program Files\Vorn\Tesmo.exe"/d)", "/d"},
                      CommandLineCase{"Tesmo.exe \t  /d  extra ", "/d  extra "},
                      CommandLineCase{"Tesmo.exe", ""}, CommandLineCase{"Tesmo.exe   ", ""},
                      CommandLineCase{R"("C:\unterminated quote /d)", ""},
                      CommandLineCase{"", ""}));

#ifdef _WIN32
// The command line is split where Windows splits it, before it is made ANSI: a character the
// ANSI code page only has a look-alike for (a full-width quotation mark in a folder name) does
// not end the program's path.
TEST(CommandLineArgumentsWinTest, ALookAlikeInTheProgramPathDoesNotEndIt) {
  const std::wstring line = L"\"C:\\Vorn\uFF02Setup\\Tesmo.exe\" /d";
  EXPECT_EQ(WideToAnsi(ArgumentsAfterProgram(std::wstring_view(line))), "/d");
}

// The test program's own command line, as CTest started it.
TEST(CommandLineArgumentsWinTest, ReadsTheProcesssOwnCommandLine) {
  std::string arguments = CommandLineArguments(0, nullptr);
  EXPECT_EQ(arguments.rfind("--gtest", 0), 0u) << arguments;
}
#endif

}  // namespace
}  // namespace vorn::autoconfig
