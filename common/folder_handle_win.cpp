// FolderHandle on Windows: a folder's HANDLE opened with backup semantics. Divisions, in
// order: a folder opened by path; a sub-folder opened relative to its parent (NtCreateFile),
// never through a reparse point.
#include <windows.h>

#include "common/file_names.h"
#include "common/folder_handle.h"
#include "common/open_relative_win.h"
#include "common/run_error.h"

namespace vorn {

FolderHandle FolderHandle::Open(const std::string& path) {
  // A folder is opened with backup semantics; others may read and write in it, but it cannot
  // be renamed or removed while it is held, so a path through it keeps naming it.
  HANDLE h = ::CreateFileW(NativePath(path).c_str(),
                           FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    throw SystemError(static_cast<int>(::GetLastError()), "Cannot open the folder " + path);
  return FolderHandle(UniqueHandle(h));
}

FolderHandle FolderHandle::OpenSubFolder(const std::string& name) const {
  HANDLE h = OpenRelative(
      Get(), NativePath(name).wstring(), FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES,
      FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_OPEN, FILE_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT);
  if (h == INVALID_HANDLE_VALUE)
    throw SystemError(static_cast<int>(::GetLastError()), "Cannot open the folder " + name);
  FolderHandle folder{UniqueHandle(h)};
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(h, &info))
    throw SystemError(static_cast<int>(::GetLastError()), "Cannot open the folder " + name);
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
    throw SystemError(ERROR_ACCESS_DENIED, "A link, not a folder: " + name);
  return folder;
}

}  // namespace vorn
