// FileRewrite on Windows: the file is opened relative to its folder's handle (NtCreateFile with
// a root directory), never through a reparse point when links are refused, and written,
// renamed and deleted through handles only.
#include <aclapi.h>
#include <windows.h>
#include <winternl.h>

#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "common/file_names.h"
#include "common/file_rewrite.h"
#include "common/open_relative_win.h"
#include "common/run_error.h"

namespace vorn {

namespace {

[[noreturn]] void Fail(DWORD code, const std::string& what, const std::string& path) {
  throw SystemError(static_cast<int>(code), what + " " + path);
}

std::wstring Wide(const std::string& name) { return NativePath(name).wstring(); }

std::uint64_t TotalSize(std::span<const std::string_view> pieces) {
  std::uint64_t total = 0;
  for (std::string_view piece : pieces) total += piece.size();
  return total;
}

void WritePieces(HANDLE file, std::span<const std::string_view> pieces, const std::string& path) {
  LARGE_INTEGER start{};
  if (!::SetFilePointerEx(file, start, nullptr, FILE_BEGIN))
    Fail(::GetLastError(), "Cannot write", path);
  for (std::string_view piece : pieces) {
    while (!piece.empty()) {
      DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(piece.size(), 1u << 30));
      DWORD written = 0;
      if (!::WriteFile(file, piece.data(), chunk, &written, nullptr))
        Fail(::GetLastError(), "Cannot write", path);
      if (written == 0) Fail(ERROR_DISK_FULL, "Cannot write", path);
      piece.remove_prefix(written);
    }
  }
}

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

// The file's full path as the system names it now.
std::wstring FinalPath(HANDLE h) {
  std::wstring path(MAX_PATH, L'\0');
  DWORD n = ::GetFinalPathNameByHandleW(h, path.data(), static_cast<DWORD>(path.size()), 0);
  if (n >= path.size()) {
    path.resize(n + 1);
    n = ::GetFinalPathNameByHandleW(h, path.data(), static_cast<DWORD>(path.size()), 0);
  }
  if (n == 0 || n >= path.size()) return {};
  path.resize(n);
  return path;
}

// Room for the file to grow to `size` bytes, taken before anything is overwritten, so that a
// full disk fails the rewrite while the old text is whole. Where the system cannot reserve
// (Wine), at least the free room must be there.
void ReserveRoom(HANDLE file, std::uint64_t growth, std::uint64_t size, const std::string& path) {
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
  if (free.QuadPart < growth + 65536) Fail(ERROR_DISK_FULL, "Cannot write", path);
}

// Renames the open file `file` to `name` in `folder`, over what is there.
bool RenameRelative(HANDLE file, HANDLE folder, const std::wstring& name) {
  auto rename = [file](HANDLE root, const std::wstring& target) {
    std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = root;
    info->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
    std::copy(target.begin(), target.end(), info->FileName);
    return ::SetFileInformationByHandle(file, FileRenameInfo, info,
                                        static_cast<DWORD>(buffer.size())) != 0;
  };
  if (rename(folder, name)) return true;
  if (::GetLastError() != ERROR_INVALID_PARAMETER) return false;
  // Wine takes no folder handle for a rename: the held folder's own full path then names it
  // (it cannot be renamed or removed while it is held).
  std::wstring path = FinalPath(folder);
  if (path.empty()) return false;
  if (path.back() != L'\\') path += L'\\';
  return rename(nullptr, path + name);
}

void DeleteOpenFile(HANDLE file) {
  FILE_DISPOSITION_INFO info{TRUE};
  ::SetFileInformationByHandle(file, FileDispositionInfo, &info, sizeof info);
}

std::wstring NewFileName(const std::string& name, unsigned attempt) {
  return Wide(name) + L".new~" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
         std::to_wstring(attempt);
}

// A new file beside `name` in `folder`, opened to be written, renamed and deleted by handle.
HANDLE CreateNewFile(HANDLE folder, const std::string& name) {
  for (unsigned attempt = 0; attempt <= 100; ++attempt) {
    HANDLE h = OpenRelative(folder, NewFileName(name, attempt),
                            GENERIC_WRITE | DELETE | READ_CONTROL | WRITE_DAC | WRITE_OWNER, 0,
                            FILE_CREATE, FILE_NON_DIRECTORY_FILE);
    if (h == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_ACCESS_DENIED)
      h = OpenRelative(folder, NewFileName(name, attempt), GENERIC_WRITE | DELETE, 0, FILE_CREATE,
                       FILE_NON_DIRECTORY_FILE);
    // A name taken (by a file an earlier run left behind) is reported as "already exists".
    const DWORD error = ::GetLastError();
    if (h != INVALID_HANDLE_VALUE || (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS))
      return h;
  }
  return INVALID_HANDLE_VALUE;
}

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

FileRewrite::~FileRewrite() = default;

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

void FileRewrite::Write(std::span<const std::string_view> pieces) {
  HANDLE file = file_.Get();
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(file, &info))
    Fail(::GetLastError(), "Cannot write", shown_path_);

  // What a new file would not get from its attributes (encryption, compression, sparseness, a
  // file kept elsewhere) keeps the file where it is.
  constexpr DWORD kKeptByTheFileItself = FILE_ATTRIBUTE_ENCRYPTED | FILE_ATTRIBUTE_COMPRESSED |
                                         FILE_ATTRIBUTE_SPARSE_FILE | FILE_ATTRIBUTE_OFFLINE |
                                         FILE_ATTRIBUTE_REPARSE_POINT;
  if (!through_link_ && info.nNumberOfLinks == 1 &&
      (info.dwFileAttributes & kKeptByTheFileItself) == 0 && OnlyTheDataStream(file)) {
    UniqueHandle fresh(CreateNewFile(folder_.Get(), name_));
    if (fresh.IsOpen()) {
      bool ready = false;
      try {
        WritePieces(fresh.Get(), pieces, shown_path_);
        // The old file's attributes and creation time; a changed file is marked for backup, as
        // Windows marks any file written.
        FILE_BASIC_INFO basic{};
        basic.CreationTime.LowPart = info.ftCreationTime.dwLowDateTime;
        basic.CreationTime.HighPart = static_cast<LONG>(info.ftCreationTime.dwHighDateTime);
        basic.FileAttributes =
            (info.dwFileAttributes & ~FILE_ATTRIBUTE_NORMAL) | FILE_ATTRIBUTE_ARCHIVE;
        if (!::FlushFileBuffers(fresh.Get())) Fail(::GetLastError(), "Cannot write", shown_path_);
        ready = CopySecurity(file, fresh.Get()) &&
                ::SetFileInformationByHandle(fresh.Get(), FileBasicInfo, &basic, sizeof basic);
      } catch (...) {
        DeleteOpenFile(fresh.Get());
        throw;
      }
      if (ready) {
        // Windows renames nothing over a file that is open, this process's own handle included.
        file_.Reset();
        if (RenameRelative(fresh.Get(), folder_.Get(), Wide(name_))) return;
        DeleteOpenFile(fresh.Get());
        // Someone else holds the file open: it is rewritten in place after all, if it is still
        // the file that was read.
        file_ = ReopenSame(folder_.Get(), Wide(name_), info, shown_path_);
        file = file_.Get();
      } else {
        DeleteOpenFile(fresh.Get());
      }
    }
  }

  // In place: room for the new text is taken first, then the text written over the old and
  // the file cut to length.
  const std::uint64_t size = TotalSize(pieces);
  const std::uint64_t old_size =
      (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  if (size > old_size) ReserveRoom(file, size - old_size, size, shown_path_);
  WritePieces(file, pieces, shown_path_);
  LARGE_INTEGER end{};
  end.QuadPart = static_cast<LONGLONG>(size);
  if (!::SetFilePointerEx(file, end, nullptr, FILE_BEGIN) || !::SetEndOfFile(file) ||
      !::FlushFileBuffers(file))
    Fail(::GetLastError(), "Cannot write", shown_path_);
}

void FileRewrite::Create(const FolderHandle& folder, const std::string& name, std::string_view text,
                         const std::string& shown_path) {
  UniqueHandle fresh(CreateNewFile(folder.Get(), name));
  if (!fresh.IsOpen()) Fail(::GetLastError(), "Cannot write", shown_path);
  const std::string_view pieces[] = {text};
  try {
    WritePieces(fresh.Get(), pieces, shown_path);
    if (!::FlushFileBuffers(fresh.Get())) Fail(::GetLastError(), "Cannot write", shown_path);
    if (!RenameRelative(fresh.Get(), folder.Get(), Wide(name)))
      Fail(::GetLastError(), "Cannot write", shown_path);
  } catch (...) {
    DeleteOpenFile(fresh.Get());
    throw;
  }
}

}  // namespace vorn
