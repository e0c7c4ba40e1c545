#pragma once

#include <string>

namespace vorn::autoconfig {

// Tesmo's argument string in the ANSI code page: everything after the program's own path.
// On Windows that is the raw command-line text (blanks after the path dropped); elsewhere the
// arguments joined by single blanks. `argc` and `argv` are main's, before Qt sees them.
std::string CommandLineArguments(int argc, const char* const* argv);

}  // namespace vorn::autoconfig
