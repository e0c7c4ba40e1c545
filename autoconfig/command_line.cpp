#include "autoconfig/command_line.h"

namespace vorn::autoconfig {

std::string ArgumentsAfterProgram(std::string_view commandLine) {
  std::size_t pos = 0;
  if (!commandLine.empty() && commandLine[0] == '"') {
    pos = commandLine.find('"', 1);
    pos = pos == std::string_view::npos ? commandLine.size() : pos + 1;
  } else {
    while (pos < commandLine.size() && commandLine[pos] != ' ' && commandLine[pos] != '\t') ++pos;
  }
  while (pos < commandLine.size() && (commandLine[pos] == ' ' || commandLine[pos] == '\t')) ++pos;
  return std::string(commandLine.substr(pos));
}

}  // namespace vorn::autoconfig
