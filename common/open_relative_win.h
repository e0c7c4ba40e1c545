#pragma once

#include <windows.h>
#include <winternl.h>

#include <string>

namespace vorn {

// Opens or creates `name` in the folder `folder`, relative to the folder's handle, as openat
// does on POSIX. INVALID_HANDLE_VALUE, with the last error set, when it cannot.
inline HANDLE OpenRelative(HANDLE folder, const std::wstring& name, ACCESS_MASK access, ULONG share,
                           ULONG disposition, ULONG options) {
  UNICODE_STRING text;
  text.Buffer = const_cast<PWSTR>(name.c_str());
  text.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
  text.MaximumLength = text.Length;
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, folder, nullptr);
  IO_STATUS_BLOCK status{};
  HANDLE h = INVALID_HANDLE_VALUE;
  NTSTATUS result =
      ::NtCreateFile(&h, access | SYNCHRONIZE, &attributes, &status, nullptr, FILE_ATTRIBUTE_NORMAL,
                     share, disposition, options | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
  if (result < 0) {
    ::SetLastError(::RtlNtStatusToDosError(result));
    return INVALID_HANDLE_VALUE;
  }
  return h;
}

// The full path the system names the open file or folder `h` by now; empty when it cannot.
inline std::wstring FinalPath(HANDLE h) {
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

}  // namespace vorn
