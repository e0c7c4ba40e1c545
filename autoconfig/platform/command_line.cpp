#include "autoconfig/platform/command_line.h"

namespace vorn::autoconfig {

namespace {

// Where the arguments start: after the program's path (quoted up to the next quotation mark, or
// else up to the first blank or tab) and the blanks and tabs after it.
std::size_t ArgumentsStart(std::wstring_view commandLine) {
  const wchar_t quote = L'"';
  const wchar_t blank = L' ';
  const wchar_t tab = L'\t';
  std::size_t pos = 0;
  if (!commandLine.empty() && commandLine[0] == quote) {
    pos = commandLine.find(quote, 1);
    pos = pos == std::wstring_view::npos ? commandLine.size() : pos + 1;
  } else {
    while (pos < commandLine.size() && commandLine[pos] != blank && commandLine[pos] != tab) ++pos;
  }
  while (pos < commandLine.size() && (commandLine[pos] == blank || commandLine[pos] == tab)) ++pos;
  return pos;
}

}  // namespace

std::wstring ArgumentsAfterProgram(std::wstring_view commandLine) {
  return std::wstring(commandLine.substr(ArgumentsStart(commandLine)));
}

}  // namespace vorn::autoconfig
