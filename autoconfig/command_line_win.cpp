#include <windows.h>

#include "autoconfig/command_line.h"

namespace vorn::autoconfig {

std::string CommandLineArguments(int, const char* const*) {
  // The raw text keeps the user's blanks and quotes, which argv would have reinterpreted.
  const wchar_t* wide = ::GetCommandLineW();
  int n = ::WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<std::size_t>(n > 0 ? n : 1), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi.data(), n, nullptr, nullptr);
  ansi.resize(ansi.size() - 1);
  return ArgumentsAfterProgram(ansi);
}

}  // namespace vorn::autoconfig
