// Tesmo's command line on Windows: the raw command-line text after the program's path, made
// ANSI. One division: CommandLineArguments.
#include <windows.h>

#include "autoconfig/platform/command_line.h"
#include "common/wide_text.h"

namespace vorn::autoconfig {

std::string CommandLineArguments(int, const char* const*) {
  // The raw text keeps the user's blanks and quotes, which argv would have reinterpreted. It
  // is split as Windows splits it, and only the arguments are made ANSI.
  return WideToAnsi(ArgumentsAfterProgram(std::wstring_view(::GetCommandLineW())));
}

}  // namespace vorn::autoconfig
