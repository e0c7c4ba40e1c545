#include "autoconfig/command_line.h"

#include <gtest/gtest.h>

namespace vorn::autoconfig {
namespace {

struct CommandLineCase {
  const char* commandLine;
  const char* arguments;
};

class ArgumentsAfterProgramTest : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(ArgumentsAfterProgramTest, DropsTheProgramPath) {
  EXPECT_EQ(ArgumentsAfterProgram(GetParam().commandLine), GetParam().arguments);
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
// The test program's own command line, as CTest started it.
TEST(CommandLineArgumentsWinTest, ReadsTheProcesssOwnCommandLine) {
  std::string arguments = CommandLineArguments(0, nullptr);
  EXPECT_EQ(arguments.rfind("--gtest", 0), 0u) << arguments;
}
#endif

}  // namespace
}  // namespace vorn::autoconfig
