#pragma once

// The pieces the three parts of the POSIX tree search share (tree_search_posix.cpp puts them
// together): names compared and ordered as Windows does, an open folder read entry by entry,
// and the listing one walk of a tree makes. drive_map_posix.cpp finds the tree's root through
// Wine's drive map, tree_walk_posix.cpp walks the tree in Windows' order, and
// found_file_posix.cpp reaches a file the walk saw again.
#include <dirent.h>
#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "autoconfig/tree_search.h"
#include "common/native_handle.h"

namespace vorn::autoconfig::posix_tree {

constexpr char ToLowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// Windows compares file names without regard to letter case; the whole name must match.
bool SameName(std::string_view entry, std::string_view wanted);

// The order of names in a folder as Windows keeps it: compared upper-cased, code by code.
// Names that differ only in letter case (possible here, not on Windows) follow their bytes.
bool SortsBefore(std::string_view a, std::string_view b);

bool IsDotOrDotDot(const char* name);

// Opens a sub-folder of an open folder without following a link; -1 when it cannot be read.
inline int OpenSubFolder(int folder_fd, const char* name) {
  return ::openat(folder_fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// An open folder read entry by entry; closed when it goes.
class Folder {
 public:
  Folder() = default;
  explicit Folder(int fd) : dir_(fd >= 0 ? ::fdopendir(fd) : nullptr) {
    if (dir_ == nullptr && fd >= 0) ::close(fd);
  }
  ~Folder() { Close(); }
  Folder(Folder&& other) noexcept : dir_(other.dir_) { other.dir_ = nullptr; }
  Folder& operator=(Folder&& other) noexcept {
    if (this != &other) {
      Close();
      dir_ = other.dir_;
      other.dir_ = nullptr;
    }
    return *this;
  }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;

  bool IsOpen() const { return dir_ != nullptr; }
  int Fd() const { return ::dirfd(dir_); }
  const dirent* Next() { return ::readdir(dir_); }
  void Close() {
    if (dir_ != nullptr) ::closedir(dir_);
    dir_ = nullptr;
  }

 private:
  DIR* dir_ = nullptr;
};

// The folder "X:\folder\..." names, its letter mapped as Wine maps it in the prefix `prefix`;
// `path` is then that folder's path here. Closed when the root names no folder.
Folder OpenDriveFolder(const std::string& prefix, const std::string& rootPath, std::string& path);

// One entry of a folder that the walk keeps: a file or a sub-folder.
struct Entry {
  std::string name;
  bool is_folder = false;
};

// Everything one walk of a tree saw: its folders and, in the order Windows meets them, its
// files. The first file of a name in that order is the one Windows' search reports.
class Listing {
 public:
  // Walks the tree under `root`, which the listing keeps open for finding files again.
  Listing(Folder root, std::string rootPath);
  Listing(const Listing&) = delete;
  Listing& operator=(const Listing&) = delete;

  // The first file named `name` (any letter case), reached again from the root without
  // following a link, its folder open. False when there is none, or when the way to it is no
  // longer a chain of folders.
  bool Find(std::string_view name, FoundFile& found) const;

 private:
  struct FolderNode {
    std::uint32_t parent;
    std::string name;
  };
  struct File {
    std::uint32_t folder;
    std::string name;
  };
  // One folder on the way down: its entries still to visit and, once its handle was closed
  // to save handles, its identity.
  struct Level {
    Folder folder;
    std::uint32_t node = 0;
    std::vector<Entry> entries;
    std::size_t next = 0;
    dev_t device = 0;
    ino_t inode = 0;
  };
  // What the walk of one branch saw, its folders numbered from the branch's own top (0).
  struct Branch {
    std::vector<FolderNode> folders;
    std::vector<File> files;
  };

  void WalkInParallel(Folder root);
  static void Walk(Folder start, Branch& branch);

  std::string rootPath_;
  UniqueHandle root_;
  std::vector<FolderNode> folders_;  // [0] is the root
  std::vector<File> files_;
};

}  // namespace vorn::autoconfig::posix_tree
