// The rules of the windows as plain functions. No display.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>

#include "windows/visit_time.h"

namespace {

TEST(VisitTimes, LocaleDateThenTwelveHourClock) {
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  std::setlocale(LC_TIME, "C");
  EXPECT_EQ("11/14/23 10:13 PM", FormatVisitTime(1700000000));
  EXPECT_EQ("01/01/70 12:00 AM", FormatVisitTime(0));
}

}  // namespace
