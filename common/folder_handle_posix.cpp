// FolderHandle on POSIX: a folder's descriptor. Divisions, in order: a folder opened by path;
// a sub-folder opened relative to its parent, never through a link.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "common/folder_handle.h"
#include "common/run_error.h"

namespace vorn {

FolderHandle FolderHandle::Open(const std::string& path) {
  int fd = ::open(path.empty() ? "." : path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) throw SystemError(errno, "Cannot open the folder " + path);
  return FolderHandle(UniqueHandle(fd));
}

FolderHandle FolderHandle::OpenSubFolder(const std::string& name) const {
  int fd = ::openat(Get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) throw SystemError(errno, "Cannot open the folder " + name);
  return FolderHandle(UniqueHandle(fd));
}

}  // namespace vorn
