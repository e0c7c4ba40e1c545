#pragma once

#include <string>
#include <string_view>

namespace vorn {

// UTF-8 (messages, error descriptions, paths) to the bytes of the code page the programs' files
// are kept in: on Windows the system's ANSI code page, elsewhere code page 1252. A character the
// code page lacks becomes "?".
std::string Utf8ToCodePage(std::string_view utf8);

}  // namespace vorn
