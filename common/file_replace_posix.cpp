// Replacing a file's whole text by path on POSIX, through FileRewrite: a missing file is made
// new, and a link to a file not made yet has the file made where it points. One division:
// ReplaceFileContents.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "common/file_replace.h"
#include "common/file_rewrite.h"
#include "common/folder_handle.h"
#include "common/native_handle.h"
#include "common/run_error.h"

namespace vorn {

void ReplaceFileContents(const std::string& path, std::string_view bytes) {
  const auto slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const FolderHandle folder = FolderHandle::Open(slash == std::string::npos ? "."
                                                 : slash == 0               ? "/"
                                                              : path.substr(0, slash));
  const int folder_fd = folder.Get();

  struct stat st {};
  if (::fstatat(folder_fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno != ENOENT) throw SystemError(errno, "Cannot write " + path);
    FileRewrite::Create(folder, name, bytes, path);
    return;
  }
  if (S_ISLNK(st.st_mode) && ::fstatat(folder_fd, name.c_str(), &st, 0) != 0) {
    if (errno != ENOENT) throw SystemError(errno, "Cannot write " + path);
    // A link to a file not made yet: the file is made where the link points, and the link
    // stays.
    UniqueHandle made(::openat(folder_fd, name.c_str(),
                               O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666));
    if (!made.IsOpen()) throw SystemError(errno, "Cannot write " + path);
  }
  FileRewrite file(folder, name, LinkRule::kFollow, path);
  const std::string_view pieces[] = {bytes};
  file.Write(pieces);
}

}  // namespace vorn
