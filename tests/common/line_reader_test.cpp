#include "common/line_reader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace vorn {
namespace {

std::vector<std::string> ReadAll(const std::string& bytes) {
  std::istringstream in(bytes);
  LineReader reader(in);
  std::vector<std::string> lines;
  std::string line;
  while (!reader.AtEnd()) {
    EXPECT_TRUE(reader.ReadLine(line));
    lines.push_back(line);
  }
  EXPECT_FALSE(reader.ReadLine(line));
  EXPECT_EQ(line, "");
  return lines;
}

struct LineCase {
  const char* name;
  std::string bytes;
  std::vector<std::string> lines;
};

class LineReaderTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineReaderTest, SplitsAsTheVornProgramsDo) {
  EXPECT_EQ(ReadAll(GetParam().bytes), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(Terminators, LineReaderTest,
                         ::testing::Values(LineCase{"Empty", "", {}},
                                           LineCase{"CrLf", "A\r\nB\r\nC\r\n", {"A", "B", "C"}},
                                           LineCase{"NoFinalTerminator", "A\r\nB", {"A", "B"}},
                                           LineCase{"LoneCr", "A\rB\r", {"A", "B"}},
                                           LineCase{"LoneLfStaysInLine", "A\nB\r\n", {"A\nB"}},
                                           LineCase{"CrCrLf", "A\r\r\nB", {"A", "", "B"}},
                                           LineCase{"EmptyLines", "\r\n\r\n", {"", ""}},
                                           LineCase{"FormFeedKept", "A\f\r\nB", {"A\f", "B"}},
                                           LineCase{"NulBytesKept",
                                                    std::string("A\0B\r\n", 5),
                                                    {std::string("A\0B", 3)}}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace vorn
