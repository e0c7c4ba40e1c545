#pragma once

#include <string_view>

namespace vorn {

// The text without its leading and trailing blanks (tabs and other white space are kept), as
// the VORN programs trim settings lines and the texts typed into their dialogs.
std::string_view TrimBlanks(std::string_view text);

// Whether the text holds nothing but blanks.
inline bool IsBlank(std::string_view text) { return TrimBlanks(text).empty(); }

}  // namespace vorn
