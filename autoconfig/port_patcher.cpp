#include "autoconfig/port_patcher.h"

#include <cerrno>
#include <cstdint>
#include <exception>
#include <fstream>
#include <limits>
#include <string>

#include "autoconfig/products.h"
#include "common/file_names.h"
#include "common/file_replace.h"
#include "common/line_reader.h"
#include "common/run_error.h"

namespace vorn::autoconfig {

namespace {

constexpr char kCrLf[] = "\r\n";

// The whole new text of the data file, read once from the stream.
std::string PatchedText(const ProductEntry& entry, std::istream& in) {
  const bool quoted = entry.QuotedSetting;
  const std::size_t cut = quoted ? 2 : 1;
  LineReader reader(in);
  std::string text;
  std::string line;
  std::int16_t counter = 0;
  while (!reader.AtEnd()) {
    // The line counter is a 16-bit number: a 32768th line does not fit and is never read.
    if (counter == std::numeric_limits<std::int16_t>::max())
      throw RunError(ErrorNumber::kOverflow, "Overflow: more than 32767 lines");
    ++counter;
    reader.ReadLine(line);
    if (counter == entry.SettingLine) {
      if (line.size() < cut)
        throw RunError(ErrorNumber::kInvalidCall, "Setting line too short to hold a port");
      text.append(line, 0, line.size() - cut);
      text += quoted ? "4\"" : "4";
    } else {
      text += line;
    }
    if (!reader.AtEnd()) text += kCrLf;
  }
  if (in.bad()) throw RunError(ErrorNumber::kDeviceIo, "Cannot read " + entry.FoundPath);
  text += kCrLf;
  return text;
}

}  // namespace

void SetPrinterPort(const ProductEntry& entry, StatusList& lstStatus) {
  try {
    std::string text;
    {
      std::ifstream in(NativePath(entry.FoundPath), std::ios::in | std::ios::binary);
      if (!in.is_open()) throw SystemError(errno, "Cannot open " + entry.FoundPath);
      text = PatchedText(entry, in);
    }
    // A read-only data file is refused before anything is written.
    if (!IsWritableFile(entry.FoundPath))
      throw RunError(ErrorNumber::kPermissionDenied, "Permission denied: " + entry.FoundPath);
    ReplaceFileContents(entry.FoundPath, text);
  } catch (const std::exception&) {
    lstStatus.AddItem(entry.DisplayName + " printer port could NOT be set...");
    return;
  }
  lstStatus.AddItem(entry.DisplayName + " printer port set...ok");
}

}  // namespace vorn::autoconfig
