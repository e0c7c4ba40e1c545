// RunError on POSIX: an errno value as the error number and description the programs report.
#include <cerrno>
#include <cstring>
#include <string>

#include "common/run_error.h"

namespace vorn {

RunError SystemError(int code, const std::string& what) {
  ErrorNumber number = ErrorNumber::kDeviceIo;
  switch (code) {
    case ENOENT:
      number = ErrorNumber::kFileNotFound;
      break;
    case ENOTDIR:
      number = ErrorNumber::kPathNotFound;
      break;
    case EACCES:
    case EPERM:
    case EROFS:
      number = ErrorNumber::kPermissionDenied;
      break;
    case EISDIR:
      number = ErrorNumber::kPathFileAccess;
      break;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      number = ErrorNumber::kDiskFull;
      break;
    default:
      break;
  }
  return RunError(number, what + ": " + std::strerror(code));
}

}  // namespace vorn
