// The POSIX tree search's walk: the tree below its root read once, in the order Windows walks
// it (a folder's entries sorted by name without regard to letter case, each sub-folder entered
// where it sorts). Divisions, in order: a folder's entries in Windows' order; the top folder's
// branches walked on a few threads and put together; one branch walked with one open handle
// per level, at most kMaxOpenFolders at once, deeper ones reached again through "..", so that
// neither the depth nor the length of a path is limited.
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "autoconfig/platform/tree_search_posix.h"

namespace vorn::autoconfig::posix_tree {

namespace {

// Folders kept open at once by each walking thread; deeper ones are reached again through "..".
constexpr std::size_t kMaxOpenFolders = 64;

// Threads that walk the top folder's branches at once. The walk waits mostly on the file
// system; two keep a disk and a processor busy, as a user's fd would.
constexpr std::size_t kWalkThreads = 2;

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

}  // namespace

Listing::Listing(Folder root, std::string rootPath)
    : rootPath_(std::move(rootPath)),
      root_(::openat(root.Fd(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
  WalkInParallel(std::move(root));
}

// The tree's top folder is read here; its sub-folders are walked by a few threads at once,
// each branch on its own, and the branches' listings are then put together in Windows'
// order, as one walk would have made them.
void Listing::WalkInParallel(Folder root) {
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
      folders_.push_back({i == 0 ? 0 : offset + b.folders[i].parent, std::move(b.folders[i].name)});
    for (File& file : b.files) files_.push_back({offset + file.folder, std::move(file.name)});
  }
}

// Walks the branch under `start`, whose node (0) is already in `branch.folders`.
void Listing::Walk(Folder start, Branch& branch) {
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

}  // namespace vorn::autoconfig::posix_tree
