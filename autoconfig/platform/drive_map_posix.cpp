// The tree search's root on POSIX: "X:\folder\..." resolved through Wine's drive map, each
// folder below the drive found in any letter case, as Windows finds it. Divisions, in order:
// names as Windows compares and orders them; one folder found by name; the whole root.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "autoconfig/platform/tree_search_posix.h"

namespace vorn::autoconfig::posix_tree {

namespace {

constexpr unsigned char ToUpperAscii(char c) {
  return static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 32 : c);
}

}  // namespace

bool SameName(std::string_view entry, std::string_view wanted) {
  if (entry.size() != wanted.size()) return false;
  for (std::size_t i = 0; i < entry.size(); ++i)
    if (ToLowerAscii(entry[i]) != ToLowerAscii(wanted[i])) return false;
  return true;
}

bool SortsBefore(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const unsigned char x = ToUpperAscii(a[i]);
    const unsigned char y = ToUpperAscii(b[i]);
    if (x != y) return x < y;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

bool IsDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

namespace {

// The folder below `parent` named `wanted` in any letter case, the first in Windows' order
// when several differ only in case. A link is followed here: the drive's "vorn" may stand for
// a folder elsewhere, as a junction may on Windows. Closed when there is none.
Folder FindRootFolder(Folder& parent, std::string_view wanted, std::string& actual_name) {
  std::vector<std::string> matches;
  while (const dirent* entry = parent.Next())
    if (!IsDotOrDotDot(entry->d_name) && SameName(entry->d_name, wanted))
      matches.emplace_back(entry->d_name);
  std::sort(matches.begin(), matches.end(), SortsBefore);
  for (const std::string& name : matches) {
    Folder sub(::openat(parent.Fd(), name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (sub.IsOpen()) {
      actual_name = name;
      return sub;
    }
  }
  return Folder();
}

}  // namespace

Folder OpenDriveFolder(const std::string& prefix, const std::string& rootPath, std::string& path) {
  auto colon = rootPath.find(':');
  if (colon != 1 || prefix.empty()) return Folder();
  path = prefix + "/dosdevices/" + ToLowerAscii(rootPath[0]) + ':';
  Folder folder(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder.IsOpen()) return Folder();
  std::string_view rest(rootPath);
  rest.remove_prefix(colon + 1);
  while (!rest.empty()) {
    auto slash = rest.find('\\');
    std::string_view part = rest.substr(0, slash);
    rest.remove_prefix(slash == std::string_view::npos ? rest.size() : slash + 1);
    if (part.empty() || part == ".") continue;
    std::string actual;
    folder = FindRootFolder(folder, part, actual);
    if (!folder.IsOpen()) return Folder();
    (path += '/') += actual;
  }
  return folder;
}

}  // namespace vorn::autoconfig::posix_tree
