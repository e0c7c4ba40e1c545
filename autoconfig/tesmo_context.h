#pragma once

#include <cstdint>
#include <string>

#include "autoconfig/launcher.h"
#include "autoconfig/product_table.h"
#include "autoconfig/tree_search.h"
#include "common/message_box.h"

namespace vorn::autoconfig {

// 16-bit booleans as the VORN programs keep them.
inline constexpr std::int16_t kTrue = -1;
inline constexpr std::int16_t kFalse = 0;

// Everything one run of Tesmo shares between its steps and its window. Created by main (or a
// test) and passed by reference; lives for the run. The run reaches the system only through
// the interfaces held here: the message boxes, the search of the drive and the launcher.
struct TesmoContext {
  TesmoContext(MessageBoxes& messages, TreeSearch& search, Launcher& launch)
      : Messages(messages), Search(search), Launch(launch) {}

  std::string InstallDrive;        // the drive letter from the command line, or empty
  std::int16_t AnyFound = kFalse;  // set when any program was found, never reset
  ::vorn::autoconfig::ProductTable ProductTable;

  MessageBoxes& Messages;
  TreeSearch& Search;
  Launcher& Launch;
  std::string KelvarinPath;  // the program Print Test Page starts
};

}  // namespace vorn::autoconfig
