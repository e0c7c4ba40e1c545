#pragma once

#include "common/clock.h"

namespace vorn::testing {

// A clock that always says `now`.
class FixedClock final : public Clock {
 public:
  LocalTime now{2004, 3, 24, 16, 5, 28};
  LocalTime Now() const override { return now; }
};

}  // namespace vorn::testing
