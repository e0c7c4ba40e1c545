// Whole-file writes by path on POSIX. Divisions, in order: what counts as read-only; whether a
// file may be written; replacing a file's text through FileRewrite (a file made new when it is
// missing, a link's target made where it points); appending in one write.
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

namespace {

// A file without its owner's write bit is read-only for everyone, root included, as the
// read-only attribute is on Windows.
bool MarkedReadOnly(const struct stat& st) { return (st.st_mode & S_IWUSR) == 0; }

}  // namespace

bool IsWritableFile(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  if (MarkedReadOnly(st)) return false;
  return ::access(path.c_str(), W_OK) == 0;
}

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

void AppendToFile(const std::string& path, std::string_view bytes) {
  UniqueHandle fd(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666));
  if (!fd.IsOpen()) throw SystemError(errno, "Cannot open " + path);
  struct stat st {};
  if (::fstat(fd.Get(), &st) != 0) throw SystemError(errno, "Cannot open " + path);
  if (MarkedReadOnly(st)) throw SystemError(EACCES, "Cannot open " + path);
  // One write call with O_APPEND: the entry lands whole at the end, even with other writers.
  ssize_t n = ::write(fd.Get(), bytes.data(), bytes.size());
  if (n < 0) throw SystemError(errno, "Cannot write " + path);
  if (static_cast<std::size_t>(n) != bytes.size())
    throw SystemError(ENOSPC, "Cannot write " + path);
  if (!fd.Close()) throw SystemError(errno, "Cannot write " + path);
}

}  // namespace vorn
