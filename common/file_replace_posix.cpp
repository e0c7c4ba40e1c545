#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
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
  Fd& operator=(Fd&& other) noexcept {
    if (this != &other) {
      if (fd_ >= 0) ::close(fd_);
      fd_ = other.release();
    }
    return *this;
  }
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

std::string BaseNameOf(const std::string& path) {
  auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The name a new text for `path` carries beside it from the moment it has one until the
// rename: "<name>.new<pid>-<n>". The process id lets a later run tell a leftover of a killed
// run from the file of a run still going.
std::string NewFileName(const std::string& path, unsigned attempt) {
  return path + ".new" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
}

// Removes the new files a killed earlier run left beside `path`: those whose process is gone.
// Anything else in the folder, and the files of live processes, stay untouched.
void RemoveLeftoverNewFiles(const std::string& path) {
  const std::string dirName = DirectoryOf(path);
  const std::string prefix = BaseNameOf(path) + ".new";
  DIR* dir = ::opendir(dirName.c_str());
  if (dir == nullptr) return;
  while (const dirent* entry = ::readdir(dir)) {
    std::string_view name(entry->d_name);
    if (!name.starts_with(prefix)) continue;
    name.remove_prefix(prefix.size());
    long pid = 0;
    auto [end, ec] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (ec != std::errc() || pid <= 0 || end == name.data() + name.size() || *end != '-') continue;
    std::string_view attempt(end + 1, name.data() + name.size() - (end + 1));
    if (attempt.empty() || attempt.find_first_not_of("0123456789") != std::string_view::npos)
      continue;
    if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    struct stat st {};
    const std::string full = dirName + "/" + entry->d_name;
    if (::lstat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(full.c_str());
  }
  ::closedir(dir);
}

// A new file without a name in `dir`, or -1 where the file system cannot make one.
int OpenUnnamed(const std::string& dir) {
#ifdef O_TMPFILE
  return ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
#else
  (void)dir;
  return -1;
#endif
}

// Gives the unnamed file `fd` a fresh name beside `path` and returns it.
std::string LinkUnnamed(int fd, const std::string& path) {
  const std::string link = "/proc/self/fd/" + std::to_string(fd);
  for (unsigned attempt = 0;; ++attempt) {
    std::string name = NewFileName(path, attempt);
    if (::linkat(AT_FDCWD, link.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
      return name;
    if (errno != EEXIST || attempt > 100) throw SystemError(errno, "Cannot write " + path);
  }
}

// A new named file beside `path`, for file systems without unnamed files; its name goes to
// `name`.
int OpenNamed(const std::string& path, std::string& name) {
  for (unsigned attempt = 0;; ++attempt) {
    name = NewFileName(path, attempt);
    int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) return fd;
    if (errno != EEXIST || attempt > 100) {
      name.clear();
      throw SystemError(errno, "Cannot write " + path);
    }
  }
}

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
  struct stat old {};
  bool exists = ::stat(path.c_str(), &old) == 0;
  if (exists) {
    if (S_ISDIR(old.st_mode)) throw SystemError(EISDIR, "Cannot write " + path);
    if (!IsWritableFile(path)) throw SystemError(EACCES, "Cannot write " + path);
  } else if (errno != ENOENT) {
    throw SystemError(errno, "Cannot write " + path);
  }

  // The new text goes into a file with no name first (where the file system allows it), so a
  // process killed while writing leaves nothing behind; it gets a name beside the old file
  // only for the moment before the rename. A run killed in that moment leaves the named file,
  // and the next run removes it.
  RemoveLeftoverNewFiles(path);
  std::string temp;
  Fd fd(OpenUnnamed(DirectoryOf(path)));
  const bool unnamed = fd.get() >= 0;
  if (!unnamed) fd = Fd(OpenNamed(path, temp));
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
    if (unnamed) temp = LinkUnnamed(fd.get(), path);
    if (::close(fd.release()) != 0) throw SystemError(errno, "Cannot write " + path);
    if (::rename(temp.c_str(), path.c_str()) != 0) throw SystemError(errno, "Cannot write " + path);
  } catch (...) {
    if (!temp.empty()) ::unlink(temp.c_str());
    throw;
  }
  // Make the rename itself durable.
  Fd dir(::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY));
  if (dir.get() >= 0) ::fsync(dir.get());
}

void AppendToFile(const std::string& path, std::string_view bytes) {
  Fd fd(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666));
  if (fd.get() < 0) throw SystemError(errno, "Cannot open " + path);
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) throw SystemError(errno, "Cannot open " + path);
  if (MarkedReadOnly(st)) throw SystemError(EACCES, "Cannot open " + path);
  // One write call with O_APPEND: the entry lands whole at the end, even with other writers.
  ssize_t n = ::write(fd.get(), bytes.data(), bytes.size());
  if (n < 0) throw SystemError(errno, "Cannot write " + path);
  if (static_cast<std::size_t>(n) != bytes.size())
    throw SystemError(ENOSPC, "Cannot write " + path);
  if (::close(fd.release()) != 0) throw SystemError(errno, "Cannot write " + path);
}

}  // namespace vorn
