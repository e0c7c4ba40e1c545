// FileRewrite on Windows: the file is opened relative to its folder's handle (NtCreateFile with
// a root directory), never through a reparse point when links are refused, locked with
// LockFileEx, and written, renamed and deleted through handles only; the policy above
// (file_rewrite.cpp) asks this file for each step. Divisions, in order:
//   1. opening and locking the file, and reading it;
//   2. the same file to everyone: what a new file must be given of the old (owner, group,
//      access list, attributes, creation time), and what a new file could not carry;
//   3. the system's side of the policy (file_rewrite_system.h): describing the file, putting the
//      new file in its place, reserving room, writing, cutting.
// The new file's own life (made, renamed, deleted by handle) is in new_file_win.cpp.
#include <aclapi.h>
#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "common/file_names.h"
#include "common/file_rewrite.h"
#include "common/file_rewrite_system.h"
#include "common/open_relative_win.h"
#include "common/run_error.h"

namespace vorn {

// ---- 1. Opening, locking, reading -----------------------------------------------------------

namespace {

[[noreturn]] void Fail(DWORD code, const std::string& what, const std::string& path) {
  rewrite::Fail(static_cast<int>(code), what, path);
}

std::wstring Wide(const std::string& name) { return NativePath(name).wstring(); }

// The lock programs rewriting the file take turns by: one byte far past any data, so that
// readers of the text are never stopped by it.
constexpr DWORD kLockOffsetHigh = 0x40000000;

// Waits until `attempt` succeeds, while `busy` says another program holds the file, at most
// until `deadline`. False when the time ran out.
template <typename Attempt>
bool WaitFor(std::chrono::steady_clock::time_point deadline, Attempt attempt, DWORD busy) {
  for (;;) {
    if (attempt()) return true;
    if (::GetLastError() != busy || std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

}  // namespace

FileRewrite::FileRewrite(const FolderHandle& folder, std::string name, LinkRule links,
                         std::string shown_path)
    : folder_(folder), name_(std::move(name)), shown_path_(std::move(shown_path)) {
  const std::wstring wide = Wide(name_);
  ULONG options = FILE_NON_DIRECTORY_FILE;
  {
    // What the name itself is: a reparse point (a link) is refused or followed.
    UniqueHandle probe(OpenRelative(folder_.Get(), wide, FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    FILE_OPEN, FILE_OPEN_REPARSE_POINT));
    if (!probe.IsOpen()) Fail(::GetLastError(), "Cannot open", shown_path_);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(probe.Get(), &info))
      Fail(::GetLastError(), "Cannot open", shown_path_);
    through_link_ = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (through_link_ && links == LinkRule::kRefuse)
      Fail(ERROR_ACCESS_DENIED, "Cannot open", shown_path_);
    if (!through_link_) options |= FILE_OPEN_REPARSE_POINT;
  }
  // Others may read it, and the rename of a new file over it must be possible. Another
  // program rewriting it shares no writing: it is waited for, a bounded time.
  const auto deadline = std::chrono::steady_clock::now() + kRewriteLockWait;
  UniqueHandle file;
  const bool opened = WaitFor(
      deadline,
      [&] {
        file.Reset(OpenRelative(folder_.Get(), wide, GENERIC_READ | GENERIC_WRITE | READ_CONTROL,
                                FILE_SHARE_READ | FILE_SHARE_DELETE, FILE_OPEN, options));
        return file.IsOpen();
      },
      ERROR_SHARING_VIOLATION);
  if (!opened) Fail(::GetLastError(), "Cannot open", shown_path_);
  // One rewrite at a time, from reading to the last write.
  const bool locked = WaitFor(
      deadline,
      [&] {
        OVERLAPPED at{};
        at.OffsetHigh = kLockOffsetHigh;
        return ::LockFileEx(file.Get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1,
                            0, &at) != 0;
      },
      ERROR_LOCK_VIOLATION);
  if (!locked) Fail(::GetLastError(), "Cannot lock", shown_path_);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(file.Get(), &info))
    Fail(::GetLastError(), "Cannot open", shown_path_);
  if (::GetFileType(file.Get()) != FILE_TYPE_DISK ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    throw RunError(ErrorNumber::kPathFileAccess, "Not a file: " + shown_path_);
  if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
    Fail(ERROR_ACCESS_DENIED, "Cannot write", shown_path_);
  size_ = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  file_ = std::move(file);
}

std::string FileRewrite::ReadAll() {
  HANDLE file = file_.Get();
  std::string text(static_cast<std::size_t>(size_), '\0');
  LARGE_INTEGER start{};
  if (!::SetFilePointerEx(file, start, nullptr, FILE_BEGIN))
    Fail(::GetLastError(), "Cannot read", shown_path_);
  std::size_t done = 0;
  while (done < text.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 1u << 30));
    DWORD read = 0;
    if (!::ReadFile(file, text.data() + done, chunk, &read, nullptr))
      Fail(::GetLastError(), "Cannot read", shown_path_);
    if (read == 0) break;  // the file shrank meanwhile
    done += read;
  }
  text.resize(done);
  return text;
}

// ---- 2. The same file to everyone -----------------------------------------------------------

namespace {

// Gives `to` the owner, group and access list of `from`. False when the process cannot.
bool CopySecurity(HANDLE from, HANDLE to) {
  PSID owner = nullptr;
  PSID group = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const SECURITY_INFORMATION what =
      OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  if (::GetSecurityInfo(from, SE_FILE_OBJECT, what, &owner, &group, &dacl, nullptr, &descriptor) !=
      ERROR_SUCCESS)
    return false;
  // A file that takes no rights from its folder keeps it so: the new file would otherwise add
  // the folder's inheritable entries to the access list it copies.
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  const bool protectedDacl = ::GetSecurityDescriptorControl(descriptor, &control, &revision) &&
                             (control & SE_DACL_PROTECTED) != 0;
  const SECURITY_INFORMATION set = what | (protectedDacl ? PROTECTED_DACL_SECURITY_INFORMATION
                                                         : UNPROTECTED_DACL_SECURITY_INFORMATION);
  const bool copied =
      ::SetSecurityInfo(to, SE_FILE_OBJECT, set, owner, group, dacl, nullptr) == ERROR_SUCCESS;
  ::LocalFree(descriptor);
  return copied;
}

// True when the file holds its main data stream only: a new file would not carry others.
bool OnlyTheDataStream(HANDLE file) {
  std::vector<char> buffer(64 * 1024);
  if (!::GetFileInformationByHandleEx(file, FileStreamInfo, buffer.data(),
                                      static_cast<DWORD>(buffer.size()))) {
    // No stream at all (an empty file), or a file system that keeps none but the data (FAT,
    // Wine), and answers that it has no such information.
    const DWORD error = ::GetLastError();
    return error == ERROR_HANDLE_EOF || error == ERROR_CALL_NOT_IMPLEMENTED ||
           error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED ||
           error == ERROR_INVALID_PARAMETER;
  }
  const auto* info = reinterpret_cast<const FILE_STREAM_INFO*>(buffer.data());
  return info->NextEntryOffset == 0;
}

// What a new file would not get from its attributes (encryption, compression, sparseness, a
// file kept elsewhere) keeps the file where it is.
constexpr DWORD kKeptByTheFileItself = FILE_ATTRIBUTE_ENCRYPTED | FILE_ATTRIBUTE_COMPRESSED |
                                       FILE_ATTRIBUTE_SPARSE_FILE | FILE_ATTRIBUTE_OFFLINE |
                                       FILE_ATTRIBUTE_REPARSE_POINT;

// The file `name` in `folder` opened again to be rewritten in place, when it is still the file
// described by `read` (the same file, size and attributes); throws RunError otherwise.
UniqueHandle ReopenSame(HANDLE folder, const std::wstring& name,
                        const BY_HANDLE_FILE_INFORMATION& read, const std::string& path) {
  UniqueHandle file(OpenRelative(folder, name, GENERIC_READ | GENERIC_WRITE | READ_CONTROL,
                                 FILE_SHARE_READ | FILE_SHARE_DELETE, FILE_OPEN,
                                 FILE_NON_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT));
  if (!file.IsOpen()) Fail(::GetLastError(), "Cannot write", path);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(file.Get(), &info))
    Fail(::GetLastError(), "Cannot write", path);
  if (info.dwVolumeSerialNumber != read.dwVolumeSerialNumber ||
      info.nFileIndexHigh != read.nFileIndexHigh || info.nFileIndexLow != read.nFileIndexLow ||
      info.nFileSizeHigh != read.nFileSizeHigh || info.nFileSizeLow != read.nFileSizeLow ||
      info.nNumberOfLinks != read.nNumberOfLinks ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
    throw RunError(ErrorNumber::kPathFileAccess, "Changed while it was rewritten: " + path);
  return file;
}

}  // namespace

// ---- 3. The system's side of the policy -----------------------------------------------------

namespace rewrite {

OldFile Describe(NativeHandle file, const FolderHandle&, const std::string& path) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(file, &info)) Fail(::GetLastError(), "Cannot write", path);
  return {.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow,
          .replaceable = info.nNumberOfLinks == 1 &&
                         (info.dwFileAttributes & kKeptByTheFileItself) == 0 &&
                         OnlyTheDataStream(file)};
}

bool GiveIdentity(NativeHandle fresh, NativeHandle old) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(old, &info)) return false;
  // The old file's attributes and creation time; a changed file is marked for backup, as
  // Windows marks any file written.
  FILE_BASIC_INFO basic{};
  basic.CreationTime.LowPart = info.ftCreationTime.dwLowDateTime;
  basic.CreationTime.HighPart = static_cast<LONG>(info.ftCreationTime.dwHighDateTime);
  basic.FileAttributes = (info.dwFileAttributes & ~FILE_ATTRIBUTE_NORMAL) | FILE_ATTRIBUTE_ARCHIVE;
  return CopySecurity(old, fresh) &&
         ::SetFileInformationByHandle(fresh, FileBasicInfo, &basic, sizeof basic);
}

bool PutInPlace(NewFile& fresh, UniqueHandle& old, const FolderHandle& folder,
                const std::string& name, const std::string& path) {
  BY_HANDLE_FILE_INFORMATION read{};
  if (!::GetFileInformationByHandle(old.Get(), &read)) Fail(::GetLastError(), "Cannot write", path);
  // Windows renames nothing over a file that is open, this process's own handle included.
  old.Reset();
  if (fresh.RenameIntoPlace()) return true;
  fresh.Discard();
  // Someone else holds the file open: it is rewritten in place after all, if it is still the
  // file that was read.
  old = ReopenSame(folder.Get(), Wide(name), read, path);
  return false;
}

// Where the system cannot reserve (Wine), at least the free room must be there.
void ReserveRoom(NativeHandle file, std::uint64_t old_size, std::uint64_t size,
                 const std::string& path) {
  if (size <= old_size) return;
  FILE_ALLOCATION_INFO room{};
  room.AllocationSize.QuadPart = static_cast<LONGLONG>(size);
  if (::SetFileInformationByHandle(file, FileAllocationInfo, &room, sizeof room)) return;
  const DWORD error = ::GetLastError();
  if (error != ERROR_CALL_NOT_IMPLEMENTED && error != ERROR_NOT_SUPPORTED &&
      error != ERROR_INVALID_PARAMETER)
    Fail(error, "Cannot write", path);
  std::wstring where = FinalPath(file);
  const auto slash = where.find_last_of(L'\\');
  if (slash != std::wstring::npos) where.resize(slash + 1);
  ULARGE_INTEGER free{};
  if (!::GetDiskFreeSpaceExW(where.c_str(), &free, nullptr, nullptr))
    Fail(::GetLastError(), "Cannot write", path);
  if (free.QuadPart < size - old_size + 65536) Fail(ERROR_DISK_FULL, "Cannot write", path);
}

// One piece, or up to 1 GiB of it, at a time.
std::size_t WriteSome(NativeHandle file, std::span<const std::string_view> pieces, std::size_t skip,
                      std::uint64_t offset, const std::string& path) {
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(offset);
  if (!::SetFilePointerEx(file, at, nullptr, FILE_BEGIN))
    Fail(::GetLastError(), "Cannot write", path);
  const std::string_view piece = pieces.front().substr(skip);
  const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(piece.size(), 1u << 30));
  DWORD written = 0;
  if (!::WriteFile(file, piece.data(), chunk, &written, nullptr))
    Fail(::GetLastError(), "Cannot write", path);
  if (written == 0) Fail(ERROR_DISK_FULL, "Cannot write", path);
  return written;
}

void CutAndFlush(NativeHandle file, std::uint64_t size, const std::string& path) {
  LARGE_INTEGER end{};
  end.QuadPart = static_cast<LONGLONG>(size);
  if (!::SetFilePointerEx(file, end, nullptr, FILE_BEGIN) || !::SetEndOfFile(file) ||
      !::FlushFileBuffers(file))
    Fail(::GetLastError(), "Cannot write", path);
}

int LastError() { return static_cast<int>(::GetLastError()); }

}  // namespace rewrite

}  // namespace vorn
