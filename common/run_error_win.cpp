// RunError on Windows: a Windows error code as the error number the programs report, with the
// system's own description of it.
#include <windows.h>

#include <string>

#include "common/run_error.h"
#include "common/wide_text.h"

namespace vorn {

namespace {

std::string Describe(DWORD code) {
  wchar_t* text = nullptr;
  FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string description = text != nullptr ? WideToUtf8(text) : "error " + std::to_string(code);
  if (text != nullptr) LocalFree(text);
  while (!description.empty() && (description.back() == '\n' || description.back() == '\r' ||
                                  description.back() == ' ' || description.back() == '.'))
    description.pop_back();
  return description;
}

}  // namespace

RunError SystemError(int code, const std::string& what) {
  ErrorNumber number = ErrorNumber::kDeviceIo;
  switch (static_cast<DWORD>(code)) {
    case ERROR_FILE_NOT_FOUND:
      number = ErrorNumber::kFileNotFound;
      break;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
      number = ErrorNumber::kPathNotFound;
      break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      number = ErrorNumber::kPermissionDenied;
      break;
    case ERROR_DIRECTORY:
      number = ErrorNumber::kPathFileAccess;
      break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      number = ErrorNumber::kDiskFull;
      break;
    default:
      break;
  }
  return RunError(number, what + ": " + Describe(static_cast<DWORD>(code)));
}

}  // namespace vorn
