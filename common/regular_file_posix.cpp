// RegularFile on POSIX. Divisions, in order: the error for what is not a regular file;
// opening without waiting (O_NONBLOCK until the name proved to be a regular file); reading,
// appending in one write, closing.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "common/regular_file.h"
#include "common/run_error.h"

namespace vorn {

namespace {

RunError NotARegularFile(const std::string& path) {
  return RunError(ErrorNumber::kPathFileAccess, "Cannot open " + path + ": not a regular file");
}

}  // namespace

RegularFile RegularFile::Open(const std::string& path, Mode mode) {
  // O_NONBLOCK keeps open() from waiting for the other end of a pipe or for a device; it is
  // cleared again once the name has proved to be a regular file.
  int flags = O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  flags |= mode == Mode::kRead ? O_RDONLY : (O_WRONLY | O_APPEND | O_CREAT);
  int fd = ::open(path.c_str(), flags, 0666);
  if (fd < 0) {
    // A pipe nobody reads and a socket answer "no such device".
    if (errno == ENXIO || errno == EOPNOTSUPP) throw NotARegularFile(path);
    throw SystemError(errno, "Cannot open " + path);
  }
  RegularFile file(UniqueHandle(fd), path);
  struct stat st {};
  if (::fstat(fd, &st) != 0) throw SystemError(errno, "Cannot open " + path);
  if (!S_ISREG(st.st_mode)) throw NotARegularFile(path);
  // A file without its owner's write bit is read-only for everyone, root included, as the
  // read-only attribute is on Windows.
  if (mode == Mode::kAppend && (st.st_mode & S_IWUSR) == 0)
    throw SystemError(EACCES, "Cannot open " + path);
  int status = ::fcntl(fd, F_GETFL);
  if (status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0)
    throw SystemError(errno, "Cannot open " + path);
  file.size_ = static_cast<std::uint64_t>(st.st_size);
  return file;
}

std::size_t RegularFile::Read(char* buffer, std::size_t count) {
  for (;;) {
    ssize_t n = ::read(handle_.Get(), buffer, count);
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno != EINTR) throw SystemError(errno, "Cannot read " + path_);
  }
}

void RegularFile::Append(std::string_view bytes) {
  // One write call with O_APPEND: the entry lands whole at the end, even with other writers.
  ssize_t n = ::write(handle_.Get(), bytes.data(), bytes.size());
  if (n < 0) throw SystemError(errno, "Cannot write " + path_);
  if (static_cast<std::size_t>(n) != bytes.size())
    throw SystemError(ENOSPC, "Cannot write " + path_);
}

void RegularFile::Close() {
  if (!handle_.Close()) throw SystemError(errno, "Cannot write " + path_);
}

}  // namespace vorn
