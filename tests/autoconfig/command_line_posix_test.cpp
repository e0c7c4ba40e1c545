#include <gtest/gtest.h>

#include "autoconfig/platform/command_line.h"

namespace vorn::autoconfig {
namespace {

TEST(CommandLineArguments, JoinsTheArgumentsByOneBlank) {
  const char* none[] = {"tesmo"};
  const char* drive[] = {"tesmo", "/d"};
  const char* several[] = {"/usr/bin/tesmo", "a", "", "b  c"};
  const char* letter[] = {"tesmo", "x\xc3\xa9"};
  EXPECT_EQ(CommandLineArguments(1, none), "");
  EXPECT_EQ(CommandLineArguments(2, drive), "/d");
  EXPECT_EQ(CommandLineArguments(4, several), "a  b  c");
  // Counted in characters of the ANSI text, not in bytes of UTF-8.
  EXPECT_EQ(CommandLineArguments(2, letter), "x\xe9");
}

}  // namespace
}  // namespace vorn::autoconfig
