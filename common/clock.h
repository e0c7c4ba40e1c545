#pragma once

namespace vorn {

struct LocalTime {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
  int hour = 0;   // 0..23
  int minute = 0;
  int second = 0;
};

// The local date and time; a dependency so that tests can set it.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime Now() const = 0;
};

// The system's local time.
class SystemClock final : public Clock {
 public:
  LocalTime Now() const override;
};

}  // namespace vorn
