#pragma once

#include <string>
#include <utility>

#include "common/native_handle.h"

namespace vorn {

// An open folder: files in it are opened, written and renamed relative to this handle, so
// that once the folder was found nothing is looked up by path again and no link on the way can
// send a write elsewhere. Moves, never copies; closes the folder when it goes.
class FolderHandle {
 public:
  FolderHandle() = default;
  explicit FolderHandle(UniqueHandle handle) : handle_(std::move(handle)) {}

  // Opens the folder named by `path`, following links on the way as any path lookup does.
  // Throws RunError when it cannot be opened.
  static FolderHandle Open(const std::string& path);

  // Opens the sub-folder `name` of this folder, relative to this handle, never through a link
  // (a symbolic link, junction or other reparse point is refused). Throws RunError.
  FolderHandle OpenSubFolder(const std::string& name) const;

  bool IsOpen() const { return handle_.IsOpen(); }
  NativeHandle Get() const { return handle_.Get(); }
  void Close() { handle_.Reset(); }

 private:
  UniqueHandle handle_;
};

}  // namespace vorn
