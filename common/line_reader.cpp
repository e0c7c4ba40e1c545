#include "common/line_reader.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "common/run_error.h"

namespace vorn {

namespace {

constexpr auto kEof = std::char_traits<char>::eof();

// The stream buffer's read area, seen from outside, so that a line is found with one scan and
// copied in one go rather than with a virtual call per character.
struct ReadArea : std::streambuf {
  static const char* Next(std::streambuf* buf) { return (buf->*&ReadArea::gptr)(); }
  static const char* End(std::streambuf* buf) { return (buf->*&ReadArea::egptr)(); }
  static void Skip(std::streambuf* buf, std::size_t n) {
    (buf->*&ReadArea::gbump)(static_cast<int>(n));
  }
};

// The buffer moves its read position by an int at a time.
constexpr std::size_t kMaxRun = INT_MAX;

[[noreturn]] void TooLong(std::size_t maxLength) {
  throw RunError(ErrorNumber::kOverflow,
                 "Overflow: a line longer than " + std::to_string(maxLength) + " bytes");
}

}  // namespace

bool LineReader::AtEnd() const { return buf_ == nullptr || buf_->sgetc() == kEof; }

bool LineReader::ReadLine(std::string& line) {
  line.clear();
  if (AtEnd()) return false;
  for (;;) {
    const char* next = ReadArea::Next(buf_);
    const char* end = ReadArea::End(buf_);
    if (next != nullptr && next < end) {
      const std::size_t available = std::min(static_cast<std::size_t>(end - next), kMaxRun);
      const auto* cr = static_cast<const char*>(std::memchr(next, '\r', available));
      const std::size_t run = cr != nullptr ? static_cast<std::size_t>(cr - next) : available;
      if (run > maxLength_ - line.size()) TooLong(maxLength_);
      line.append(next, run);
      ReadArea::Skip(buf_, run);
      if (cr == nullptr) {
        // The buffer ended inside the line: refill it and go on.
        if (buf_->sgetc() == kEof) return true;
        continue;
      }
    }
    // The terminator, or a stream buffer that keeps no read area: one character at a time.
    auto c = buf_->sbumpc();
    if (c == kEof) return true;
    if (c == '\r') {
      if (buf_->sgetc() == '\n') buf_->sbumpc();
      return true;
    }
    if (line.size() == maxLength_) TooLong(maxLength_);
    line.push_back(static_cast<char>(c));
  }
}

}  // namespace vorn
