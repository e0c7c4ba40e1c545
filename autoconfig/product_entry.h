#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "common/folder_handle.h"

namespace vorn::autoconfig {

// One VORN program Tesmo knows. Texts are bytes in the ANSI code page.
struct ProductEntry {
  std::string DisplayName;       // shown in the status list
  std::string DataFileName;      // bare name of the program's data file, searched for on the drive
  std::int16_t SettingLine = 0;  // line of the data file holding the printer port, from 1
  std::string FoundPath;         // full path once found; empty until then
  bool QuotedSetting = false;    // the setting line keeps a closing quotation mark after the port
  // The folder the search found the file in, open, so that the patcher reaches the file
  // through it and not by its path again; empty where the search gave a path only.
  std::shared_ptr<const FolderHandle> FoundFolder = {};
};

}  // namespace vorn::autoconfig
