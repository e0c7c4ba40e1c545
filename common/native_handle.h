#pragma once

#include <cstdint>

namespace vorn {

// The system's name for an open file or folder: a file descriptor on POSIX, a HANDLE on
// Windows. A HANDLE is a pointer, spelt here without windows.h so that the logic never sees it.
#ifdef _WIN32
using NativeHandle = void*;
#else
using NativeHandle = int;
#endif

// The value no open file or folder has: -1 on POSIX, INVALID_HANDLE_VALUE on Windows.
inline NativeHandle NoHandle() {
#ifdef _WIN32
  return reinterpret_cast<NativeHandle>(static_cast<std::intptr_t>(-1));
#else
  return -1;
#endif
}

// The one owner of a native handle: closes it when it goes, unless released first. Moves,
// never copies.
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(NativeHandle handle) : handle_(handle) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  bool IsOpen() const { return handle_ != NoHandle(); }
  NativeHandle Get() const { return handle_; }
  NativeHandle Release() {
    NativeHandle handle = handle_;
    handle_ = NoHandle();
    return handle;
  }
  // Closes what is held, whatever closing reports, and holds `handle` instead.
  void Reset(NativeHandle handle = NoHandle()) {
    Close();
    handle_ = handle;
  }
  // Closes what is held. False when closing reports a failure (a delayed write error), with
  // errno or the last error set; true when nothing was held.
  bool Close();

 private:
  NativeHandle handle_ = NoHandle();
};

}  // namespace vorn
