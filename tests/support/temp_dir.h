#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vorn::testing {

// True where the file system tells names apart by letter case (POSIX); Windows does not.
#ifdef _WIN32
inline constexpr bool kCaseSensitiveFiles = false;
#else
inline constexpr bool kCaseSensitiveFiles = true;
#endif

// A fresh folder for one test, removed with everything in it afterwards.
class TempDir {
 public:
  TempDir() {
    std::random_device random;
    auto base = std::filesystem::temp_directory_path();
    for (;;) {
      auto candidate = base / ("vorn-test-" + std::to_string(random()));
      if (std::filesystem::create_directory(candidate)) {
        path_ = candidate.string();
        break;
      }
    }
  }
  ~TempDir() {
    std::error_code ec;
    // Folders and files a test locked must be opened again before they can be removed; links
    // are left alone, so nothing outside the folder is touched.
    for (auto it = std::filesystem::recursive_directory_iterator(
             path_, std::filesystem::directory_options::skip_permission_denied, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      if (!it->is_symlink(ec))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    }
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::filesystem::path Path() const { return path_; }
  std::string operator/(const std::string& name) const {
    return (std::filesystem::path(path_) / name).string();
  }

 private:
  std::string path_;
};

// Writes `bytes` to `path`, creating the folders on the way.
inline void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

// The file's bytes, or nothing when it cannot be read.
inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The file's bytes; throws when it cannot be read.
inline std::string ReadBytes(const std::filesystem::path& path) {
  if (!std::ifstream(path, std::ios::binary))
    throw std::runtime_error("cannot read " + path.string());
  return ReadFile(path);
}

// The same as WriteBytes, for tests that name files by strings.
inline void WriteFile(const std::string& path, const std::string& bytes) {
  WriteBytes(path, bytes);
}

// Marks a file read-only for everyone (the read-only attribute on Windows).
inline void MakeReadOnly(const std::string& path) {
  namespace fs = std::filesystem;
  fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

}  // namespace vorn::testing
