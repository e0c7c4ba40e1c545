#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "common/native_handle.h"

namespace vorn {

// A regular file held open for reading or appending. Opening never waits: a pipe, a device or a
// socket under the name is refused at once instead of blocking the program, and so is a
// folder. A link to a regular file opens that file.
class RegularFile {
 public:
  enum class Mode {
    kRead,    // an existing file, from its start
    kAppend,  // created if missing; every write lands whole at the end
  };

  // Opens the file at `path`. Throws RunError: 53 when it is missing (reading), 75 when the
  // name is not a regular file, 70 when it may not be opened (appending to a file marked
  // read-only counts, whoever runs the program).
  static RegularFile Open(const std::string& path, Mode mode);

  RegularFile(RegularFile&& other) noexcept = default;
  RegularFile& operator=(RegularFile&& other) noexcept = default;
  RegularFile(const RegularFile&) = delete;
  RegularFile& operator=(const RegularFile&) = delete;

  // The file's size when it was opened.
  std::uint64_t Size() const { return size_; }
  const std::string& Path() const { return path_; }

  // Reads up to `count` bytes into `buffer`; 0 at the end. Throws RunError 57 on failure.
  std::size_t Read(char* buffer, std::size_t count);

  // Appends `bytes` in one write, so that two processes appending at once never mix their
  // entries. Throws RunError on failure or when only part could be written.
  void Append(std::string_view bytes);

  // Closes the file; throws RunError when closing reports a failure (a delayed write error).
  void Close();

 private:
  RegularFile(UniqueHandle handle, std::string path)
      : handle_(std::move(handle)), path_(std::move(path)) {}

  UniqueHandle handle_;  // closed once Close() was called
  std::string path_;
  std::uint64_t size_ = 0;
};

}  // namespace vorn
