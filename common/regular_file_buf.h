#pragma once

#include <array>
#include <cstdint>
#include <streambuf>

#include "common/regular_file.h"

namespace vorn {

// Reads a regular file through a std::istream, at most as many bytes as the file held when it
// was opened: a file that keeps growing while it is read is read as it was.
class RegularFileBuf final : public std::streambuf {
 public:
  explicit RegularFileBuf(RegularFile& file) : file_(file), left_(file.Size()) {}

 protected:
  int_type underflow() override;

 private:
  RegularFile& file_;
  std::uint64_t left_;
  std::array<char, 64 * 1024> buffer_{};
};

}  // namespace vorn
