// The tree search without the image-help library: "X:\vorn\" is resolved through Wine's drive
// map, and the tree below it is walked here once per run, in the order Windows walks it: a
// folder's entries sorted by name without regard to letter case, each sub-folder entered where
// it sorts. The walk keeps one open folder handle per level (at most kMaxOpenFolders at once),
// so neither the depth nor the length of a path is limited. The listing it leaves serves every
// later search of the run; a file found is reached again from the tree's root, folder by
// folder, never through a link, and handed over with its folder open.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "autoconfig/tree_search.h"

namespace vorn::autoconfig {

namespace {

// Folders kept open at once by each walking thread; deeper ones are reached again through "..".
constexpr std::size_t kMaxOpenFolders = 64;

// Threads that walk the top folder's branches at once. The walk waits mostly on the file
// system; two keep a disk and a processor busy, as a user's fd would.
constexpr std::size_t kWalkThreads = 2;

constexpr char ToLowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }
constexpr unsigned char ToUpperAscii(char c) {
  return static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 32 : c);
}

// Windows compares file names without regard to letter case; the whole name must match.
bool SameName(std::string_view entry, std::string_view wanted) {
  if (entry.size() != wanted.size()) return false;
  for (std::size_t i = 0; i < entry.size(); ++i)
    if (ToLowerAscii(entry[i]) != ToLowerAscii(wanted[i])) return false;
  return true;
}

// The order of names in a folder as Windows keeps it: compared upper-cased, code by code.
// Names that differ only in letter case (possible here, not on Windows) follow their bytes.
bool SortsBefore(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const unsigned char x = ToUpperAscii(a[i]);
    const unsigned char y = ToUpperAscii(b[i]);
    if (x != y) return x < y;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
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

// The folder below `parent` named `wanted` in any letter case, the first in Windows' order
// when several differ only in case. A link is followed here: the drive's "vorn" may stand for
// a folder elsewhere, as a junction may on Windows. Closed when there is none.
Folder FindRootFolder(Folder& parent, std::string_view wanted, std::string& actual_name) {
  std::vector<std::string> matches;
  while (const dirent* entry = parent.Next())
    if (!IsDotOrDotDot(entry->d_name) && SameName(entry->d_name, wanted))
      matches.emplace_back(entry->d_name);
  std::sort(matches.begin(), matches.end(), SortsBefore);
  for (const std::string& name : matches) {
    Folder sub(::openat(parent.Fd(), name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (sub.IsOpen()) {
      actual_name = name;
      return sub;
    }
  }
  return Folder();
}

struct Entry {
  std::string name;
  bool is_folder = false;
};

// A folder's files and sub-folders (links and anything else left out), in Windows' order.
std::vector<Entry> SortedEntries(Folder& folder) {
  std::vector<Entry> entries;
  while (const dirent* entry = folder.Next()) {
    if (IsDotOrDotDot(entry->d_name)) continue;
    const EntryKind kind = KindOf(folder.Fd(), entry);
    if (kind != EntryKind::kOther) entries.push_back({entry->d_name, kind == EntryKind::kFolder});
  }
  std::sort(entries.begin(), entries.end(),
            [](const Entry& a, const Entry& b) { return SortsBefore(a.name, b.name); });
  return entries;
}

// Everything one walk of a tree saw: its folders and, in the order Windows meets them, its
// files. The first file of a name in that order is the one Windows' search reports.
class Listing {
 public:
  // Walks the tree under `root`, which the listing keeps open for finding files again.
  explicit Listing(Folder root, std::string rootPath) : rootPath_(std::move(rootPath)) {
    root_fd_ = ::openat(root.Fd(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    WalkInParallel(std::move(root));
  }
  ~Listing() {
    if (root_fd_ >= 0) ::close(root_fd_);
  }
  Listing(const Listing&) = delete;
  Listing& operator=(const Listing&) = delete;

  // The first file named `name` (any letter case), reached again from the root without
  // following a link, its folder open. False when there is none, or when the way to it is no
  // longer a chain of folders.
  bool Find(std::string_view name, FoundFile& found) const {
    auto file = std::find_if(files_.begin(), files_.end(),
                             [&](const File& f) { return SameName(f.name, name); });
    if (file == files_.end() || root_fd_ < 0) return false;
    std::vector<std::uint32_t> chain;
    for (std::uint32_t at = file->folder; at != 0; at = folders_[at].parent) chain.push_back(at);
    int fd = ::openat(root_fd_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    std::string path = rootPath_;
    for (auto it = chain.rbegin(); it != chain.rend() && fd >= 0; ++it) {
      const std::string& folder_name = folders_[*it].name;
      int sub = OpenSubFolder(fd, folder_name.c_str());
      ::close(fd);
      fd = sub;
      (path += '/') += folder_name;
    }
    if (fd < 0) return false;
    FolderHandle folder{UniqueHandle(fd)};
    struct stat st {};
    if (::fstatat(fd, file->name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
      return false;
    found.path = path + '/' + file->name;
    found.folder = std::make_shared<const FolderHandle>(std::move(folder));
    return true;
  }

 private:
  struct FolderNode {
    std::uint32_t parent;
    std::string name;
  };
  struct File {
    std::uint32_t folder;
    std::string name;
  };
  // One folder on the way down: its entries still to visit and, once its handle was closed
  // to save handles, its identity.
  struct Level {
    Folder folder;
    std::uint32_t node = 0;
    std::vector<Entry> entries;
    std::size_t next = 0;
    dev_t device = 0;
    ino_t inode = 0;
  };

  // What the walk of one branch saw, its folders numbered from the branch's own top (0).
  struct Branch {
    std::vector<FolderNode> folders;
    std::vector<File> files;
  };

  // The tree's top folder is read here; its sub-folders are walked by a few threads at once,
  // each branch on its own, and the branches' listings are then put together in Windows'
  // order, as one walk would have made them.
  void WalkInParallel(Folder root) {
    std::vector<Entry> top = SortedEntries(root);
    std::vector<std::size_t> sub_folders;
    for (std::size_t i = 0; i < top.size(); ++i)
      if (top[i].is_folder) sub_folders.push_back(i);
    std::vector<Branch> branches(sub_folders.size());
    std::atomic<std::size_t> next{0};
    auto work = [&] {
      for (std::size_t i = next++; i < sub_folders.size(); i = next++) {
        Folder sub(OpenSubFolder(root.Fd(), top[sub_folders[i]].name.c_str()));
        if (!sub.IsOpen()) continue;  // unreadable or replaced meanwhile: skipped
        branches[i].folders.push_back({0, top[sub_folders[i]].name});
        Walk(std::move(sub), branches[i]);
      }
    };
    const unsigned threads = std::min<std::size_t>(kWalkThreads, sub_folders.size());
    std::vector<std::thread> helpers;
    for (unsigned t = 1; t < threads; ++t) helpers.emplace_back(work);
    work();
    for (std::thread& helper : helpers) helper.join();

    folders_.push_back({0, {}});
    std::size_t branch = 0;
    for (Entry& entry : top) {
      if (!entry.is_folder) {
        files_.push_back({0, std::move(entry.name)});
        continue;
      }
      Branch& b = branches[branch++];
      if (b.folders.empty()) continue;
      const auto offset = static_cast<std::uint32_t>(folders_.size());
      for (std::size_t i = 0; i < b.folders.size(); ++i)
        folders_.push_back(
            {i == 0 ? 0 : offset + b.folders[i].parent, std::move(b.folders[i].name)});
      for (File& file : b.files) files_.push_back({offset + file.folder, std::move(file.name)});
    }
  }

  // Walks the branch under `start`, whose node (0) is already in `branch.folders`.
  static void Walk(Folder start, Branch& branch) {
    std::vector<FolderNode>& folders = branch.folders;
    std::vector<File>& files = branch.files;
    std::vector<Level> levels;
    std::size_t lowest_open = 0;
    levels.push_back({});
    levels.back().entries = SortedEntries(start);
    levels.back().folder = std::move(start);
    while (!levels.empty()) {
      Level& top = levels.back();
      if (top.next == top.entries.size()) {
        Level popped = std::move(levels.back());
        levels.pop_back();
        if (levels.empty() || levels.size() - 1 >= lowest_open) continue;
        // The parent was closed to save handles: reach it again from the child. If ".." no
        // longer names the folder we left, the tree moved under us and the walk ends there.
        lowest_open = levels.size() - 1;
        Level& parent = levels.back();
        Folder again(::openat(popped.folder.Fd(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        struct stat st {};
        if (again.IsOpen() && ::fstat(again.Fd(), &st) == 0 && st.st_dev == parent.device &&
            st.st_ino == parent.inode) {
          parent.folder = std::move(again);
        } else {
          levels.clear();
        }
        continue;
      }
      Entry& entry = top.entries[top.next++];
      if (!entry.is_folder) {
        files.push_back({top.node, std::move(entry.name)});
        continue;
      }
      Folder sub(OpenSubFolder(top.folder.Fd(), entry.name.c_str()));
      if (!sub.IsOpen()) continue;  // unreadable or replaced meanwhile: skipped
      folders.push_back({top.node, std::move(entry.name)});
      Level level;
      level.node = static_cast<std::uint32_t>(folders.size() - 1);
      level.entries = SortedEntries(sub);
      level.folder = std::move(sub);
      levels.push_back(std::move(level));
      if (levels.size() - lowest_open > kMaxOpenFolders) {
        // Only a folder closed here is ever reached again through "..", so only its identity
        // is taken, now, while its handle still names it.
        Level& oldest = levels[lowest_open];
        struct stat st {};
        if (::fstat(oldest.folder.Fd(), &st) == 0) {
          oldest.device = st.st_dev;
          oldest.inode = st.st_ino;
        }
        oldest.folder.Close();
        ++lowest_open;
      }
    }
  }

  std::string rootPath_;
  int root_fd_ = -1;
  std::vector<FolderNode> folders_;  // [0] is the root
  std::vector<File> files_;
};

class WineDriveTreeSearch final : public TreeSearch {
 public:
  bool SearchTreeForFile(const std::string& rootPath, const std::string& fileName,
                         std::string& foundPath) override {
    FoundFile found;
    if (!FindFile(rootPath, fileName, found)) return false;
    foundPath = found.path;
    return true;
  }

  bool FindFile(const std::string& rootPath, const std::string& fileName,
                FoundFile& found) override {
    if (fileName.empty()) return false;
    const std::string prefix = WinePrefix();
    const std::string key = prefix + '|' + rootPath;
    auto listing = listings_.find(key);
    if (listing == listings_.end()) listing = listings_.emplace(key, Walk(prefix, rootPath)).first;
    return listing->second != nullptr && listing->second->Find(fileName, found);
  }

 private:
  // The listing of the tree under "X:\folder\...": the letter before the colon, then the
  // folders below the drive. None when the root names no folder.
  static std::unique_ptr<Listing> Walk(const std::string& prefix, const std::string& rootPath) {
    auto colon = rootPath.find(':');
    if (colon != 1 || prefix.empty()) return nullptr;
    std::string path = prefix + "/dosdevices/" + ToLowerAscii(rootPath[0]) + ':';
    Folder folder(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.IsOpen()) return nullptr;
    std::string_view rest(rootPath);
    rest.remove_prefix(colon + 1);
    while (!rest.empty()) {
      auto slash = rest.find('\\');
      std::string_view part = rest.substr(0, slash);
      rest.remove_prefix(slash == std::string_view::npos ? rest.size() : slash + 1);
      if (part.empty() || part == ".") continue;
      std::string actual;
      folder = FindRootFolder(folder, part, actual);
      if (!folder.IsOpen()) return nullptr;
      (path += '/') += actual;
    }
    return std::make_unique<Listing>(std::move(folder), std::move(path));
  }

  // One listing per drive map and root: the drive is walked once for the run.
  std::map<std::string, std::unique_ptr<Listing>> listings_;
};

}  // namespace

TreeSearch& SystemTreeSearch() {
  static WineDriveTreeSearch search;
  return search;
}

std::unique_ptr<TreeSearch> NewSystemTreeSearch() {
  return std::make_unique<WineDriveTreeSearch>();
}

}  // namespace vorn::autoconfig
