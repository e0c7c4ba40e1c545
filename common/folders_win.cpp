// The program's own folder and the current folder on Windows (declared in file_names.h).
#include <windows.h>

#include <string>
#include <vector>

#include "common/file_names.h"
#include "common/run_error.h"
#include "common/wide_text.h"

namespace vorn {

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
      return WideToUtf8(dir);
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
  return WideToUtf8(dir);
}

}  // namespace vorn
