// NewFile on POSIX. Divisions, in order:
//   1. names: the name a new file carries, and the sweep of those a killed run left behind;
//   2. the file's life: open (unnamed where /proc allows), flush, name and rename, discard.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <string>
#include <string_view>
#include <utility>

#include "common/file_rewrite_system.h"
#include "common/new_file.h"

namespace vorn {

// ---- 1. Names -------------------------------------------------------------------------------

namespace {

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

}  // namespace

// ---- 2. The file's life ---------------------------------------------------------------------

NewFile::NewFile(const FolderHandle& folder, std::string name, std::string shown_path)
    : folder_(folder), name_(std::move(name)), shown_path_(std::move(shown_path)) {}

bool NewFile::Open() {
  const int folder = folder_.Get();
  RemoveLeftoverNewFiles(folder, name_);
#ifdef O_TMPFILE
  if (CanNameUnnamedFiles()) {
    file_.Reset(::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    if (file_.IsOpen()) return true;
    // Older file systems have no unnamed files; a folder we may not write has none either.
    if (errno == EACCES || errno == EPERM || errno == EROFS) return false;
  }
#endif
  for (unsigned attempt = 0; attempt <= 100; ++attempt) {
    std::string temp = NewFileName(name_, attempt);
    file_.Reset(
        ::openat(folder, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (file_.IsOpen()) {
      temp_ = temp;
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

void NewFile::TakeDefaultPermissions() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  if (::fchmod(file_.Get(), 0666 & ~mask) != 0) rewrite::FailLast("Cannot write", shown_path_);
}

void NewFile::Flush() {
  if (::fsync(file_.Get()) != 0) rewrite::FailLast("Cannot write", shown_path_);
}

bool NewFile::RenameIntoPlace() {
  const int folder = folder_.Get();
  // The complete file gets its temporary name (if it has none yet) and is closed.
  if (temp_.empty()) {
    const std::string link = "/proc/self/fd/" + std::to_string(file_.Get());
    for (unsigned attempt = 0;; ++attempt) {
      std::string temp = NewFileName(name_, attempt);
      if (::linkat(AT_FDCWD, link.c_str(), folder, temp.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        temp_ = temp;
        break;
      }
      if (errno != EEXIST || attempt > 100) rewrite::FailLast("Cannot write", shown_path_);
    }
  }
  if (!file_.Close()) rewrite::FailLast("Cannot write", shown_path_);
  if (::renameat(folder, temp_.c_str(), folder, name_.c_str()) != 0) return false;
  temp_.clear();
  // Make the rename itself durable.
  ::fsync(folder);
  return true;
}

void NewFile::Discard() {
  file_.Reset();
  if (!temp_.empty()) ::unlinkat(folder_.Get(), temp_.c_str(), 0);
  temp_.clear();
}

}  // namespace vorn
