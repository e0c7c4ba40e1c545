#pragma once

#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <string>

#include "temp_dir.h"

namespace vorn::autoconfig::testing {

// A Wine-style prefix in a fresh folder: "<prefix>/dosdevices/d:" links to the folder Drive(),
// and WINEPREFIX names the prefix while the object lives.
class WinePrefix {
 public:
  WinePrefix() : prefix_(dir_.Path() / "prefix"), drive_(dir_.Path() / "drive_d") {
    std::filesystem::create_directories(prefix_ / "dosdevices");
    std::filesystem::create_directories(drive_);
    std::filesystem::create_directory_symlink(drive_, prefix_ / "dosdevices" / "d:");
    if (const char* old = ::getenv("WINEPREFIX")) old_ = old;
    ::setenv("WINEPREFIX", prefix_.c_str(), 1);
  }
  ~WinePrefix() {
    if (old_) {
      ::setenv("WINEPREFIX", old_->c_str(), 1);
    } else {
      ::unsetenv("WINEPREFIX");
    }
  }
  WinePrefix(const WinePrefix&) = delete;
  WinePrefix& operator=(const WinePrefix&) = delete;

  // The folder drive d: stands for.
  const std::filesystem::path& Drive() const { return drive_; }
  const std::filesystem::path& Prefix() const { return prefix_; }
  // The path a found file of drive d: is reported under: through the drive link.
  std::string DrivePath(const std::string& below) const {
    return (prefix_ / "dosdevices" / "d:").string() + "/" + below;
  }
  std::filesystem::path Root() const { return dir_.Path(); }

 private:
  ::vorn::testing::TempDir dir_;
  std::filesystem::path prefix_;
  std::filesystem::path drive_;
  std::optional<std::string> old_;
};

}  // namespace vorn::autoconfig::testing
