#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "common/folder_handle.h"
#include "common/run_error.h"

namespace vorn {

FolderHandle FolderHandle::Open(const std::string& path) {
  int fd = ::open(path.empty() ? "." : path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) throw SystemError(errno, "Cannot open the folder " + path);
  return FolderHandle(fd);
}

FolderHandle FolderHandle::OpenSubFolder(const std::string& name) const {
  int fd = ::openat(static_cast<int>(native_), name.c_str(),
                    O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) throw SystemError(errno, "Cannot open the folder " + name);
  return FolderHandle(fd);
}

void FolderHandle::Close() {
  if (native_ != kNone) ::close(static_cast<int>(native_));
  native_ = kNone;
}

}  // namespace vorn
