#pragma once

#include "common/clock.h"

namespace vorn::print::test {

// The dialogs never ask the time; the context still needs a clock.
class FixedClock final : public Clock {
 public:
  LocalTime Now() const override { return {2024, 3, 1, 9, 30, 0}; }
};

}  // namespace vorn::print::test
