#include "print/settings.h"

#include <filesystem>
#include <istream>
#include <system_error>

#include "common/blanks.h"
#include "common/file_names.h"
#include "common/file_replace.h"
#include "common/line_reader.h"
#include "common/number_parse.h"
#include "common/regular_file.h"
#include "common/regular_file_buf.h"
#include "common/run_error.h"

namespace vorn::print {

namespace {

// Lines are counted in 16 bits; a file with more lines before its end marker stops there.
constexpr int kMaxSettingsLines = 32767;

bool IsYes(const std::string& text) { return text == "Y" || text == "y"; }

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// "*" and "?" wildcards, letter case ignored as the file system does on Windows.
bool WildcardMatch(std::string_view pattern, std::string_view name) {
  std::size_t p = 0, n = 0, star = std::string_view::npos, mark = 0;
  while (n < name.size()) {
    if (p < pattern.size() &&
        (pattern[p] == '?' || AsciiUpper(pattern[p]) == AsciiUpper(name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      mark = n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool IsHidden(const std::string& name) { return !name.empty() && name[0] == '.'; }

}  // namespace

void ReadSettings(std::istream& in, PrintSettings& settings) {
  LineReader reader(in);
  // An empty file holds no lines: nothing to read.
  if (reader.AtEnd()) return;
  std::string line;
  int counter = 0;
  do {
    if (counter == kMaxSettingsLines) return;
    ++counter;
    reader.ReadLine(line);
    line = std::string(TrimBlanks(line));
    if (line == "***") return;
    if (line == "---") return;
    switch (counter) {
      case 1:
        settings.Line1Text = line;
        break;
      case 2:
        settings.PrinterName = line;
        break;
      case 3:
        settings.Line3Text = line;
        break;
      case 4:
        settings.Line4Flag = IsYes(line);
        break;
      case 5:
        settings.Line5Flag = IsYes(line);
        break;
      case 6:
        settings.FontName = line;
        break;
      case 7:
        // A number that does not fit the copies field leaves it at its start value, so the
        // default of one copy applies.
        if (auto copies = RoundToInt16(LeadingNumber(line))) settings.Copies = *copies;
        break;
      case 8:
        settings.Line8Number = LeadingNumber(line);
        break;
      default:
        break;
    }
  } while (!reader.AtEnd());
  if (in.bad()) throw RunError(ErrorNumber::kDeviceIo, "Cannot read the settings file");
}

std::string FormatSettings(const PrintSettings& s) {
  std::string text;
  auto line = [&text](const std::string& value) {
    text += value;
    text += "\r\n";
  };
  line(s.Line1Text);
  line(s.PrinterName);
  line(s.Line3Text);
  line(s.Line4Flag ? "Y" : "N");
  line(s.Line5Flag ? "Y" : "N");
  line(s.FontName);
  line(std::to_string(s.Copies));
  line(ShortestNumberText(s.Line8Number));
  line("---");
  line("***");
  return text;
}

void LoadPrinterSettings(const std::string& folder, PrintSettings& settings) {
  const std::string dir = WithTrailingSeparator(folder);
  std::string path = ResolveFileName(dir, kSettingsFileName);
  std::string ignored;
  if (!FileExists(dir, kSettingsFileName, ignored)) {
    // A pipe, a device or a socket under the name is not replaced by a new file: opening it
    // reports what it is, without waiting on it.
    std::error_code ec;
    const auto status = std::filesystem::status(NativePath(path), ec);
    if (std::filesystem::exists(status) && !std::filesystem::is_directory(status))
      RegularFile::Open(path, RegularFile::Mode::kRead);
    SavePrinterSettings(dir, settings);
    return;
  }
  RegularFile file = RegularFile::Open(path, RegularFile::Mode::kRead);
  RegularFileBuf buffer(file);
  std::istream in(&buffer);
  ReadSettings(in, settings);
  file.Close();
}

void SavePrinterSettings(const std::string& folder, const PrintSettings& settings) {
  std::string path = ResolveFileName(WithTrailingSeparator(folder), kSettingsFileName);
  ReplaceFileContents(path, FormatSettings(settings));
}

bool FileExists(std::string dir, const std::string& name, std::string& foundName) {
  namespace fs = std::filesystem;
  dir = WithTrailingSeparator(dir);
  std::error_code ec;
  if (name.empty()) return fs::is_directory(NativePath(dir), ec);
  if (name.find_first_of("*?") == std::string::npos) {
    std::string path = ResolveFileName(dir, name);
    std::string entry = path.substr(path.find_last_of(PathSeparator()) + 1);
    // A link to a file counts as that file, as the folder listing below counts it.
    return fs::is_regular_file(fs::status(NativePath(path), ec)) && !IsHidden(entry);
  }
  for (fs::directory_iterator it(NativePath(dir), ec), end; !ec && it != end; it.increment(ec)) {
    std::string entry = it->path().filename().string();
    if (IsHidden(entry) || !it->is_regular_file(ec) || !WildcardMatch(name, entry)) continue;
    if (name.find('*') != std::string::npos) foundName = entry;
    return true;
  }
  return false;
}

}  // namespace vorn::print
