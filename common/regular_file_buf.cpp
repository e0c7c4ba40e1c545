#include "common/regular_file_buf.h"

#include <algorithm>

namespace vorn {

RegularFileBuf::int_type RegularFileBuf::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  if (left_ == 0) return traits_type::eof();
  const auto ask = static_cast<std::size_t>(std::min<std::uint64_t>(left_, buffer_.size()));
  // A read error reaches the reader as an exception, not as an early end of the file.
  const std::size_t got = file_.Read(buffer_.data(), ask);
  if (got == 0) {
    left_ = 0;  // the file became shorter: its end came early
    return traits_type::eof();
  }
  left_ -= got;
  setg(buffer_.data(), buffer_.data(), buffer_.data() + got);
  return traits_type::to_int_type(*gptr());
}

}  // namespace vorn
