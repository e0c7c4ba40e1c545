#include "autoconfig/port_patcher.h"

#include <cstdint>
#include <exception>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "autoconfig/products.h"
#include "common/file_names.h"
#include "common/file_rewrite.h"
#include "common/folder_handle.h"
#include "common/line_reader.h"
#include "common/run_error.h"

namespace vorn::autoconfig {

namespace {

constexpr std::string_view kCrLf = "\r\n";

// The new text of the data file as pieces of the old text and the few bytes that change, so
// that the file is held once, not copied. Lines are read as LineReader reads them: a line ends
// at CR LF or at a lone CR; a lone LF is part of the line; a line over its bound fails.
void PatchedText(const ProductEntry& entry, std::string_view text,
                 std::vector<std::string_view>& pieces) {
  const bool quoted = entry.QuotedSetting;
  const std::size_t cut = quoted ? 2 : 1;
  std::int16_t counter = 0;
  std::size_t at = 0;
  while (at < text.size()) {
    // The line counter is a 16-bit number: a 32768th line does not fit and is never read.
    if (counter == std::numeric_limits<std::int16_t>::max())
      throw RunError(ErrorNumber::kOverflow, "Overflow: more than 32767 lines");
    ++counter;
    const std::size_t cr = text.find('\r', at);
    const std::size_t end = cr == std::string_view::npos ? text.size() : cr;
    std::string_view line = text.substr(at, end - at);
    if (line.size() > LineReader::kMaxLineLength)
      throw RunError(ErrorNumber::kOverflow, "Overflow: a line longer than the line bound");
    at = end;
    if (at < text.size()) {
      ++at;
      if (at < text.size() && text[at] == '\n') ++at;
    }
    if (counter == entry.SettingLine) {
      if (line.size() < cut)
        throw RunError(ErrorNumber::kInvalidCall, "Setting line too short to hold a port");
      pieces.push_back(line.substr(0, line.size() - cut));
      pieces.push_back(quoted ? "4\"" : "4");
    } else {
      pieces.push_back(line);
    }
    if (at < text.size()) pieces.push_back(kCrLf);
  }
  pieces.push_back(kCrLf);
}

}  // namespace

void SetPrinterPort(const ProductEntry& entry, StatusList& lstStatus) {
  try {
    // The file is reached through the folder the search found it in; only an entry that came
    // with a path alone has its folder looked up by that path.
    const auto slash = entry.FoundPath.find_last_of(PathSeparator());
    const std::string name =
        slash == std::string::npos ? entry.FoundPath : entry.FoundPath.substr(slash + 1);
    FolderHandle own;
    const FolderHandle* folder = entry.FoundFolder.get();
    if (folder == nullptr) {
      own = FolderHandle::Open(slash == std::string::npos ? std::string(".")
                               : slash == 0               ? entry.FoundPath.substr(0, 1)
                                                          : entry.FoundPath.substr(0, slash));
      folder = &own;
    }
    // No link is followed, a pipe or device is refused without waiting, a read-only file is
    // refused before anything is written.
    FileRewrite file(*folder, name, LinkRule::kRefuse, entry.FoundPath);
    if (file.Size() > kMaxDataFileSize)
      throw RunError(ErrorNumber::kOverflow, "Too large for a data file: " + entry.FoundPath);
    const std::string text = file.ReadAll();
    std::vector<std::string_view> pieces;
    PatchedText(entry, text, pieces);
    file.Write(pieces);
  } catch (const std::exception&) {
    lstStatus.AddItem(entry.DisplayName + " printer port could NOT be set...");
    return;
  }
  lstStatus.AddItem(entry.DisplayName + " printer port set...ok");
}

}  // namespace vorn::autoconfig
