// Whole-file writes by path on Windows. Divisions, in order: the error; whether a file may be
// written; replacing a file's text through FileRewrite (a file made new when it is missing);
// appending in one write.
#include <windows.h>

#include <string>

#include "common/file_names.h"
#include "common/file_replace.h"
#include "common/file_rewrite.h"
#include "common/folder_handle.h"
#include "common/native_handle.h"
#include "common/run_error.h"

namespace vorn {

namespace {

[[noreturn]] void Fail(const std::string& path) {
  throw SystemError(static_cast<int>(GetLastError()), "Cannot write " + path);
}

}  // namespace

bool IsWritableFile(const std::string& path) {
  DWORD attributes = GetFileAttributesW(NativePath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  return (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) == 0;
}

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

void AppendToFile(const std::string& path, std::string_view bytes) {
  // FILE_APPEND_DATA alone: every write lands at the end, whole, whoever else appends.
  UniqueHandle file(CreateFileW(NativePath(path).c_str(), FILE_APPEND_DATA,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsOpen()) Fail(path);
  // A read-only file takes no entry, whoever runs the program.
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file.Get(), &info)) Fail(path);
  if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
    SetLastError(ERROR_ACCESS_DENIED);
    Fail(path);
  }
  DWORD written = 0;
  if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size())
    Fail(path);
  if (!file.Close()) Fail(path);
}

}  // namespace vorn
