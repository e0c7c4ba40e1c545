#pragma once

#include <string>
#include <string_view>

namespace vorn {

// Texts in the VORN programs' files are bytes in the Windows ANSI code page 1252, on every
// platform. These convert at the edges only (windows, printing); files keep their bytes.

// Each byte becomes its character, in UTF-8. The five bytes 1252 leaves undefined map to the
// control characters of the same code, as Windows maps them, so nothing is lost.
std::string AnsiToUtf8(std::string_view ansi);

// Each character that code page 1252 holds becomes its byte; any other character (and any
// byte that is not valid UTF-8) becomes "?".
std::string Utf8ToAnsi(std::string_view utf8);

}  // namespace vorn
