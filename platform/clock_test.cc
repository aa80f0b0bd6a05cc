#include "platform/clock.h"

#include <gtest/gtest.h>

namespace jf {
namespace {

TEST(Clock, ReportsAPlausibleLocalTimeOrTheFixedOne) {
  const LocalTime now = LocalNow();
  EXPECT_GE(now.year, 2020);
  EXPECT_GE(now.month, 1);
  EXPECT_LE(now.month, 12);
  EXPECT_GE(now.day, 1);
  EXPECT_LE(now.day, 31);
  EXPECT_LE(now.hour, 23);
  EXPECT_LE(now.minute, 59);
  EXPECT_LE(now.second, 59);

  FixLocalTime(LocalTime{2003, 12, 31, 23, 59, 58});
  const LocalTime fixed = LocalNow();
  EXPECT_EQ(fixed.year, 2003);
  EXPECT_EQ(fixed.second, 58);
  ClearFixedLocalTime();
  EXPECT_GE(LocalNow().year, 2020);
}

}  // namespace
}  // namespace jf
