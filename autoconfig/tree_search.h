#pragma once

#include <string>

namespace vorn::autoconfig {

// The platform's recursive file search: looks for a file named `fileName` anywhere in the
// directory tree under `rootPath` (a Windows path such as "D:\vorn\"). Both texts are ANSI.
// Nothing about the order of the search or its depth is promised.
class TreeSearch {
 public:
  virtual ~TreeSearch() = default;

  // True when a file of that name exists in the tree; `foundPath` then holds its full path,
  // one the file routines of this platform can open. False, with `foundPath` untouched, when
  // there is none (also when the root names no directory). Throws RunError when the search
  // itself cannot be made.
  virtual bool SearchTreeForFile(const std::string& rootPath, const std::string& fileName,
                                 std::string& foundPath) = 0;
};

// The search of the platform Tesmo runs on: the image-help library on Windows; elsewhere a
// walk of the drive as Wine maps it (the prefix named by WINEPREFIX, else ~/.wine).
TreeSearch& SystemTreeSearch();

}  // namespace vorn::autoconfig
