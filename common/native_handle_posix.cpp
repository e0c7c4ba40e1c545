// UniqueHandle on POSIX: a file descriptor, closed with close(). One division: Close.
#include <unistd.h>

#include "common/native_handle.h"

namespace vorn {

bool UniqueHandle::Close() {
  const int fd = Release();
  return fd < 0 || ::close(fd) == 0;
}

}  // namespace vorn
