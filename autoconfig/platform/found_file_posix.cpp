// A file the POSIX tree search's walk saw, reached again: from the tree's root, folder by
// folder, never through a link, and handed over with its folder open.
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "autoconfig/platform/tree_search_posix.h"
#include "common/folder_handle.h"

namespace vorn::autoconfig::posix_tree {

bool Listing::Find(std::string_view name, FoundFile& found) const {
  auto file = std::find_if(files_.begin(), files_.end(),
                           [&](const File& f) { return SameName(f.name, name); });
  if (file == files_.end() || !root_.IsOpen()) return false;
  std::vector<std::uint32_t> chain;
  for (std::uint32_t at = file->folder; at != 0; at = folders_[at].parent) chain.push_back(at);
  int fd = ::openat(root_.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  std::string path = rootPath_;
  for (auto it = chain.rbegin(); it != chain.rend() && fd >= 0; ++it) {
    const std::string& folder_name = folders_[*it].name;
    int sub = OpenSubFolder(fd, folder_name.c_str());
    ::close(fd);
    fd = sub;
    (path += '/') += folder_name;
  }
  if (fd < 0) return false;
  FolderHandle folder{UniqueHandle(fd)};
  struct stat st {};
  if (::fstatat(fd, file->name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
    return false;
  found.path = path + '/' + file->name;
  found.folder = std::make_shared<const FolderHandle>(std::move(folder));
  return true;
}

}  // namespace vorn::autoconfig::posix_tree
