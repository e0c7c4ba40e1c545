// The drive walker fed generated trees: folders, files, links back up the tree (loops), links
// out of the tree, dangling links, pipes and names that are not UTF-8. The file is found
// exactly when a plain file of that name lies in the tree (links never count, nothing outside
// the tree counts), and the path reported is the first such file in Windows' order.
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "autoconfig/tree_search.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_temp_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr char kWanted[] = "PROG01.DTA";

const std::vector<std::string>& Names() {
  static const std::vector<std::string> names = {
      "PROG01.DTA", "prog01.dta", "Prog01.Dta", "PROG01.DT",      "a",
      "b",          "\xff\xfe",   "caf\xe9",    "PROG01.DTA.bak", "..."};
  return names;
}

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// Windows' order of names in a folder: upper-cased, code by code; names that differ only in
// letter case follow their bytes.
bool SortsBefore(const std::string& a, const std::string& b) {
  auto upper = [](char c) { return static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 32 : c); };
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
    if (upper(a[i]) != upper(b[i])) return upper(a[i]) < upper(b[i]);
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

// The file Windows' search reports: a folder's entries in Windows' order, each sub-folder
// entered where it sorts; links are neither entered nor matched. Empty when there is none.
fs::path FirstInWindowsOrder(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end(), SortsBefore);
  for (const std::string& name : names) {
    const fs::path path = folder / name;
    const fs::file_status status = fs::symlink_status(path, ec);
    if (fs::is_regular_file(status) && SameNameIgnoringCase(name, kWanted)) return path;
    if (fs::is_directory(status)) {
      fs::path found = FirstInWindowsOrder(path);
      if (!found.empty()) return found;
    }
  }
  return {};
}

// The part of a path below ".../vorn/".
std::string BelowVorn(const std::string& path) {
  const auto at = path.find("/vorn/");
  return at == std::string::npos ? path : path.substr(at + 6);
}

void WriteFile(const fs::path& path) {
  std::ofstream out(path, std::ios::binary);
  out << "x";
}

// The layout every input starts from: WINEPREFIX names a prefix whose drive d: is `drive`.
struct Layout {
  Layout() {
    const fs::path base = vorn::fuzz::FuzzTempDir::Path();
    prefix = base / "prefix";
    drive = base / "drive";
    fs::create_directories(prefix / "dosdevices");
    fs::create_directory_symlink(drive, prefix / "dosdevices" / "d:");
    ::setenv("WINEPREFIX", prefix.c_str(), 1);
  }
  fs::path prefix;
  fs::path drive;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Layout layout;
  std::error_code ec;
  fs::remove_all(layout.drive, ec);
  const fs::path vorn = layout.drive / "vorn";
  const fs::path outside = layout.drive / "outside";
  fs::create_directories(vorn);
  fs::create_directories(outside);
  WriteFile(outside / kWanted);

  const std::vector<std::string>& names = Names();
  std::vector<fs::path> dirs = {vorn};
  for (std::size_t i = 0; i + 3 <= size && i < 3 * 48; i += 3) {
    const fs::path at = dirs[data[i + 1] % dirs.size()] / names[data[i + 2] % names.size()];
    if (fs::exists(fs::symlink_status(at, ec))) continue;
    switch (data[i] % 6) {
      case 0:
        if (fs::create_directory(at, ec)) dirs.push_back(at);
        break;
      case 1:
        WriteFile(at);
        break;
      case 2:
        fs::create_directory_symlink(dirs[data[i + 2] % dirs.size()], at, ec);
        break;
      case 3:
        fs::create_directory_symlink(outside, at, ec);
        break;
      case 4:
        fs::create_symlink(outside / kWanted, at, ec);
        break;
      default:
        ::mkfifo(at.c_str(), 0600);
        break;
    }
  }

  bool inTree = false;
  for (auto it = fs::recursive_directory_iterator(vorn, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    if (it->is_symlink(ec) || !it->is_regular_file(ec)) continue;
    if (SameNameIgnoringCase(it->path().filename().string(), kWanted)) inTree = true;
  }
  VORN_FUZZ_CHECK(!ec, "the reference walk completes");

  std::string found;
  const bool result =
      vorn::autoconfig::NewSystemTreeSearch()->SearchTreeForFile("d:\\vorn\\", kWanted, found);
  VORN_FUZZ_CHECK(result == inTree, "found exactly when a plain file of that name is in the tree");
  if (result) {
    const fs::path path(found);
    VORN_FUZZ_CHECK(fs::is_regular_file(fs::symlink_status(path, ec)), "the path is a plain file");
    VORN_FUZZ_CHECK(SameNameIgnoringCase(path.filename().string(), kWanted), "the name matches");
    const std::string real = fs::canonical(path, ec).string();
    const std::string root = fs::canonical(vorn).string() + "/";
    VORN_FUZZ_CHECK(!ec && real.compare(0, root.size(), root) == 0, "the file lies in the tree");
    VORN_FUZZ_CHECK(found.compare(0, layout.prefix.string().size(), layout.prefix.string()) == 0,
                    "the path is given through the drive");
    VORN_FUZZ_CHECK(BelowVorn(found) == BelowVorn(FirstInWindowsOrder(vorn).string()),
                    "of several copies, the one Windows reports");
  } else {
    VORN_FUZZ_CHECK(found.empty(), "nothing found leaves the path untouched");
  }
  return 0;
}
