#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vorn::fuzz {

// The lines of a text as the VORN programs read them, written out independently of the
// production reader: CR LF or a lone CR ends a line, a lone LF is text, a last line without a
// terminator still counts, and an empty text has no lines.
inline std::vector<std::string> ReferenceLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t cr = text.find('\r', pos);
    if (cr == std::string_view::npos) {
      lines.emplace_back(text.substr(pos));
      break;
    }
    lines.emplace_back(text.substr(pos, cr - pos));
    pos = cr + 1;
    if (pos < text.size() && text[pos] == '\n') ++pos;
  }
  return lines;
}

}  // namespace vorn::fuzz
