// RegularFile on Windows. Divisions, in order: the errors; opening, refusing a device, a pipe
// and a folder; reading, appending in one write, closing.
#include <windows.h>

#include "common/file_names.h"
#include "common/regular_file.h"
#include "common/run_error.h"

namespace vorn {

namespace {

[[noreturn]] void Fail(const std::string& what) {
  throw SystemError(static_cast<int>(GetLastError()), what);
}

RunError NotARegularFile(const std::string& path) {
  return RunError(ErrorNumber::kPathFileAccess, "Cannot open " + path + ": not a regular file");
}

}  // namespace

RegularFile RegularFile::Open(const std::string& path, Mode mode) {
  // FILE_APPEND_DATA alone: every write lands at the end, whole, whoever else appends.
  const DWORD access = mode == Mode::kRead ? GENERIC_READ : FILE_APPEND_DATA;
  const DWORD share =
      FILE_SHARE_READ | FILE_SHARE_WRITE | (mode == Mode::kRead ? FILE_SHARE_DELETE : 0);
  HANDLE h = CreateFileW(NativePath(path).c_str(), access, share, nullptr,
                         mode == Mode::kRead ? OPEN_EXISTING : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    // A folder opens as "access denied"; it is not a file, whatever the rights.
    const DWORD error = GetLastError();
    const DWORD attributes = GetFileAttributesW(NativePath(path).c_str());
    if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
      throw NotARegularFile(path);
    SetLastError(error);
    Fail("Cannot open " + path);
  }
  RegularFile file(UniqueHandle(h), path);
  // A device (a serial port, the console) or a pipe answers with another type than a disk file.
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    throw NotARegularFile(path);
  // A read-only file takes no entry, whoever runs the program.
  if (mode == Mode::kAppend && (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    Fail("Cannot open " + path);
  }
  file.size_ = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  return file;
}

std::size_t RegularFile::Read(char* buffer, std::size_t count) {
  DWORD n = 0;
  const DWORD ask = count > 0x10000000 ? 0x10000000 : static_cast<DWORD>(count);
  if (!ReadFile(handle_.Get(), buffer, ask, &n, nullptr)) Fail("Cannot read " + path_);
  return n;
}

void RegularFile::Append(std::string_view bytes) {
  DWORD written = 0;
  if (!WriteFile(handle_.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
    Fail("Cannot write " + path_);
  if (written != bytes.size()) {
    SetLastError(ERROR_DISK_FULL);
    Fail("Cannot write " + path_);
  }
}

void RegularFile::Close() {
  if (!handle_.Close()) Fail("Cannot write " + path_);
}

}  // namespace vorn
