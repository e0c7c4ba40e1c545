// Tesmo's command line on POSIX: the arguments after the program's path, joined by single
// blanks. One division: CommandLineArguments.
#include "autoconfig/platform/command_line.h"
#include "common/ansi_text.h"

namespace vorn::autoconfig {

std::string CommandLineArguments(int argc, const char* const* argv) {
  std::string joined;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) joined += ' ';
    joined += argv[i];
  }
  // Arguments arrive in UTF-8; the run counts characters of the ANSI text.
  return Utf8ToAnsi(joined);
}

}  // namespace vorn::autoconfig
