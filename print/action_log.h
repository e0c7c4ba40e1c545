#pragma once

#include <string>

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

struct KelvarinContext;

// Appends "<timestamp> - <message>" CR LF to "actionlog.txt" in the application directory,
// in one append. Any failure abandons the entry silently; the result tells whether it landed.
bool WriteActionLog(KelvarinContext& ctx, const std::string& message);

}  // namespace vorn::print
