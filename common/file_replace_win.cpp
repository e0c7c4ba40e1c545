// Replacing a file's whole text by path on Windows, through FileRewrite: a missing file is
// made new. Divisions, in order: the error; ReplaceFileContents.
#include <windows.h>

#include <string>

#include "common/file_names.h"
#include "common/file_replace.h"
#include "common/file_rewrite.h"
#include "common/folder_handle.h"
#include "common/run_error.h"

namespace vorn {

namespace {

[[noreturn]] void Fail(const std::string& path) {
  throw SystemError(static_cast<int>(GetLastError()), "Cannot write " + path);
}

}  // namespace

void ReplaceFileContents(const std::string& path, std::string_view bytes) {
  const auto slash = path.find_last_of("\\/");
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string dir = slash == std::string::npos ? "." : path.substr(0, slash);
  if (dir.size() == 2 && dir[1] == ':') dir += '\\';  // "C:" alone names the drive's current folder
  const FolderHandle folder = FolderHandle::Open(dir);
  DWORD attributes = GetFileAttributesW(NativePath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    if (GetLastError() != ERROR_FILE_NOT_FOUND) Fail(path);
    FileRewrite::Create(folder, name, bytes, path);
    return;
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    SetLastError(ERROR_DIRECTORY);
    Fail(path);
  }
  // A link keeps being a link, and the file it names gets the text.
  FileRewrite file(folder, name, LinkRule::kFollow, path);
  const std::string_view pieces[] = {bytes};
  file.Write(pieces);
}

}  // namespace vorn
