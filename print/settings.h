#pragma once

#include <cstdint>
#include <istream>
#include <string>

namespace vorn::print {

// The remembered printer, font and copies, plus five values the calling programs keep in the
// same file and that Kelvarin writes back unchanged. Texts are ANSI bytes.
struct PrintSettings {
  std::string Line1Text;
  std::string PrinterName;
  std::string Line3Text;
  bool Line4Flag = false;
  bool Line5Flag = false;
  std::string FontName;
  std::int16_t Copies = 0;
  double Line8Number = 0.0;

  bool operator==(const PrintSettings&) const = default;
};

inline constexpr const char* kSettingsFileName = "Printer.inp";

// Reads settings lines from `in` into `settings` (fields not present keep their values).
// Reading stops at a line "***" or "---", at the end of the input, or after 32767 lines.
void ReadSettings(std::istream& in, PrintSettings& settings);

// The ten lines of the file, each ended by CR LF.
std::string FormatSettings(const PrintSettings& settings);

// Fills `settings` from "Printer.inp" in `folder`, or creates the file from `settings` when it
// is missing. Throws RunError when the file cannot be read.
void LoadPrinterSettings(const std::string& folder, PrintSettings& settings);

// Writes `settings` to "Printer.inp" in `folder`, replacing the file whole. Throws RunError
// when it cannot be written; the old file then stays as it was.
void SavePrinterSettings(const std::string& folder, const PrintSettings& settings);

// True when `dir` holds a normal file `name` (letter case ignored; "*" and "?" allowed in
// `name`). An empty `name` asks whether `dir` itself exists. On a match with a wildcard,
// `foundName` receives the first matching entry's name. Never throws.
bool FileExists(std::string dir, const std::string& name, std::string& foundName);

}  // namespace vorn::print
