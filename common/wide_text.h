#pragma once

#include <string>
#include <string_view>

namespace vorn {

// The one place where Windows texts change between the programs' 8-bit texts and the wide
// characters the Windows API takes. The programs' texts are in the system's ANSI code page;
// messages and paths are UTF-8.

// ANSI bytes to wide characters.
std::wstring AnsiToWide(std::string_view ansi);

// Wide characters to ANSI bytes; a character the code page lacks becomes "?".
std::string WideToAnsi(std::wstring_view wide);

// UTF-8 to wide characters; text that is not valid UTF-8 is taken as ANSI bytes instead.
std::wstring Utf8ToWide(std::string_view utf8);

// Wide characters to UTF-8, the encoding of messages and error descriptions.
std::string WideToUtf8(std::wstring_view wide);

}  // namespace vorn
