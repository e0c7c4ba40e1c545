#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

#include "fuzz/fuzz_check.h"

namespace vorn::fuzz {

// One scratch folder for the whole fuzzing process (made on first use, emptied by the callers
// between inputs), removed when the process ends normally.
class FuzzTempDir {
 public:
  static const std::filesystem::path& Path() {
    static FuzzTempDir dir;
    return dir.path_;
  }

  // Removes everything inside the folder, links included (never followed).
  static void Clear() {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(Path(), ec))
      std::filesystem::remove_all(entry.path(), ec);
  }

 private:
  FuzzTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vorn-fuzz-XXXXXX").string();
    VORN_FUZZ_CHECK(::mkdtemp(pattern.data()) != nullptr, "cannot make a scratch folder");
    path_ = pattern;
  }
  ~FuzzTempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }

  std::filesystem::path path_;
};

}  // namespace vorn::fuzz
