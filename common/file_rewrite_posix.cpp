#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/acl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/uio.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <climits>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "common/file_rewrite.h"
#include "common/run_error.h"

namespace vorn {

namespace {

[[noreturn]] void Fail(int code, const std::string& what, const std::string& path) {
  throw SystemError(code, what + " " + path);
}

std::uint64_t TotalSize(std::span<const std::string_view> pieces) {
  std::uint64_t total = 0;
  for (std::string_view piece : pieces) total += piece.size();
  return total;
}

// Writes the pieces one after the other from `offset` on, many at a time.
void WritePieces(int fd, std::span<const std::string_view> pieces, off_t offset,
                 const std::string& path) {
  constexpr std::size_t kBatch = IOV_MAX < 1024 ? IOV_MAX : 1024;
  std::size_t next = 0;  // the first piece not yet written whole
  std::size_t done = 0;  // bytes of that piece already written
  for (;;) {
    while (next < pieces.size() && done == pieces[next].size()) {
      ++next;
      done = 0;
    }
    if (next == pieces.size()) return;
    iovec vec[kBatch];
    std::size_t count = 0;
    for (std::size_t i = next; i < pieces.size() && count < kBatch; ++i) {
      const std::size_t skip = i == next ? done : 0;
      if (pieces[i].size() == skip) continue;
      vec[count].iov_base = const_cast<char*>(pieces[i].data() + skip);
      vec[count].iov_len = pieces[i].size() - skip;
      ++count;
    }
    ssize_t n = ::pwritev(fd, vec, static_cast<int>(count), offset);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail(errno, "Cannot write", path);
    }
    if (n == 0) Fail(ENOSPC, "Cannot write", path);
    offset += n;
    for (auto left = static_cast<std::size_t>(n); left > 0;) {
      const std::size_t rest = pieces[next].size() - done;
      if (left < rest) {
        done += left;
        break;
      }
      left -= rest;
      ++next;
      done = 0;
    }
  }
}

// The name a new text for `name` carries from the moment it has one until the rename:
// "<name>.new<pid>-<n>". The process id lets a later run tell a leftover of a killed run from
// the file of a run still going.
std::string NewFileName(const std::string& name, unsigned attempt) {
  return name + ".new" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
}

// Removes the new files a killed earlier run left beside `name`: those whose process is gone.
// Anything else in the folder, and the files of live processes, stay untouched.
void RemoveLeftoverNewFiles(int folder, const std::string& name) {
  const std::string prefix = name + ".new";
  int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listing < 0) return;
  DIR* dir = ::fdopendir(listing);
  if (dir == nullptr) {
    ::close(listing);
    return;
  }
  while (const dirent* entry = ::readdir(dir)) {
    std::string_view rest(entry->d_name);
    if (!rest.starts_with(prefix)) continue;
    rest.remove_prefix(prefix.size());
    long pid = 0;
    auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), pid);
    if (ec != std::errc() || pid <= 0 || end == rest.data() + rest.size() || *end != '-') continue;
    std::string_view attempt(end + 1, rest.data() + rest.size() - (end + 1));
    if (attempt.empty() || attempt.find_first_not_of("0123456789") != std::string_view::npos)
      continue;
    if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    struct stat st {};
    if (::fstatat(folder, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
      ::unlinkat(folder, entry->d_name, 0);
  }
  ::closedir(dir);
}

// Whether a file without a name can be given one: through /proc, which a chroot or a minimal
// container may lack.
bool CanNameUnnamedFiles() { return ::access("/proc/self/fd", X_OK) == 0; }

// The new text of a file while it is written: a file with no name until it is complete where
// the system allows it (a run killed meanwhile leaves nothing), else a file named
// "<name>.new<pid>-<n>" from the start.
class NewFile {
 public:
  NewFile(int folder, const std::string& name, const std::string& path)
      : folder_(folder), name_(name), path_(path) {}
  ~NewFile() { Discard(); }
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;

  // Makes the file; false (with errno) when the folder takes no new file.
  bool Open() {
    RemoveLeftoverNewFiles(folder_, name_);
#ifdef O_TMPFILE
    if (CanNameUnnamedFiles()) {
      fd_.Reset(::openat(folder_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
      if (fd_.IsOpen()) return true;
      // Older file systems have no unnamed files; a folder we may not write has none either.
      if (errno == EACCES || errno == EPERM || errno == EROFS) return false;
    }
#endif
    for (unsigned attempt = 0; attempt <= 100; ++attempt) {
      std::string temp = NewFileName(name_, attempt);
      fd_.Reset(::openat(folder_, temp.c_str(),
                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
      if (fd_.IsOpen()) {
        temp_ = temp;
        return true;
      }
      if (errno != EEXIST) return false;
    }
    return false;
  }

  int fd() const { return fd_.Get(); }

  // Gives the complete file its temporary name (if it has none yet) and closes it.
  void Close() {
    if (temp_.empty()) {
      const std::string link = "/proc/self/fd/" + std::to_string(fd_.Get());
      for (unsigned attempt = 0;; ++attempt) {
        std::string temp = NewFileName(name_, attempt);
        if (::linkat(AT_FDCWD, link.c_str(), folder_, temp.c_str(), AT_SYMLINK_FOLLOW) == 0) {
          temp_ = temp;
          break;
        }
        if (errno != EEXIST || attempt > 100) Fail(errno, "Cannot write", path_);
      }
    }
    if (!fd_.Close()) Fail(errno, "Cannot write", path_);
  }

  // Renames the closed file over `name_`. False (with errno) when the folder refuses.
  bool RenameIntoPlace() {
    if (::renameat(folder_, temp_.c_str(), folder_, name_.c_str()) != 0) return false;
    temp_.clear();
    return true;
  }

  void Discard() {
    fd_.Reset();
    if (!temp_.empty()) ::unlinkat(folder_, temp_.c_str(), 0);
    temp_.clear();
  }

 private:
  int folder_;
  std::string name_;
  std::string path_;
  UniqueHandle fd_;
  std::string temp_;
};

// Gives `to` the access list and extended attributes of `from`. False when any of them cannot
// be given.
bool CopyAccessListAndAttributes(int from, int to) {
  if (acl_t acl = ::acl_get_fd(from)) {
    const bool set = ::acl_set_fd(to, acl) == 0;
    ::acl_free(acl);
    if (!set) return false;
  } else if (errno != ENOTSUP) {
    return false;
  }
  ssize_t size = ::flistxattr(from, nullptr, 0);
  if (size < 0) return errno == ENOTSUP;
  std::vector<char> names(static_cast<std::size_t>(size));
  size = ::flistxattr(from, names.data(), names.size());
  if (size < 0) return false;
  std::string value;
  for (std::size_t at = 0; at < static_cast<std::size_t>(size);) {
    const char* name = names.data() + at;
    at += std::char_traits<char>::length(name) + 1;
    // The access lists were given above, with their own rules.
    std::string_view key(name);
    if (key == "system.posix_acl_access" || key == "system.posix_acl_default") continue;
    ssize_t length = ::fgetxattr(from, name, nullptr, 0);
    if (length < 0) return false;
    value.resize(static_cast<std::size_t>(length));
    length = ::fgetxattr(from, name, value.data(), value.size());
    if (length < 0) return false;
    if (::fsetxattr(to, name, value.data(), static_cast<std::size_t>(length), 0) != 0) return false;
  }
  return true;
}

// Gives the new file `fd` everything that makes `old` what it is to others. False when the
// process cannot: the new file would then not be the same file.
bool GiveIdentity(int fd, int old_fd, const struct stat& old) {
  // Owner first: changing the owner clears the setuid and setgid bits, so the mode comes last.
  struct stat now {};
  if (::fstat(fd, &now) != 0) return false;
  if (now.st_uid != old.st_uid || now.st_gid != old.st_gid) {
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) return false;
  }
  if (!CopyAccessListAndAttributes(old_fd, fd)) return false;
  if (::fchmod(fd, old.st_mode & 07777) != 0) return false;
  // The system may quietly drop a bit it does not let this process set (setgid for a group the
  // process is not in): check what the file holds now.
  if (::fstat(fd, &now) != 0) return false;
  return now.st_uid == old.st_uid && now.st_gid == old.st_gid &&
         (now.st_mode & 07777) == (old.st_mode & 07777);
}

// Room for `size` bytes of `fd`, taken before anything is overwritten, so that a full disk or
// the process's file size limit fails the rewrite while the old text is whole.
void ReserveRoom(int fd, std::uint64_t old_size, std::uint64_t size, const std::string& path) {
  rlimit limit{};
  if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
      size > limit.rlim_cur)
    Fail(EFBIG, "Cannot write", path);
  if (size <= old_size) return;
  if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)) == 0) return;
  if (errno != EOPNOTSUPP && errno != ENOSYS) Fail(errno, "Cannot write", path);
  // No reservation on this file system: at least the free room must be there.
  struct statvfs fs {};
  if (::fstatvfs(fd, &fs) != 0) Fail(errno, "Cannot write", path);
  const std::uint64_t free = static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize;
  if (free < size - old_size + fs.f_frsize) Fail(ENOSPC, "Cannot write", path);
}

// Takes the file's exclusive lock, waiting until `deadline` at most for another program that
// holds it. False when the time ran out; throws RunError when the system refuses the lock.
bool LockExclusive(int fd, std::chrono::steady_clock::time_point deadline,
                   const std::string& path) {
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) Fail(errno, "Cannot lock", path);
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

}  // namespace

FileRewrite::FileRewrite(const FolderHandle& folder, std::string name, LinkRule links,
                         std::string shown_path)
    : folder_(folder), name_(std::move(name)), shown_path_(std::move(shown_path)) {
  if (links == LinkRule::kFollow) {
    struct stat st {};
    through_link_ = ::fstatat(folder_.Get(), name_.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                    S_ISLNK(st.st_mode);
  }
  // Not blocking: a pipe in the file's place would otherwise wait for a writer forever.
  int flags = O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  if (links == LinkRule::kRefuse) flags |= O_NOFOLLOW;
  const int lookup = links == LinkRule::kRefuse ? AT_SYMLINK_NOFOLLOW : 0;
  const auto deadline = std::chrono::steady_clock::now() + kRewriteLockWait;
  for (;;) {
    UniqueHandle fd(::openat(folder_.Get(), name_.c_str(), flags));
    if (!fd.IsOpen()) Fail(errno == ELOOP ? EACCES : errno, "Cannot open", shown_path_);
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) Fail(errno, "Cannot open", shown_path_);
    if (S_ISDIR(st.st_mode)) Fail(EISDIR, "Cannot open", shown_path_);
    if (!S_ISREG(st.st_mode))
      throw RunError(ErrorNumber::kPathFileAccess, "Not a file: " + shown_path_);
    // A file without its owner's write bit is read-only for everyone, root included, as the
    // read-only attribute is on Windows.
    if ((st.st_mode & S_IWUSR) == 0) Fail(EACCES, "Cannot write", shown_path_);
    ::fcntl(fd.Get(), F_SETFL, ::fcntl(fd.Get(), F_GETFL) & ~O_NONBLOCK);
    // One rewrite at a time: another program rewriting the file holds its lock from reading
    // to the last write.
    if (!LockExclusive(fd.Get(), deadline, shown_path_))
      throw RunError(ErrorNumber::kPermissionDenied,
                     "Cannot lock " + shown_path_ + ": another program is rewriting it");
    // The program that held the lock may have put a new file in the old one's place: the
    // text to rewrite is the new file's.
    struct stat now {};
    if (::fstat(fd.Get(), &st) != 0) Fail(errno, "Cannot open", shown_path_);
    if (::fstatat(folder_.Get(), name_.c_str(), &now, lookup) == 0 && now.st_dev == st.st_dev &&
        now.st_ino == st.st_ino) {
      size_ = static_cast<std::uint64_t>(st.st_size);
      file_ = std::move(fd);
      return;
    }
    if (std::chrono::steady_clock::now() >= deadline)
      throw RunError(ErrorNumber::kPermissionDenied,
                     "Cannot lock " + shown_path_ + ": another program keeps replacing it");
  }
}

FileRewrite::~FileRewrite() = default;

std::string FileRewrite::ReadAll() {
  const int fd = file_.Get();
  std::string text(static_cast<std::size_t>(size_), '\0');
  std::size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::pread(fd, text.data() + done, text.size() - done, static_cast<off_t>(done));
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail(errno, "Cannot read", shown_path_);
    }
    if (n == 0) break;  // the file shrank meanwhile
    done += static_cast<std::size_t>(n);
  }
  text.resize(done);
  return text;
}

void FileRewrite::Write(std::span<const std::string_view> pieces) {
  const int fd = file_.Get();
  const int folder = folder_.Get();
  struct stat old {};
  if (::fstat(fd, &old) != 0) Fail(errno, "Cannot write", shown_path_);

  // A privileged process never writes through a second name a file was given in a folder of
  // someone else: that name may be all the other owner could reach of a file outside it.
  if (old.st_nlink > 1 && ::geteuid() == 0) {
    struct stat dir {};
    if (::fstat(folder, &dir) != 0 || dir.st_uid != old.st_uid)
      Fail(EPERM, "Cannot write", shown_path_);
  }

  if (!through_link_ && old.st_nlink == 1 && (::geteuid() == 0 || ::geteuid() == old.st_uid)) {
    NewFile fresh(folder, name_, shown_path_);
    if (fresh.Open()) {
      WritePieces(fresh.fd(), pieces, 0, shown_path_);
      if (GiveIdentity(fresh.fd(), fd, old)) {
        if (::fsync(fresh.fd()) != 0) Fail(errno, "Cannot write", shown_path_);
        fresh.Close();
        if (fresh.RenameIntoPlace()) {
          // Make the rename itself durable.
          ::fsync(folder);
          return;
        }
      }
      fresh.Discard();
    }
  }

  // In place: the same file, its text overwritten from the start and cut to length.
  const std::uint64_t size = TotalSize(pieces);
  ReserveRoom(fd, static_cast<std::uint64_t>(old.st_size), size, shown_path_);
  WritePieces(fd, pieces, 0, shown_path_);
  if (::ftruncate(fd, static_cast<off_t>(size)) != 0) Fail(errno, "Cannot write", shown_path_);
  if (::fsync(fd) != 0) Fail(errno, "Cannot write", shown_path_);
}

void FileRewrite::Create(const FolderHandle& folder, const std::string& name, std::string_view text,
                         const std::string& shown_path) {
  NewFile fresh(folder.Get(), name, shown_path);
  if (!fresh.Open()) Fail(errno, "Cannot write", shown_path);
  const std::string_view pieces[] = {text};
  WritePieces(fresh.fd(), pieces, 0, shown_path);
  mode_t mask = ::umask(0);
  ::umask(mask);
  if (::fchmod(fresh.fd(), 0666 & ~mask) != 0) Fail(errno, "Cannot write", shown_path);
  if (::fsync(fresh.fd()) != 0) Fail(errno, "Cannot write", shown_path);
  fresh.Close();
  if (!fresh.RenameIntoPlace()) Fail(errno, "Cannot write", shown_path);
  ::fsync(folder.Get());
}

}  // namespace vorn
