#pragma once

// The system's side of a rewrite: the few primitives the policy in file_rewrite.cpp needs,
// one implementation in file_rewrite_posix.cpp and one in file_rewrite_win.cpp.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "common/folder_handle.h"
#include "common/native_handle.h"
#include "common/new_file.h"

namespace vorn::rewrite {

// What the file being rewritten is, as far as the policy needs to know.
struct OldFile {
  std::uint64_t size = 0;
  // A new file can be made the same file to everyone: one name, and nothing about it that a
  // new file could not be given (on Windows: no encryption, compression, sparseness, offline
  // data or second stream; on POSIX: the process owns it or is root).
  bool replaceable = false;
};

// Describes the open file `file` in `folder`. Throws RunError where the file must not be
// written at all (a privileged process and a second name of a file in someone else's folder).
OldFile Describe(NativeHandle file, const FolderHandle& folder, const std::string& path);

// Gives the complete new file `fresh` everything that makes `old` what it is to others: owner,
// group, mode bits or attributes, access list, extended attributes, creation time. False when
// the process cannot.
bool GiveIdentity(NativeHandle fresh, NativeHandle old);

// Puts the complete new file in the place of `old`, which is held open as `old`. True when
// done. False when the folder refused the rename: `old` is then open on the same file again
// (throws RunError when another file took its place meanwhile).
bool PutInPlace(NewFile& fresh, UniqueHandle& old, const FolderHandle& folder,
                const std::string& name, const std::string& path);

// Takes room for `file` to grow from `old_size` to `size` bytes before anything is
// overwritten, so that a full disk fails while the old text is whole. Throws RunError.
void ReserveRoom(NativeHandle file, std::uint64_t old_size, std::uint64_t size,
                 const std::string& path);

// Writes the start of `pieces`, less the first `skip` bytes of the first piece, at `offset`
// of `file`: as much as one call of the system takes. The number of bytes written, never 0.
// Throws RunError.
std::size_t WriteSome(NativeHandle file, std::span<const std::string_view> pieces, std::size_t skip,
                      std::uint64_t offset, const std::string& path);

// Cuts `file` to `size` bytes and writes it to the disk. Throws RunError.
void CutAndFlush(NativeHandle file, std::uint64_t size, const std::string& path);

// The system's code for the last failure of the calling thread (errno, GetLastError()).
int LastError();

// Throws the RunError for the system's error `code`: "<what> <path>".
[[noreturn]] void Fail(int code, const std::string& what, const std::string& path);

// The same for the calling thread's last failure.
[[noreturn]] inline void FailLast(const std::string& what, const std::string& path) {
  Fail(LastError(), what, path);
}

}  // namespace vorn::rewrite
