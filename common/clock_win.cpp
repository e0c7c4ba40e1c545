// The system's local time on Windows.
#include <windows.h>

#include "common/clock.h"

namespace vorn {

LocalTime SystemClock::Now() const {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

}  // namespace vorn
