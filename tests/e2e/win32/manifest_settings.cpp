// Prints how an executable declares itself to Windows' display scaling, read from its
// manifest the way Windows reads it when it starts the program (an activation context):
//   manifest_settings EXE
// Output, one line: dpiAware=VALUE dpiAwareness=VALUE (a value is empty when not declared).
// Exit status 1 when the executable carries no manifest.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string Setting(HANDLE context, const wchar_t* nameSpace, const wchar_t* name) {
  wchar_t value[64] = {};
  SIZE_T written = 0;
  if (!QueryActCtxSettingsW(0, context, nameSpace, name, value, 64, &written)) return {};
  std::string narrow;
  for (const wchar_t* c = value; *c != L'\0'; ++c) narrow += static_cast<char>(*c);
  return narrow;
}

}  // namespace

int wmain(int argc, wchar_t* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: manifest_settings EXE\n");
    return 2;
  }
  ACTCTXW request{};
  request.cbSize = sizeof request;
  request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  request.lpSource = argv[1];
  // The manifest Windows reads when it starts a program.
  request.lpResourceName = MAKEINTRESOURCEW(1);
  HANDLE context = CreateActCtxW(&request);
  if (context == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "no manifest in %ls\n", argv[1]);
    return 1;
  }
  std::printf(
      "dpiAware=%s dpiAwareness=%s\n",
      Setting(context, L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware")
          .c_str(),
      Setting(context, L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness")
          .c_str());
  ReleaseActCtx(context);
  return 0;
}
