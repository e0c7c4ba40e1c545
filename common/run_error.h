#pragma once

#include <stdexcept>
#include <string>
#include <system_error>

namespace vorn {

// Stable error numbers. They follow the numbering the VORN programs' support staff already
// know from the original platform, so a log line means the same thing on every system.
enum class ErrorNumber : int {
  kInvalidCall = 5,        // a routine was called with an argument it cannot take
  kOverflow = 6,           // a number does not fit where it must be stored
  kOutOfRange = 9,         // an index outside a fixed table
  kFileNotFound = 53,      // a file that must exist does not
  kDeviceIo = 57,          // a read or write failed part way
  kDiskFull = 61,          // no room left to write
  kPermissionDenied = 70,  // the file or folder may not be written or read
  kPathFileAccess = 75,    // the path names something that cannot be used as a file
  kPathNotFound = 76,      // a folder in the path does not exist
  kPrinterError = 482,     // the printer or the spooler refused the work
  kNoPrinter = 484,        // no printer is installed
};

// A failure with a number and a one-line description. Thrown where the platform fails;
// caught only by the routines that are meant to handle failures, everything else reaches main.
// The description is UTF-8, like the paths and system texts it is made of; it goes to the
// user's windows as it is and into code-page files (the action log) converted once.
class RunError : public std::runtime_error {
 public:
  RunError(ErrorNumber number, const std::string& description)
      : std::runtime_error(description), number_(static_cast<int>(number)) {}
  RunError(int number, const std::string& description)
      : std::runtime_error(description), number_(number) {}

  int Number() const { return number_; }
  std::string Description() const { return what(); }

 private:
  int number_;
};

// Maps an errno value (or a Windows error code on Windows) to the error number and a
// description, in one line.
RunError SystemError(int code, const std::string& what);

// The same for an error the standard library reports.
RunError FileError(const std::error_code& ec, const std::string& what);

}  // namespace vorn
