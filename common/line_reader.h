#pragma once

#include <cstddef>
#include <istream>
#include <string>

namespace vorn {

// Reads text lines the way the VORN programs write and read them: a line ends at CR LF or at a
// lone CR, and the terminator is dropped. A lone LF does not end a line: it stays in the text.
// Reads straight from the stream buffer, so a file of any size is streamed, never held, and a
// line is held only up to a bound: no VORN program writes a line anywhere near it, and a file
// without line ends (a sparse file of NULs) cannot fill the memory or keep the reader busy.
class LineReader {
 public:
  // The longest line read, in bytes, terminator not counted.
  static constexpr std::size_t kMaxLineLength = std::size_t{1} << 20;

  explicit LineReader(std::istream& in, std::size_t maxLength = kMaxLineLength)
      : buf_(in.rdbuf()), maxLength_(maxLength) {}

  // True when no byte is left to read.
  bool AtEnd() const;

  // Reads the next line into `line` (replacing its contents). Returns false, with `line`
  // empty, when the stream was already at its end. Throws RunError 6 (overflow) when the line
  // is longer than the bound; the reader is then left within that line.
  bool ReadLine(std::string& line);

 private:
  std::streambuf* buf_;
  std::size_t maxLength_;
};

}  // namespace vorn
