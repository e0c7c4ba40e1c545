// File names on POSIX: paths as they are, "/" between folders, and names matched without
// regard to letter case as Windows matches them.
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <memory>
#include <string>

#include "common/file_names.h"

namespace vorn {

std::filesystem::path NativePath(const std::string& path) { return std::filesystem::path(path); }

const std::string& PathSeparator() {
  static const std::string separator = "/";
  return separator;
}

std::string WithTrailingSeparator(std::string dir) {
  if (dir.empty() || dir.back() != '/') dir.push_back('/');
  return dir;
}

std::string ResolveFileName(const std::string& dir, const std::string& name) {
  const std::string base = dir.empty() ? std::string() : WithTrailingSeparator(dir);
  std::string exact = base + name;
  struct stat st {};
  if (::lstat(exact.c_str(), &st) == 0) return exact;
  std::unique_ptr<DIR, int (*)(DIR*)> d(::opendir(dir.empty() ? "." : dir.c_str()), ::closedir);
  if (!d) return exact;
  while (const dirent* entry = ::readdir(d.get())) {
    if (::strcasecmp(entry->d_name, name.c_str()) == 0) return base + entry->d_name;
  }
  return exact;
}

}  // namespace vorn
