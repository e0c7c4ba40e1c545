// Starting Kelvarin on Windows: CreateProcessW with a normal window and no waiting.
// Divisions, in order: Kelvarin's file name; starting a program detached.
#include <windows.h>

#include <string>

#include "autoconfig/platform/process_launch.h"
#include "common/file_names.h"
#include "common/run_error.h"

namespace vorn::autoconfig {

std::string KelvarinFileName() { return "Kelvarin.exe"; }

void StartDetachedProcess(const std::string& path) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  // The command line names the program only, so it gets no arguments; the current directory
  // is inherited. Wide texts, so that a folder outside the ANSI code page still works.
  const std::wstring program = NativePath(path).wstring();
  std::wstring commandLine = L"\"" + program + L"\"";
  if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
    throw SystemError(static_cast<int>(::GetLastError()), "Cannot start " + path);
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
}

}  // namespace vorn::autoconfig
