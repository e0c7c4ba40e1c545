#pragma once

#include <string>
#include <vector>

#include "autoconfig/launcher.h"

namespace vorn::autoconfig::testing {

// Records the programs Tesmo starts instead of starting them.
class RecordingLauncher final : public Launcher {
 public:
  void StartDetached(const std::string& path) override { started.push_back(path); }

  std::vector<std::string> started;
};

}  // namespace vorn::autoconfig::testing
