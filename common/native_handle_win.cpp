// UniqueHandle on Windows: a HANDLE, closed with CloseHandle(). One division: Close.
#include <windows.h>

#include "common/native_handle.h"

namespace vorn {

bool UniqueHandle::Close() {
  HANDLE handle = Release();
  return handle == INVALID_HANDLE_VALUE || ::CloseHandle(handle) != 0;
}

}  // namespace vorn
