#pragma once

#include <string>

namespace vorn::autoconfig {

// How Tesmo starts another program: the system's process launcher in the programs, a record
// in tests. The run and its window reach the system only through their context.
class Launcher {
 public:
  virtual ~Launcher() = default;
  // Starts the program file at `path` as a process of its own, with no arguments, and does
  // not wait for it. Throws RunError when the program cannot be started (kFileNotFound when
  // the file is missing).
  virtual void StartDetached(const std::string& path) = 0;
};

// The launcher of the platform Tesmo runs on, one for the process.
Launcher& SystemLauncher();

}  // namespace vorn::autoconfig
