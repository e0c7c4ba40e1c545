// A stand-in for the system's icacls.exe in the test's Wine prefix (Wine's own is a stub that
// changes nothing): it records what it was asked and ends with the status it is told.
//   VORN_ICACLS_RECORD   file that gets one UTF-8 line per call: the arguments after the
//                        program's name, exactly as on the command line
//   VORN_ICACLS_STATUS   exit status (0 when unset)
//   VORN_ICACLS_FAIL_ON  when set, that status only for calls whose arguments hold this text
//   VORN_ICACLS_PLANT    a file to make (empty) at the first call, as a user would while the
//                        folder is still open to everyone
// Setup runs it with its own environment, which Wine passes on from the test.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

std::wstring Variable(const wchar_t* name) {
  wchar_t value[1024];
  const DWORD n = GetEnvironmentVariableW(name, value, 1024);
  return n > 0 && n < 1024 ? std::wstring(value, n) : std::wstring();
}

// The command line without the program's name, as CommandLineToArgvW would split it: a quoted
// name ends at the next quotation mark, a bare one at the first blank.
std::wstring Arguments(const wchar_t* line) {
  const wchar_t* p = line;
  if (*p == L'"') {
    ++p;
    while (*p != L'\0' && *p != L'"') ++p;
    if (*p == L'"') ++p;
  } else {
    while (*p != L'\0' && *p != L' ' && *p != L'\t') ++p;
  }
  while (*p == L' ' || *p == L'\t') ++p;
  return p;
}

}  // namespace

int wmain() {
  const std::wstring args = Arguments(GetCommandLineW());
  const std::wstring record = Variable(L"VORN_ICACLS_RECORD");
  if (!record.empty()) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, args.data(), static_cast<int>(args.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string line(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, args.data(), static_cast<int>(args.size()), line.data(), n,
                        nullptr, nullptr);
    line += '\n';
    FILE* file = _wfopen(record.c_str(), L"ab");
    if (file == nullptr) return 99;
    std::fwrite(line.data(), 1, line.size(), file);
    std::fclose(file);
  }
  const std::wstring plant = Variable(L"VORN_ICACLS_PLANT");
  if (!plant.empty()) {
    FILE* file = _wfopen(plant.c_str(), L"ab");
    if (file != nullptr) std::fclose(file);
  }
  const std::wstring status = Variable(L"VORN_ICACLS_STATUS");
  const std::wstring fail_on = Variable(L"VORN_ICACLS_FAIL_ON");
  if (status.empty() || (!fail_on.empty() && args.find(fail_on) == std::wstring::npos)) return 0;
  return static_cast<int>(std::wcstol(status.c_str(), nullptr, 10));
}
