// The local clock. Tests can fix the time the clock reports.
#pragma once

namespace jf {

struct LocalTime {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;  // 0..59 (a leap second reads as 59)
};

// The current local date and time, or the fixed time while one is set.
LocalTime LocalNow();

// Makes LocalNow report t until ClearFixedLocalTime; for tests.
void FixLocalTime(const LocalTime& t);
void ClearFixedLocalTime();

// The operating system's clock, read once (implemented per platform).
LocalTime SystemLocalNow();

}  // namespace jf
