#include <windows.h>

#include <string>

#include "common/file_names.h"
#include "common/file_replace.h"
#include "common/run_error.h"

namespace vorn {

namespace {

class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  bool Close() {
    HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return CloseHandle(h) != 0;
  }

 private:
  HANDLE h_;
};

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
  const std::wstring target = NativePath(path).wstring();
  DWORD attributes = GetFileAttributesW(target.c_str());
  bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    SetLastError(ERROR_DIRECTORY);
    Fail(path);
  }
  if (exists && (attributes & FILE_ATTRIBUTE_READONLY)) {
    SetLastError(ERROR_ACCESS_DENIED);
    Fail(path);
  }
  if (!exists && GetLastError() != ERROR_FILE_NOT_FOUND) Fail(path);

  const std::wstring temp = target + L".new~";
  {
    Handle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) Fail(path);
    std::size_t done = 0;
    while (done < bytes.size()) {
      DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
      DWORD written = 0;
      if (!WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr)) {
        DWORD error = GetLastError();
        file.Close();
        DeleteFileW(temp.c_str());
        SetLastError(error);
        Fail(path);
      }
      done += written;
    }
    if (!FlushFileBuffers(file.get()) || !file.Close()) {
      DWORD error = GetLastError();
      DeleteFileW(temp.c_str());
      SetLastError(error);
      Fail(path);
    }
  }
  // ReplaceFileW keeps the original's attributes and security; a new file is simply moved.
  BOOL replaced = exists ? ReplaceFileW(target.c_str(), temp.c_str(), nullptr,
                                        REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                         : MoveFileExW(temp.c_str(), target.c_str(),
                                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!replaced) {
    DWORD error = GetLastError();
    if (exists && (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT ||
                   error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)) {
      // The old file is already gone from its name and the new text exists only in the
      // temporary file: move it into place, and keep it if even that fails, never delete it.
      if (MoveFileExW(temp.c_str(), target.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return;
      Fail(path);
    }
    DeleteFileW(temp.c_str());
    SetLastError(error);
    Fail(path);
  }
}

void AppendToFile(const std::string& path, std::string_view bytes) {
  // FILE_APPEND_DATA alone: every write lands at the end, whole, whoever else appends.
  Handle file(CreateFileW(NativePath(path).c_str(), FILE_APPEND_DATA,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) Fail(path);
  // A read-only file takes no entry, whoever runs the program.
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file.get(), &info)) Fail(path);
  if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
    SetLastError(ERROR_ACCESS_DENIED);
    Fail(path);
  }
  DWORD written = 0;
  if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size())
    Fail(path);
  if (!file.Close()) Fail(path);
}

}  // namespace vorn
