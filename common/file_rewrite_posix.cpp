// FileRewrite on POSIX: the file is opened relative to its folder's descriptor and locked with
// flock; the policy above (file_rewrite.cpp) asks this file for each step. Divisions, in order:
//   1. opening and locking the file, and reading it;
//   2. the same file to everyone: what a new file must be given of the old (owner, mode, access
//      list, extended attributes);
//   3. the system's side of the policy (file_rewrite_system.h): describing the file, putting the
//      new file in its place, reserving room, writing, cutting.
// The new file's own life (unnamed file, name, rename, leftovers) is in new_file_posix.cpp.
#include <fcntl.h>
#include <sys/acl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/uio.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "common/file_rewrite.h"
#include "common/file_rewrite_system.h"
#include "common/run_error.h"

namespace vorn {

// ---- 1. Opening, locking, reading -----------------------------------------------------------

namespace {

// Takes the file's exclusive lock, waiting until `deadline` at most for another program that
// holds it. False when the time ran out; throws RunError when the system refuses the lock.
bool LockExclusive(int fd, std::chrono::steady_clock::time_point deadline,
                   const std::string& path) {
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) rewrite::Fail(errno, "Cannot lock", path);
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
    if (!fd.IsOpen()) rewrite::Fail(errno == ELOOP ? EACCES : errno, "Cannot open", shown_path_);
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) rewrite::Fail(errno, "Cannot open", shown_path_);
    if (S_ISDIR(st.st_mode)) rewrite::Fail(EISDIR, "Cannot open", shown_path_);
    if (!S_ISREG(st.st_mode))
      throw RunError(ErrorNumber::kPathFileAccess, "Not a file: " + shown_path_);
    // A file without its owner's write bit is read-only for everyone, root included, as the
    // read-only attribute is on Windows.
    if ((st.st_mode & S_IWUSR) == 0) rewrite::Fail(EACCES, "Cannot write", shown_path_);
    ::fcntl(fd.Get(), F_SETFL, ::fcntl(fd.Get(), F_GETFL) & ~O_NONBLOCK);
    // One rewrite at a time: another program rewriting the file holds its lock from reading
    // to the last write.
    if (!LockExclusive(fd.Get(), deadline, shown_path_))
      throw RunError(ErrorNumber::kPermissionDenied,
                     "Cannot lock " + shown_path_ + ": another program is rewriting it");
    // The program that held the lock may have put a new file in the old one's place: the
    // text to rewrite is the new file's.
    struct stat now {};
    if (::fstat(fd.Get(), &st) != 0) rewrite::Fail(errno, "Cannot open", shown_path_);
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

std::string FileRewrite::ReadAll() {
  const int fd = file_.Get();
  std::string text(static_cast<std::size_t>(size_), '\0');
  std::size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::pread(fd, text.data() + done, text.size() - done, static_cast<off_t>(done));
    if (n < 0) {
      if (errno == EINTR) continue;
      rewrite::Fail(errno, "Cannot read", shown_path_);
    }
    if (n == 0) break;  // the file shrank meanwhile
    done += static_cast<std::size_t>(n);
  }
  text.resize(done);
  return text;
}

// ---- 2. The same file to everyone -----------------------------------------------------------

namespace {

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
bool GiveIdentityOf(int fd, int old_fd, const struct stat& old) {
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

}  // namespace

// ---- 3. The system's side of the policy -----------------------------------------------------

namespace rewrite {

OldFile Describe(NativeHandle file, const FolderHandle& folder, const std::string& path) {
  struct stat old {};
  if (::fstat(file, &old) != 0) Fail(errno, "Cannot write", path);
  // A privileged process never writes through a second name a file was given in a folder of
  // someone else: that name may be all the other owner could reach of a file outside it.
  if (old.st_nlink > 1 && ::geteuid() == 0) {
    struct stat dir {};
    if (::fstat(folder.Get(), &dir) != 0 || dir.st_uid != old.st_uid)
      Fail(EPERM, "Cannot write", path);
  }
  return {.size = static_cast<std::uint64_t>(old.st_size),
          .replaceable = old.st_nlink == 1 && (::geteuid() == 0 || ::geteuid() == old.st_uid)};
}

bool GiveIdentity(NativeHandle fresh, NativeHandle old) {
  struct stat st {};
  return ::fstat(old, &st) == 0 && GiveIdentityOf(fresh, old, st);
}

bool PutInPlace(NewFile& fresh, UniqueHandle&, const FolderHandle&, const std::string&,
                const std::string&) {
  // The old file stays open, and locked, until the new one has its name.
  return fresh.RenameIntoPlace();
}

// The process's file size limit counts too.
void ReserveRoom(NativeHandle file, std::uint64_t old_size, std::uint64_t size,
                 const std::string& path) {
  const int fd = file;
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

std::size_t WriteSome(NativeHandle file, std::span<const std::string_view> pieces, std::size_t skip,
                      std::uint64_t offset, const std::string& path) {
  // Many pieces at a time.
  constexpr std::size_t kBatch = IOV_MAX < 1024 ? IOV_MAX : 1024;
  iovec vec[kBatch];
  std::size_t count = 0;
  for (std::size_t i = 0; i < pieces.size() && count < kBatch; ++i) {
    const std::size_t from = i == 0 ? skip : 0;
    if (pieces[i].size() == from) continue;
    vec[count].iov_base = const_cast<char*>(pieces[i].data() + from);
    vec[count].iov_len = pieces[i].size() - from;
    ++count;
  }
  for (;;) {
    ssize_t n = ::pwritev(file, vec, static_cast<int>(count), static_cast<off_t>(offset));
    if (n > 0) return static_cast<std::size_t>(n);
    if (n == 0) Fail(ENOSPC, "Cannot write", path);
    if (errno != EINTR) Fail(errno, "Cannot write", path);
  }
}

void CutAndFlush(NativeHandle file, std::uint64_t size, const std::string& path) {
  if (::ftruncate(file, static_cast<off_t>(size)) != 0) Fail(errno, "Cannot write", path);
  if (::fsync(file) != 0) Fail(errno, "Cannot write", path);
}

int LastError() { return errno; }

}  // namespace rewrite

}  // namespace vorn
