#include "autoconfig/launcher.h"
#include "autoconfig/platform/process_launch.h"

namespace vorn::autoconfig {
namespace {

class ProcessLauncher final : public Launcher {
 public:
  void StartDetached(const std::string& path) override { StartDetachedProcess(path); }
};

}  // namespace

Launcher& SystemLauncher() {
  static ProcessLauncher launcher;
  return launcher;
}

}  // namespace vorn::autoconfig
