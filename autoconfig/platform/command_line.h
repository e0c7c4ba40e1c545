#pragma once

#include <string>
#include <string_view>

namespace vorn::autoconfig {

// Tesmo's argument string in the ANSI code page: everything after the program's own path.
// On Windows that is the raw command-line text (blanks after the path dropped); elsewhere the
// arguments joined by single blanks. `argc` and `argv` are main's, before Qt sees them.
std::string CommandLineArguments(int argc, const char* const* argv);

// The text of a raw command line in wide characters, as Windows keeps it, after the program's
// path, which may be quoted: the blanks and tabs after the path are dropped, everything else
// is kept as typed. Split before it is made ANSI, where a look-alike of a quotation mark or
// blank would move the split.
std::wstring ArgumentsAfterProgram(std::wstring_view commandLine);

}  // namespace vorn::autoconfig
