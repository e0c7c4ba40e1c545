#include <windows.h>

#include "autoconfig/command_line.h"
#include "common/wide_text.h"

namespace vorn::autoconfig {

std::string CommandLineArguments(int, const char* const*) {
  // The raw text keeps the user's blanks and quotes, which argv would have reinterpreted.
  return ArgumentsAfterProgram(WideToAnsi(::GetCommandLineW()));
}

}  // namespace vorn::autoconfig
