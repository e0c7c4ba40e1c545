#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <string>

namespace vorn::reliability {

// A chain of `depth` folders named `name` below the folder `base`, built and removed through
// folder handles, because its paths are far longer than any path the system accepts.
// Returns a handle on the deepest folder (the caller closes it), or -1.
inline int MakeFolderChain(const std::string& base, const char* name, int depth) {
  int fd = ::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  for (int i = 0; i < depth && fd >= 0; ++i) {
    ::mkdirat(fd, name, 0755);
    int next = ::openat(fd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::close(fd);
    fd = next;
  }
  return fd;
}

// Removes a chain made by MakeFolderChain, with one file `file` allowed in its deepest folder.
inline void RemoveFolderChain(const std::string& base, const char* name, int depth,
                              const char* file) {
  int fd = MakeFolderChain(base, name, depth);  // every level exists: this only walks down
  if (fd < 0) return;
  ::unlinkat(fd, file, 0);
  for (int i = 0; i < depth; ++i) {
    int parent = ::openat(fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::close(fd);
    if (parent < 0) return;
    ::unlinkat(parent, name, AT_REMOVEDIR);
    fd = parent;
  }
  ::close(fd);
}

}  // namespace vorn::reliability
