#pragma once

#include <string>

namespace vorn::autoconfig {

// Starts the program file at `path` as a new process of its own, with no arguments, a normal
// window and this process's current directory; does not wait for it. Throws RunError when the
// program cannot be started (kFileNotFound when the file is missing).
void StartDetachedProcess(const std::string& path);

// The file name of Kelvarin's executable on this platform.
std::string KelvarinFileName();

}  // namespace vorn::autoconfig
