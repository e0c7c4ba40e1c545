#include "autoconfig/products.h"

#include <iterator>
#include <string>
#include <utility>

namespace vorn::autoconfig {

void BuildProductTable(ProductTable& table) {
  struct Row {
    const char* displayName;
    const char* dataFileName;
    std::int16_t settingLine;
    bool quotedSetting = false;
  };
  static constexpr Row kRows[] = {
      {"Vorn Program 01", "PROG01.DTA", 13},       {"Vorn Program 02", "PROG02.DTA", 1},
      {"Vorn Program 03", "PROG03.DTA", 1},        {"Vorn Program 04", "PROG04.DTA", 1},
      {"Vorn Program 05", "PROG05.DTA", 18},       {"Vorn Program 06", "PROG06.DTA", 12},
      {"Vorn Program 07", "PROG07.DTA", 10, true}, {"Vorn Program 08", "PROG08.DTA", 1},
      {"Vorn Program 09", "PROG09.DTA", 1},        {"Vorn Program 10", "PROG10.DTA", 3},
      {"Vorn Program 11", "PROG11.DTA", 1},        {"Vorn Program 12", "PROG12.DTA", 13},
      {"Vorn Program 13", "PROG13.DTA", 1},        {"Vorn Program 14", "PROG14.DTA", 1},
      {"Vorn Program 15", "PROG15.DTA", 3},        {"Vorn Program 16", "PROG16.DTA", 3},
  };
  static_assert(std::size(kRows) == ProductTable::kUpperBound - ProductTable::kLowerBound + 1);
  for (int i = ProductTable::kLowerBound; i <= ProductTable::kUpperBound; ++i) {
    const Row& row = kRows[i - ProductTable::kLowerBound];
    ProductEntry& entry = table[i];
    entry.DisplayName = row.displayName;
    entry.DataFileName = row.dataFileName;
    entry.SettingLine = row.settingLine;
    entry.QuotedSetting = row.quotedSetting;
  }
}

bool FindProduct(const TesmoContext& ctx, ProductEntry& entry) {
  // The letter is used as given: "d" searches "d:\vorn\".
  const std::string root = ctx.InstallDrive + ":\\vorn\\";
  FoundFile found;
  if (!ctx.Search.FindFile(root, entry.DataFileName, found)) return false;
  entry.FoundPath = found.path;
  entry.FoundFolder = std::move(found.folder);
  return true;
}

}  // namespace vorn::autoconfig
