// NewFile on Windows: made, written, renamed and deleted through handles relative to the
// folder's handle, never by path. Divisions, in order:
//   1. the name a new file carries, and how a file is made, renamed and deleted by handle;
//   2. the file's life: open, flush, rename, discard.
// A killed run's new file keeps its name "<name>.new~<pid>-<n>"; nothing sweeps it here.
#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "common/file_names.h"
#include "common/file_rewrite_system.h"
#include "common/new_file.h"
#include "common/open_relative_win.h"

namespace vorn {

// ---- 1. Names and handles -------------------------------------------------------------------

namespace {

std::wstring Wide(const std::string& name) { return NativePath(name).wstring(); }

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

}  // namespace

// ---- 2. The file's life ---------------------------------------------------------------------

NewFile::NewFile(const FolderHandle& folder, std::string name, std::string shown_path)
    : folder_(folder), name_(std::move(name)), shown_path_(std::move(shown_path)) {}

bool NewFile::Open() {
  file_.Reset(CreateNewFile(folder_.Get(), name_));
  return file_.IsOpen();
}

// A new file takes its folder's inheritable rights when it is made.
void NewFile::TakeDefaultPermissions() {}

void NewFile::Flush() {
  if (!::FlushFileBuffers(file_.Get())) rewrite::FailLast("Cannot write", shown_path_);
}

bool NewFile::RenameIntoPlace() {
  if (!RenameRelative(file_.Get(), folder_.Get(), Wide(name_))) return false;
  file_.Reset();
  return true;
}

void NewFile::Discard() {
  if (file_.IsOpen()) DeleteOpenFile(file_.Get());
  file_.Reset();
}

}  // namespace vorn
