#include "common/line_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <streambuf>
#include <vector>

#include "tests/support/temp_dir.h"

namespace vorn {
namespace {

std::vector<std::string> ReadAll(std::istream& in) {
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

std::vector<std::string> ReadAll(const std::string& bytes) {
  std::istringstream in(bytes);
  return ReadAll(in);
}

// A stream buffer with a read area of `size` bytes at a time, so that lines and terminators
// fall across its refills.
class SmallBuffer : public std::streambuf {
 public:
  SmallBuffer(std::string bytes, std::size_t size) : bytes_(std::move(bytes)), size_(size) {}

 protected:
  int_type underflow() override {
    if (pos_ >= bytes_.size()) return traits_type::eof();
    std::size_t n = std::min(size_, bytes_.size() - pos_);
    chunk_.assign(bytes_, pos_, n);
    pos_ += n;
    setg(chunk_.data(), chunk_.data(), chunk_.data() + n);
    return traits_type::to_int_type(chunk_[0]);
  }

 private:
  std::string bytes_;
  std::size_t size_;
  std::size_t pos_ = 0;
  std::string chunk_;
};

// A stream buffer that keeps no read area at all: every character comes through uflow.
class UnbufferedBuffer : public std::streambuf {
 public:
  explicit UnbufferedBuffer(std::string bytes) : bytes_(std::move(bytes)) {}

 protected:
  int_type underflow() override {
    return pos_ < bytes_.size() ? traits_type::to_int_type(bytes_[pos_]) : traits_type::eof();
  }
  int_type uflow() override {
    return pos_ < bytes_.size() ? traits_type::to_int_type(bytes_[pos_++]) : traits_type::eof();
  }

 private:
  std::string bytes_;
  std::size_t pos_ = 0;
};

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

// Every case again through buffers that refill every 1, 2 or 3 bytes and through one that keeps
// no buffer: a CR at the end of one refill and its LF at the start of the next still make one
// terminator, and a line is the same whatever the buffer's size.
TEST_P(LineReaderTest, SplitsTheSameWhateverTheBuffer) {
  for (std::size_t size : {1u, 2u, 3u}) {
    SCOPED_TRACE(size);
    SmallBuffer buffer(GetParam().bytes, size);
    std::istream in(&buffer);
    EXPECT_EQ(ReadAll(in), GetParam().lines);
  }
  UnbufferedBuffer unbuffered(GetParam().bytes);
  std::istream in(&unbuffered);
  EXPECT_EQ(ReadAll(in), GetParam().lines);
}

// A file far larger than the file stream's buffer, with lines longer than the buffer, lone CRs
// and lone LFs, reads back line for line as written.
TEST(LineReaderFileTest, StreamsLongLinesAcrossTheFileBuffer) {
  vorn::testing::TempDir dir;
  const std::string path = dir / "long.txt";
  std::vector<std::string> expected;
  std::string bytes;
  for (int i = 0; i < 3000; ++i) {
    std::string line(static_cast<std::size_t>((i * 7919) % 20000), static_cast<char>('a' + i % 26));
    if (i % 5 == 0 && !line.empty()) line[line.size() / 2] = '\n';
    expected.push_back(line);
    bytes += line + (i % 3 == 0 ? "\r" : "\r\n");
  }
  testing::WriteFile(path, bytes);
  std::ifstream in(path, std::ios::binary);
  EXPECT_EQ(ReadAll(in), expected);
}

}  // namespace
}  // namespace vorn
