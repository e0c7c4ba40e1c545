// Windows realisations of the small platform helpers: errors, file names, folders, the clock.
#include <windows.h>

#include <string>
#include <vector>

#include "common/clock.h"
#include "common/file_names.h"
#include "common/run_error.h"

namespace vorn {

namespace {

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n,
                      nullptr, nullptr);
  return utf8;
}

std::string Describe(DWORD code) {
  wchar_t* text = nullptr;
  FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string description = text != nullptr ? Utf8(text) : "error " + std::to_string(code);
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

std::filesystem::path NativePath(const std::string& path) {
  return std::filesystem::path(Wide(path));
}

const std::string& PathSeparator() {
  static const std::string separator = "\\";
  return separator;
}

std::string WithTrailingSeparator(std::string dir) {
  if (dir.empty() || (dir.back() != '\\' && dir.back() != '/')) dir.push_back('\\');
  return dir;
}

// The file system ignores letter case already.
std::string ResolveFileName(const std::string& dir, const std::string& name) {
  return dir.empty() ? name : WithTrailingSeparator(dir) + name;
}

std::string ApplicationDirectory() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) throw SystemError(static_cast<int>(GetLastError()), "Cannot find the program");
    if (n < buffer.size()) {
      std::wstring exe(buffer.data(), n);
      auto slash = exe.find_last_of(L"\\/");
      std::wstring dir = exe.substr(0, slash);
      if (dir.size() == 2 && dir[1] == L':') dir += L'\\';  // a drive root keeps its separator
      return Utf8(dir);
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::string CurrentDirectory() {
  DWORD n = GetCurrentDirectoryW(0, nullptr);
  std::wstring dir(n, L'\0');
  n = GetCurrentDirectoryW(n, dir.data());
  if (n == 0)
    throw SystemError(static_cast<int>(GetLastError()), "Cannot read the current directory");
  dir.resize(n);
  return Utf8(dir);
}

LocalTime SystemClock::Now() const {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

}  // namespace vorn
