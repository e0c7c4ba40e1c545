#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "common/file_replace.h"
#include "common/run_error.h"

namespace vorn {

namespace {

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

void WriteAll(int fd, std::string_view bytes, const std::string& path) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      throw SystemError(errno, "Cannot write " + path);
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

std::string DirectoryOf(const std::string& path) {
  auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

bool IsWritableFile(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  // A file without its owner's write bit is read-only for everyone, root included, as the
  // read-only attribute is on Windows.
  if ((st.st_mode & S_IWUSR) == 0) return false;
  return ::access(path.c_str(), W_OK) == 0;
}

void ReplaceFileContents(const std::string& path, std::string_view bytes) {
  struct stat old {};
  bool exists = ::stat(path.c_str(), &old) == 0;
  if (exists) {
    if (S_ISDIR(old.st_mode)) throw SystemError(EISDIR, "Cannot write " + path);
    if (!IsWritableFile(path)) throw SystemError(EACCES, "Cannot write " + path);
  } else if (errno != ENOENT) {
    throw SystemError(errno, "Cannot write " + path);
  }

  std::string temp = path + ".XXXXXX";
  Fd fd(::mkstemp(temp.data()));
  if (fd.get() < 0) throw SystemError(errno, "Cannot write " + path);
  try {
    WriteAll(fd.get(), bytes, path);
    mode_t mode = exists ? (old.st_mode & 07777) : [] {
      mode_t mask = ::umask(0);
      ::umask(mask);
      return static_cast<mode_t>(0666 & ~mask);
    }();
    if (::fchmod(fd.get(), mode) != 0) throw SystemError(errno, "Cannot write " + path);
    // Keep the owner when we may (root at installation time); otherwise the file is ours.
    if (exists && ::geteuid() == 0) {
      if (::fchown(fd.get(), old.st_uid, old.st_gid) != 0)
        throw SystemError(errno, "Cannot write " + path);
    }
    if (::fsync(fd.get()) != 0) throw SystemError(errno, "Cannot write " + path);
    if (::close(fd.release()) != 0) throw SystemError(errno, "Cannot write " + path);
    if (::rename(temp.c_str(), path.c_str()) != 0) throw SystemError(errno, "Cannot write " + path);
  } catch (...) {
    ::unlink(temp.c_str());
    throw;
  }
  // Make the rename itself durable.
  Fd dir(::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY));
  if (dir.get() >= 0) ::fsync(dir.get());
}

void AppendToFile(const std::string& path, std::string_view bytes) {
  Fd fd(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666));
  if (fd.get() < 0) throw SystemError(errno, "Cannot open " + path);
  // One write call with O_APPEND: the entry lands whole at the end, even with other writers.
  ssize_t n = ::write(fd.get(), bytes.data(), bytes.size());
  if (n < 0) throw SystemError(errno, "Cannot write " + path);
  if (static_cast<std::size_t>(n) != bytes.size())
    throw SystemError(ENOSPC, "Cannot write " + path);
  if (::close(fd.release()) != 0) throw SystemError(errno, "Cannot write " + path);
}

}  // namespace vorn
