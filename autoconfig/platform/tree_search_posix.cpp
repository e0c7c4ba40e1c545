// The tree search on POSIX, without the image-help library: "X:\vorn\" is resolved through
// Wine's drive map (drive_map_posix.cpp), the tree below it is walked once per run in the order
// Windows walks it (tree_walk_posix.cpp), and the listing that walk leaves serves every later
// search of the run; a file found is reached again from the tree's root and handed over with
// its folder open (found_file_posix.cpp). This file holds the search itself: the prefix Wine
// keeps its drive map in, and one listing per drive map and root.
#include "autoconfig/platform/tree_search_posix.h"

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "autoconfig/tree_search.h"

namespace vorn::autoconfig {

namespace {

using posix_tree::Listing;

// The folder Wine keeps its drive map in: $WINEPREFIX, else ~/.wine. This is the one place the
// program looks at its environment.
std::string WinePrefix() {
  if (const char* prefix = std::getenv("WINEPREFIX"); prefix != nullptr && *prefix != '\0')
    return prefix;
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
    return std::string(home) + "/.wine";
  return {};
}

class WineDriveTreeSearch final : public TreeSearch {
 public:
  bool SearchTreeForFile(const std::string& rootPath, const std::string& fileName,
                         std::string& foundPath) override {
    FoundFile found;
    if (!FindFile(rootPath, fileName, found)) return false;
    foundPath = found.path;
    return true;
  }

  bool FindFile(const std::string& rootPath, const std::string& fileName,
                FoundFile& found) override {
    if (fileName.empty()) return false;
    const std::string prefix = WinePrefix();
    const std::string key = prefix + '|' + rootPath;
    auto listing = listings_.find(key);
    if (listing == listings_.end()) listing = listings_.emplace(key, Walk(prefix, rootPath)).first;
    return listing->second != nullptr && listing->second->Find(fileName, found);
  }

 private:
  // The listing of the tree under "X:\folder\...": the letter before the colon, then the
  // folders below the drive. None when the root names no folder.
  static std::unique_ptr<Listing> Walk(const std::string& prefix, const std::string& rootPath) {
    std::string path;
    posix_tree::Folder folder = posix_tree::OpenDriveFolder(prefix, rootPath, path);
    if (!folder.IsOpen()) return nullptr;
    return std::make_unique<Listing>(std::move(folder), std::move(path));
  }

  // One listing per drive map and root: the drive is walked once for the run.
  std::map<std::string, std::unique_ptr<Listing>> listings_;
};

}  // namespace

TreeSearch& SystemTreeSearch() {
  static WineDriveTreeSearch search;
  return search;
}

std::unique_ptr<TreeSearch> NewSystemTreeSearch() {
  return std::make_unique<WineDriveTreeSearch>();
}

}  // namespace vorn::autoconfig
