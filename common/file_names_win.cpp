// File names on Windows: UTF-8 paths as wide ones, a backslash between folders; the file system
// matches names without regard to letter case itself.
#include <windows.h>

#include <string>

#include "common/file_names.h"

namespace vorn {

namespace {

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

}  // namespace

std::filesystem::path NativePath(const std::string& path) {
  return std::filesystem::path(Wide(path));
}

const std::string& PathSeparator() {
  static const std::string separator = "\\";
  return separator;
}

std::string WithTrailingSeparator(std::string dir) {
  if (dir.empty() || (dir.back() != '\\' && dir.back() != '/')) dir.push_back('\\');
  return dir;
}

// The file system ignores letter case already.
std::string ResolveFileName(const std::string& dir, const std::string& name) {
  return dir.empty() ? name : WithTrailingSeparator(dir) + name;
}

}  // namespace vorn
