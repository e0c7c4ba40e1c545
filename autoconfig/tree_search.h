#pragma once

#include <memory>
#include <string>

#include "common/folder_handle.h"

namespace vorn::autoconfig {

// A file a search found: its full path, and where the platform can give it, the folder that
// holds it, open, so that the file is reached through that folder and its path is not looked
// up again.
struct FoundFile {
  std::string path;
  std::shared_ptr<const FolderHandle> folder;
};

// The platform's recursive file search: looks for a file named `fileName` anywhere in the
// directory tree under `rootPath` (a Windows path such as "D:\vorn\"). Both texts are ANSI.
class TreeSearch {
 public:
  virtual ~TreeSearch() = default;

  // True when a file of that name exists in the tree; `foundPath` then holds its full path,
  // one the file routines of this platform can open. False, with `foundPath` untouched, when
  // there is none (also when the root names no directory). Throws RunError when the search
  // itself cannot be made.
  virtual bool SearchTreeForFile(const std::string& rootPath, const std::string& fileName,
                                 std::string& foundPath) = 0;

  // The same search, handing over the found file's folder as well where the platform can.
  // `found` is left untouched when nothing is found.
  virtual bool FindFile(const std::string& rootPath, const std::string& fileName,
                        FoundFile& found) {
    std::string path;
    if (!SearchTreeForFile(rootPath, fileName, path)) return false;
    found.path = path;
    found.folder.reset();
    return true;
  }
};

// The search of the platform Tesmo runs on, one for the process: the image-help library on
// Windows; elsewhere a walk of the drive as Wine maps it (the prefix named by WINEPREFIX, else
// ~/.wine), in the order Windows walks a tree. The drive is walked at the first search and its
// listing serves every later search of the run, which finds what a walk of its own would.
TreeSearch& SystemTreeSearch();

// A search of the same kind with a listing of its own (one per run, for tests and benchmarks).
std::unique_ptr<TreeSearch> NewSystemTreeSearch();

}  // namespace vorn::autoconfig
