#pragma once

#include <istream>
#include <string>

namespace vorn {

// Reads text lines the way the VORN programs write and read them: a line ends at CR LF or at a
// lone CR, and the terminator is dropped. A lone LF does not end a line: it stays in the text.
// Reads straight from the stream buffer, so a file of any size is streamed, never held.
class LineReader {
 public:
  explicit LineReader(std::istream& in) : buf_(in.rdbuf()) {}

  // True when no byte is left to read.
  bool AtEnd() const;

  // Reads the next line into `line` (replacing its contents). Returns false, with `line`
  // empty, when the stream was already at its end.
  bool ReadLine(std::string& line);

 private:
  std::streambuf* buf_;
};

}  // namespace vorn
