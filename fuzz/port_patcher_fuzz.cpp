// The port patcher fed any data file and setting line: the file afterwards is exactly what a
// reference patch gives and the success item is listed, or it is unchanged and the failure
// item is listed; no temporary file is left beside it.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "autoconfig/port_patcher.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_temp_dir.h"
#include "fuzz/reference_lines.h"

namespace {

class Items final : public vorn::autoconfig::StatusList {
 public:
  void AddItem(const std::string& text) override { items.push_back(text); }
  std::vector<std::string> items;
};

// The whole patched file, or nothing when the patch must fail.
std::optional<std::string> ReferencePatch(const std::string& text, int settingLine, bool quoted) {
  std::vector<std::string> lines = vorn::fuzz::ReferenceLines(text);
  if (lines.size() > 32767) return std::nullopt;
  std::string result;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string line = lines[i];
    if (static_cast<int>(i) + 1 == settingLine) {
      const std::size_t cut = quoted ? 2 : 1;
      if (line.size() < cut) return std::nullopt;
      line = line.substr(0, line.size() - cut) + (quoted ? "4\"" : "4");
    }
    result += line + "\r\n";
  }
  return lines.empty() ? std::string("\r\n") : result;
}

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace fs = std::filesystem;
  if (size < 2) return 0;
  const int settingLine = data[0] % 24 - 2;  // -2 .. 21
  const bool quoted = (data[1] & 1) != 0;
  const bool readOnly = (data[1] & 2) != 0;
  const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);

  vorn::fuzz::FuzzTempDir::Clear();
  const fs::path dir = vorn::fuzz::FuzzTempDir::Path();
  const fs::path file = dir / (quoted ? "prog07.dta" : "PROG01.DTA");
  {
    std::ofstream out(file, std::ios::binary);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    VORN_FUZZ_CHECK(out.good(), "the data file is written");
  }
  if (readOnly)
    fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);

  vorn::autoconfig::ProductEntry entry{"Vorn Program",
                                       quoted ? "PROG07.DTA" : "PROG01.DTA",
                                       static_cast<std::int16_t>(settingLine),
                                       file.string(),
                                       {}};
  Items list;
  vorn::autoconfig::SetPrinterPort(entry, list);

  VORN_FUZZ_CHECK(list.items.size() == 1, "one list item per call");
  std::optional<std::string> expected =
      readOnly ? std::nullopt : ReferencePatch(text, settingLine, quoted);
  if (expected) {
    VORN_FUZZ_CHECK(list.items[0] == "Vorn Program printer port set...ok", "the success item");
    VORN_FUZZ_CHECK(ReadAll(file) == *expected, "the file holds the patched text");
  } else {
    VORN_FUZZ_CHECK(list.items[0] == "Vorn Program printer port could NOT be set...",
                    "the failure item");
    VORN_FUZZ_CHECK(ReadAll(file) == text, "a failed patch leaves the file as it was");
  }
  int entries = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir)) ++entries;
  VORN_FUZZ_CHECK(entries == 1, "no temporary file is left beside the data file");
  return 0;
}
