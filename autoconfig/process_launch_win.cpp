#include <windows.h>

#include <string>

#include "autoconfig/process_launch.h"
#include "common/run_error.h"

namespace vorn::autoconfig {

std::string KelvarinFileName() { return "Kelvarin.exe"; }

void StartDetachedProcess(const std::string& path) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  // No command-line text: the program gets no arguments. The current directory is inherited.
  if (!::CreateProcessA(path.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
    throw SystemError(static_cast<int>(::GetLastError()), "Cannot start " + path);
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
}

}  // namespace vorn::autoconfig
