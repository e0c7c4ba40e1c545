#pragma once

#include <filesystem>

#include "tests/support/temp_dir.h"

namespace vorn::fuzz {

// One scratch folder for the whole fuzzing process (made on first use, emptied by the callers
// between inputs), removed when the process ends normally.
class FuzzTempDir {
 public:
  static const std::filesystem::path& Path() {
    static const ::vorn::testing::TempDir dir;
    static const std::filesystem::path path = dir.Path();
    return path;
  }

  // Removes everything inside the folder, links included (never followed).
  static void Clear() {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(Path(), ec))
      std::filesystem::remove_all(entry.path(), ec);
  }
};

}  // namespace vorn::fuzz
