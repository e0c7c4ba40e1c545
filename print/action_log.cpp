#include "print/action_log.h"

#include <cstdio>

#include "common/file_names.h"
#include "common/regular_file.h"

namespace vorn::print {

std::string FormatLogTimestamp(const LocalTime& t, const DayHalfNames& names) {
  int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d ", t.year, t.month, t.day,
                hour12, t.minute, t.second);
  return buffer + (t.hour < 12 ? names.am : names.pm);
}

bool ActionLog::Write(const std::string& message) const {
  try {
    std::string entry = FormatLogTimestamp(clock_.Now(), dayHalves_) + " - " + message + "\r\n";
    std::string path = ResolveFileName(WithTrailingSeparator(folder_), kActionLogFileName);
    // Only a regular file takes entries: a pipe or a device under the log's name drops them
    // without waiting for a reader.
    RegularFile log = RegularFile::Open(path, RegularFile::Mode::kAppend);
    log.Append(entry);
    log.Close();
    return true;
  } catch (...) {
    // The log never stops a print run.
    return false;
  }
}

}  // namespace vorn::print
