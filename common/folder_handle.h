#pragma once

#include <cstdint>
#include <string>

namespace vorn {

// An open folder: files in it are opened, written and renamed relative to this handle, so
// that once the folder was found nothing is looked up by path again and no link on the way can
// send a write elsewhere. Moves, never copies; closes the folder when it goes.
class FolderHandle {
 public:
  // A file descriptor on POSIX, a HANDLE on Windows; -1 when nothing is open.
  using Native = std::intptr_t;
  static constexpr Native kNone = -1;

  FolderHandle() = default;
  explicit FolderHandle(Native native) : native_(native) {}
  ~FolderHandle() { Close(); }
  FolderHandle(FolderHandle&& other) noexcept : native_(other.Release()) {}
  FolderHandle& operator=(FolderHandle&& other) noexcept {
    if (this != &other) {
      Close();
      native_ = other.Release();
    }
    return *this;
  }
  FolderHandle(const FolderHandle&) = delete;
  FolderHandle& operator=(const FolderHandle&) = delete;

  // Opens the folder named by `path`, following links on the way as any path lookup does.
  // Throws RunError when it cannot be opened.
  static FolderHandle Open(const std::string& path);

  // Opens the sub-folder `name` of this folder, relative to this handle, never through a link
  // (a symbolic link, junction or other reparse point is refused). Throws RunError.
  FolderHandle OpenSubFolder(const std::string& name) const;

  bool IsOpen() const { return native_ != kNone; }
  Native Get() const { return native_; }
  Native Release() {
    Native native = native_;
    native_ = kNone;
    return native;
  }
  void Close();

 private:
  Native native_ = kNone;
};

}  // namespace vorn
