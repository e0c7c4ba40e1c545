#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "common/folder_handle.h"
#include "common/native_handle.h"

namespace vorn {

// What opening a file does when its name is a link.
enum class LinkRule {
  kRefuse,  // a link is refused: only a file that lies in the folder itself is opened
  kFollow,  // the file the link names is opened, and rewritten where it lies
};

// How long opening a file waits for another program that is rewriting it.
inline constexpr std::chrono::milliseconds kRewriteLockWait{10000};

// An existing regular file, opened to have its whole text replaced while keeping its identity,
// as careful editors do:
// - a complete new file is renamed over it only when the new file is the same file to
//   everyone: the name is not a link, the file has one name (no second hard link), the
//   process can give the new file the old one's owner, group, mode bits (setuid, setgid and
//   sticky included), access list and extended attributes, and the folder takes new files;
// - otherwise the file itself is rewritten in place: the whole new text written over the old,
//   flushed, and the file cut to the new length. It is never emptied first, and the room for a
//   longer text is reserved before the first byte is overwritten, so a full disk leaves it
//   as it was;
// - the file is locked from the open to the last write (flock on POSIX, LockFileEx on Windows),
//   so that two programs rewriting it at once take turns: the result is that of one after the
//   other, and a program that waits too long gives up without touching the file.
class FileRewrite {
 public:
  // Opens `name` in `folder` for reading and writing. The open never waits: a pipe, device or
  // socket in the file's place is refused, as are a folder, a file marked read-only and a file
  // the process may not write. Waits up to kRewriteLockWait for the file's lock (RunError 70
  // when another program keeps it). `shown_path` names the file in error descriptions. Throws
  // RunError.
  FileRewrite(const FolderHandle& folder, std::string name, LinkRule links, std::string shown_path);
  ~FileRewrite();
  FileRewrite(const FileRewrite&) = delete;
  FileRewrite& operator=(const FileRewrite&) = delete;

  // The file's size when it was opened.
  std::uint64_t Size() const { return size_; }

  // The file's text from its start, at most Size() bytes however much the file grows meanwhile.
  std::string ReadAll();

  // Replaces the file's whole text by `pieces` one after the other. Throws RunError; the file
  // then holds its old text, unless a write failed part way through an in-place rewrite.
  void Write(std::span<const std::string_view> pieces);

  // Makes a new file `name` in `folder` holding `text`, with the permissions a new file of the
  // process gets, renamed into place when complete. Throws RunError.
  static void Create(const FolderHandle& folder, const std::string& name, std::string_view text,
                     const std::string& shown_path);

 private:
  const FolderHandle& folder_;
  std::string name_;
  std::string shown_path_;
  bool through_link_ = false;
  UniqueHandle file_;
  std::uint64_t size_ = 0;
};

}  // namespace vorn
