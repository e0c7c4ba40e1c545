#include "common/run_error.h"

#include <system_error>

namespace vorn {

RunError FileError(const std::error_code& ec, const std::string& what) {
  ErrorNumber number = ErrorNumber::kDeviceIo;
  if (ec == std::errc::no_such_file_or_directory)
    number = ErrorNumber::kFileNotFound;
  else if (ec == std::errc::not_a_directory)
    number = ErrorNumber::kPathNotFound;
  else if (ec == std::errc::permission_denied || ec == std::errc::operation_not_permitted ||
           ec == std::errc::read_only_file_system || ec == std::errc::device_or_resource_busy)
    number = ErrorNumber::kPermissionDenied;
  else if (ec == std::errc::is_a_directory)
    number = ErrorNumber::kPathFileAccess;
  else if (ec == std::errc::no_space_on_device || ec == std::errc::file_too_large)
    number = ErrorNumber::kDiskFull;
  return RunError(number, what + ": " + ec.message());
}

}  // namespace vorn
