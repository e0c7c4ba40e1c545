#include <windows.h>

#include "autoconfig/command_line.h"

namespace vorn::autoconfig {

std::string CommandLineArguments(int, const char* const*) {
  // The raw text keeps the user's blanks and quotes, which argv would have reinterpreted.
  const char* p = ::GetCommandLineA();
  if (*p == '"') {
    ++p;
    while (*p != '\0' && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (*p != '\0' && *p != ' ' && *p != '\t') ++p;
  }
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

}  // namespace vorn::autoconfig
