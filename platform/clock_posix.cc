#include <ctime>

#include "platform/clock.h"

namespace jf {

LocalTime SystemLocalNow() {
  constexpr int kTmYearBase = 1900;
  constexpr int kLastSecond = 59;
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
  if (localtime_r(&now, &parts) == nullptr) return LocalTime{};
  LocalTime t;
  t.year = parts.tm_year + kTmYearBase;
  t.month = parts.tm_mon + 1;
  t.day = parts.tm_mday;
  t.hour = parts.tm_hour;
  t.minute = parts.tm_min;
  t.second = parts.tm_sec > kLastSecond ? kLastSecond : parts.tm_sec;
  return t;
}

}  // namespace jf
