#pragma once

#include <string>

#include "common/folder_handle.h"
#include "common/native_handle.h"

namespace vorn {

// The new text of a file while it is written, the lower layer of a rewrite (the policy above
// it is FileRewrite): made beside the file in the same folder, written, flushed and renamed
// over the file when complete, or discarded.
//
// Calling sequence: Open(), write through Get(), Flush(), RenameIntoPlace(); anything that
// goes wrong before the rename, an exception included, ends in Discard(), which the
// destructor also calls.
//
// Error handling: Open() and RenameIntoPlace() answer false with the system's error set
// (errno, or GetLastError() on Windows) for the caller to report or to fall back on; Flush()
// throws RunError.
//
// On Linux with /proc the file has no name until it is complete, so a run killed meanwhile
// leaves nothing; elsewhere it is "<name>.new<pid>-<n>" from the start, and Open() first
// removes those of killed earlier runs. On Windows it is "<name>.new~<pid>-<n>".
class NewFile {
 public:
  NewFile(const FolderHandle& folder, std::string name, std::string shown_path);
  ~NewFile() { Discard(); }
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;

  // Makes the file; false when the folder takes no new file.
  bool Open();

  NativeHandle Get() const { return file_.Get(); }

  // Gives the file the permissions any new file of the process gets.
  void TakeDefaultPermissions();

  // Writes the file's data to the disk. Throws RunError.
  void Flush();

  // Renames the complete file over the name it was made for and makes the rename durable.
  // False when the folder refuses; the file is then discarded when this object goes.
  bool RenameIntoPlace();

  // Removes the file if it was not renamed into place.
  void Discard();

 private:
  const FolderHandle& folder_;
  std::string name_;
  std::string shown_path_;
  UniqueHandle file_;
  std::string temp_;  // the name the file has in the folder until the rename; empty while none
};

}  // namespace vorn
