#include "platform/clock.h"

#include <optional>

namespace jf {

namespace {
std::optional<LocalTime> fixed_time;
}  // namespace

LocalTime LocalNow() { return fixed_time ? *fixed_time : SystemLocalNow(); }

void FixLocalTime(const LocalTime& t) { fixed_time = t; }

void ClearFixedLocalTime() { fixed_time.reset(); }

}  // namespace jf
