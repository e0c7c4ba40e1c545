// FileRewrite's policy, the same on every platform: a complete new file is renamed over the
// old one when it can be the same file to everyone, otherwise the old file is rewritten in
// place after its room is reserved. Divisions, in order:
//   1. shared helpers: the error, the length of the new text, writing it piece by piece;
//   2. the policy: Write (rename or rewrite in place) and Create (a file made new).
// Opening, locking and reading, and what the system does for each step, are in
// file_rewrite_posix.cpp and file_rewrite_win.cpp (file_rewrite_system.h); the new file's
// life is NewFile (new_file.h).
#include "common/file_rewrite.h"

#include <cstdint>

#include "common/file_rewrite_system.h"
#include "common/new_file.h"
#include "common/run_error.h"

namespace vorn {

// ---- 1. Shared helpers ----------------------------------------------------------------------

namespace rewrite {

void Fail(int code, const std::string& what, const std::string& path) {
  throw SystemError(code, what + " " + path);
}

}  // namespace rewrite

namespace {

std::uint64_t TotalSize(std::span<const std::string_view> pieces) {
  std::uint64_t total = 0;
  for (std::string_view piece : pieces) total += piece.size();
  return total;
}

// Writes the pieces one after the other from the file's start.
void WritePieces(NativeHandle file, std::span<const std::string_view> pieces,
                 const std::string& path) {
  std::uint64_t offset = 0;
  std::size_t next = 0;  // the first piece not yet written whole
  std::size_t done = 0;  // bytes of that piece already written
  for (;;) {
    while (next < pieces.size() && done == pieces[next].size()) {
      ++next;
      done = 0;
    }
    if (next == pieces.size()) return;
    std::size_t left = rewrite::WriteSome(file, pieces.subspan(next), done, offset, path);
    offset += left;
    while (left > 0) {
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

}  // namespace

// ---- 2. The policy --------------------------------------------------------------------------

FileRewrite::~FileRewrite() = default;

void FileRewrite::Write(std::span<const std::string_view> pieces) {
  const rewrite::OldFile old = rewrite::Describe(file_.Get(), folder_, shown_path_);

  // A complete new file in the old one's place, when it can be the same file to everyone.
  if (!through_link_ && old.replaceable) {
    NewFile fresh(folder_, name_, shown_path_);
    if (fresh.Open()) {
      WritePieces(fresh.Get(), pieces, shown_path_);
      if (rewrite::GiveIdentity(fresh.Get(), file_.Get())) {
        fresh.Flush();
        if (rewrite::PutInPlace(fresh, file_, folder_, name_, shown_path_)) return;
      }
    }
  }

  // In place: room for the new text is taken first, then the text written over the old from
  // the start and the file cut to length.
  const std::uint64_t size = TotalSize(pieces);
  rewrite::ReserveRoom(file_.Get(), old.size, size, shown_path_);
  WritePieces(file_.Get(), pieces, shown_path_);
  rewrite::CutAndFlush(file_.Get(), size, shown_path_);
}

void FileRewrite::Create(const FolderHandle& folder, const std::string& name, std::string_view text,
                         const std::string& shown_path) {
  NewFile fresh(folder, name, shown_path);
  if (!fresh.Open()) rewrite::FailLast("Cannot write", shown_path);
  const std::string_view pieces[] = {text};
  WritePieces(fresh.Get(), pieces, shown_path);
  fresh.TakeDefaultPermissions();
  fresh.Flush();
  if (!fresh.RenameIntoPlace()) rewrite::FailLast("Cannot write", shown_path);
}

}  // namespace vorn
