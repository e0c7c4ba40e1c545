// The tree search without the image-help library: "X:\vorn\" is resolved through Wine's drive
// map and the tree below it is walked here, one open folder handle per level, so that neither
// the depth nor the length of a path is limited and no path is built until a file matches.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "autoconfig/tree_search.h"

namespace vorn::autoconfig {

namespace {

// Folders kept open at once while walking; deeper ones are reached again through "..".
constexpr std::size_t kMaxOpenFolders = 64;

constexpr char ToLowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// Windows compares file names without regard to letter case; the whole name must match.
bool SameName(const char* entry, std::string_view wanted) {
  for (char w : wanted) {
    if (*entry == '\0' || ToLowerAscii(*entry) != ToLowerAscii(w)) return false;
    ++entry;
  }
  return *entry == '\0';
}

bool IsDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

enum class EntryKind { kFile, kFolder, kOther };

// Symbolic links are "other": never followed, never a match.
EntryKind KindOf(int folder_fd, const dirent* entry) {
  switch (entry->d_type) {
    case DT_REG:
      return EntryKind::kFile;
    case DT_DIR:
      return EntryKind::kFolder;
    case DT_UNKNOWN:
      break;
    default:
      return EntryKind::kOther;
  }
  struct stat st {};
  if (::fstatat(folder_fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) return EntryKind::kOther;
  if (S_ISREG(st.st_mode)) return EntryKind::kFile;
  if (S_ISDIR(st.st_mode)) return EntryKind::kFolder;
  return EntryKind::kOther;
}

// Opens a sub-folder of an open folder without following a link; -1 when it cannot be read.
int OpenSubFolder(int folder_fd, const char* name) {
  return ::openat(folder_fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// The folder Wine keeps its drive map in: $WINEPREFIX, else ~/.wine. This is the one place the
// program looks at its environment.
std::string WinePrefix() {
  if (const char* prefix = std::getenv("WINEPREFIX"); prefix != nullptr && *prefix != '\0')
    return prefix;
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
    return std::string(home) + "/.wine";
  return {};
}

class Folder {
 public:
  Folder() = default;
  explicit Folder(int fd) : dir_(fd >= 0 ? ::fdopendir(fd) : nullptr) {
    if (dir_ == nullptr && fd >= 0) ::close(fd);
  }
  ~Folder() { Close(); }
  Folder(Folder&& other) noexcept : dir_(other.dir_) { other.dir_ = nullptr; }
  Folder& operator=(Folder&& other) noexcept {
    if (this != &other) {
      Close();
      dir_ = other.dir_;
      other.dir_ = nullptr;
    }
    return *this;
  }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;

  bool IsOpen() const { return dir_ != nullptr; }
  int Fd() const { return ::dirfd(dir_); }
  const dirent* Next() { return ::readdir(dir_); }
  void Close() {
    if (dir_ != nullptr) ::closedir(dir_);
    dir_ = nullptr;
  }

 private:
  DIR* dir_ = nullptr;
};

// The sub-folder of `parent` named `wanted` in any letter case; closed when there is none.
Folder FindSubFolder(Folder& parent, std::string_view wanted, std::string& actual_name) {
  while (const dirent* entry = parent.Next()) {
    if (IsDotOrDotDot(entry->d_name) || !SameName(entry->d_name, wanted)) continue;
    if (KindOf(parent.Fd(), entry) != EntryKind::kFolder) continue;
    Folder sub(OpenSubFolder(parent.Fd(), entry->d_name));
    if (sub.IsOpen()) {
      actual_name = entry->d_name;
      return sub;
    }
  }
  return Folder();
}

// One folder on the way down: its name, the sub-folders still to visit, and, once its handle
// was closed to save handles, its identity.
struct Level {
  Folder folder;
  std::string name;
  dev_t device = 0;
  ino_t inode = 0;
  std::vector<std::string> sub_folders;
  std::size_t next = 0;
};

class Walker {
 public:
  Walker(std::string_view wanted, std::string root_path)
      : wanted_(wanted), root_path_(std::move(root_path)) {}

  // Depth first; the files of a folder are looked at before its sub-folders.
  bool Run(Folder root, std::string& found_path) {
    if (!Push(std::move(root), {}, found_path)) return true;
    while (!levels_.empty()) {
      Level& top = levels_.back();
      if (top.next == top.sub_folders.size()) {
        Pop();
        continue;
      }
      const std::string& name = top.sub_folders[top.next++];
      Folder sub(OpenSubFolder(top.folder.Fd(), name.c_str()));
      if (!sub.IsOpen()) continue;  // unreadable or replaced meanwhile: skipped
      if (!Push(std::move(sub), name, found_path)) return true;
    }
    return false;
  }

 private:
  // Reads a folder and puts it on the stack. False when it holds the wanted file.
  bool Push(Folder folder, std::string name, std::string& found_path) {
    Level level;
    level.name = std::move(name);
    while (const dirent* entry = folder.Next()) {
      if (IsDotOrDotDot(entry->d_name)) continue;
      EntryKind kind = KindOf(folder.Fd(), entry);
      if (kind == EntryKind::kFile && SameName(entry->d_name, wanted_)) {
        found_path = PathOf(entry->d_name, level.name);
        return false;
      }
      if (kind == EntryKind::kFolder) level.sub_folders.emplace_back(entry->d_name);
    }
    level.folder = std::move(folder);
    levels_.push_back(std::move(level));
    if (levels_.size() - lowest_open_ > kMaxOpenFolders) {
      // Only a folder closed here is ever reached again through "..", so only its identity
      // is taken, now, while its handle still names it.
      Level& oldest = levels_[lowest_open_];
      struct stat st {};
      if (::fstat(oldest.folder.Fd(), &st) == 0) {
        oldest.device = st.st_dev;
        oldest.inode = st.st_ino;
      }
      oldest.folder.Close();
      ++lowest_open_;
    }
    return true;
  }

  void Pop() {
    Level popped = std::move(levels_.back());
    levels_.pop_back();
    if (levels_.empty() || levels_.size() - 1 >= lowest_open_) return;
    // The parent was closed to save handles: reach it again from the child. If ".." no
    // longer names the folder we left, the tree moved under us and the walk ends there.
    lowest_open_ = levels_.size() - 1;
    Level& parent = levels_.back();
    Folder again(::openat(popped.folder.Fd(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat st {};
    if (again.IsOpen() && ::fstat(again.Fd(), &st) == 0 && st.st_dev == parent.device &&
        st.st_ino == parent.inode) {
      parent.folder = std::move(again);
    } else {
      levels_.clear();
    }
  }

  std::string PathOf(const char* file_name, const std::string& folder_name) const {
    std::string path = root_path_;
    for (std::size_t i = 1; i < levels_.size(); ++i) (path += '/') += levels_[i].name;
    if (!levels_.empty()) (path += '/') += folder_name;
    (path += '/') += file_name;
    return path;
  }

  std::string_view wanted_;
  std::string root_path_;
  std::vector<Level> levels_;
  std::size_t lowest_open_ = 0;
};

class WineDriveTreeSearch final : public TreeSearch {
 public:
  bool SearchTreeForFile(const std::string& root_path, const std::string& file_name,
                         std::string& found_path) override {
    // "X:\folder\...": the letter before the colon, then the folders below the drive.
    auto colon = root_path.find(':');
    if (colon != 1 || file_name.empty()) return false;
    std::string prefix = WinePrefix();
    if (prefix.empty()) return false;
    std::string path = prefix + "/dosdevices/" + ToLowerAscii(root_path[0]) + ':';
    Folder folder(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.IsOpen()) return false;

    std::string_view rest(root_path);
    rest.remove_prefix(colon + 1);
    while (!rest.empty()) {
      auto slash = rest.find('\\');
      std::string_view part = rest.substr(0, slash);
      rest.remove_prefix(slash == std::string_view::npos ? rest.size() : slash + 1);
      if (part.empty() || part == ".") continue;
      std::string actual;
      folder = FindSubFolder(folder, part, actual);
      if (!folder.IsOpen()) return false;
      (path += '/') += actual;
    }
    return Walker(file_name, std::move(path)).Run(std::move(folder), found_path);
  }
};

}  // namespace

TreeSearch& SystemTreeSearch() {
  static WineDriveTreeSearch search;
  return search;
}

}  // namespace vorn::autoconfig
