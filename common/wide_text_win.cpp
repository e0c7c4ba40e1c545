// Windows texts between the programs' 8-bit texts and wide characters. Divisions, in order:
// the one conversion to wide characters; ANSI both ways; UTF-8 both ways.
#include <windows.h>

#include "common/wide_text.h"

namespace vorn {

namespace {

std::wstring ToWide(UINT codePage, DWORD flags, std::string_view text, bool& ok) {
  ok = true;
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int n = MultiByteToWideChar(codePage, flags, text.data(), length, nullptr, 0);
  if (n <= 0) {
    ok = false;
    return {};
  }
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(codePage, flags, text.data(), length, wide.data(), n);
  return wide;
}

}  // namespace

std::wstring AnsiToWide(std::string_view ansi) {
  bool ok = false;
  return ToWide(CP_ACP, 0, ansi, ok);
}

std::string WideToAnsi(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int length = static_cast<int>(wide.size());
  const int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, "?", nullptr);
  std::string ansi(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), length, ansi.data(), n, "?", nullptr);
  return ansi;
}

std::string WideToUtf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int length = static_cast<int>(wide.size());
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, utf8.data(), n, nullptr, nullptr);
  return utf8;
}

std::wstring Utf8ToWide(std::string_view utf8) {
  bool ok = false;
  std::wstring wide = ToWide(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, ok);
  return ok ? wide : AnsiToWide(utf8);
}

}  // namespace vorn
