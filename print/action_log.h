#pragma once

#include <string>
#include <utility>

#include "common/clock.h"

namespace vorn::print {

inline constexpr const char* kActionLogFileName = "actionlog.txt";

// The morning and afternoon designators of the user's locale.
struct DayHalfNames {
  std::string am = "AM";
  std::string pm = "PM";
};

// "yyyy-mm-dd hh:mm:ss AM" on the 12-hour clock (01..12).
std::string FormatLogTimestamp(const LocalTime& time, const DayHalfNames& names);

// Kelvarin's action log: "actionlog.txt" in its folder (the application directory), each
// entry stamped by its clock in the user's morning and afternoon designators.
class ActionLog {
 public:
  ActionLog(const Clock& clock, DayHalfNames dayHalves, std::string folder)
      : clock_(clock), dayHalves_(std::move(dayHalves)), folder_(std::move(folder)) {}

  // Appends "<timestamp> - <message>" CR LF, in one append. Any failure abandons the entry
  // silently; the result tells whether it landed.
  bool Write(const std::string& message) const;

  const std::string& Folder() const { return folder_; }

 private:
  const Clock& clock_;
  DayHalfNames dayHalves_;
  std::string folder_;
};

}  // namespace vorn::print
