#pragma once

#include <cstdint>
#include <string>

namespace vorn::autoconfig {

// One VORN program Tesmo knows. Texts are bytes in the ANSI code page.
struct ProductEntry {
  std::string DisplayName;       // shown in the status list
  std::string DataFileName;      // bare name of the program's data file, searched for on the drive
  std::int16_t SettingLine = 0;  // line of the data file holding the printer port, from 1
  std::string FoundPath;         // full path once found; empty until then
  bool QuotedSetting = false;    // the setting line keeps a closing quotation mark after the port
};

}  // namespace vorn::autoconfig
