#include "platform/clock.h"

#include <gtest/gtest.h>
#include <time.h>

#include <limits>

namespace {

using namespace std::chrono;

Time32 At(nanoseconds sinceEpoch) {
  return SystemClock(
             [=] { return system_clock::time_point(duration_cast<system_clock::duration>(sinceEpoch)); })
      .Now();
}

TEST(SystemClock, GivesTheWholeSecondTheMomentLiesIn) {
  const seconds x{1700000000};
  EXPECT_EQ(1700000000, At(x));
  EXPECT_EQ(1700000000, At(x + 2900us));  // the first milliseconds of a second belong to it
  EXPECT_EQ(1700000000, At(x + 999999999ns));
  EXPECT_EQ(1700000001, At(x + 1s));
  // Before 1970 a moment still belongs to the second that began before it.
  EXPECT_EQ(0, At(0ns));
  EXPECT_EQ(-1, At(-1ns));
  EXPECT_EQ(-1, At(-1s));
  EXPECT_EQ(-2, At(-1s - 1ns));
  // Outside the range of Time32 the clock stays at its ends instead of wrapping around.
  constexpr Time32 kLast = std::numeric_limits<Time32>::max();
  constexpr Time32 kFirst = std::numeric_limits<Time32>::min();
  EXPECT_EQ(kLast, At(seconds(kLast) + 999ms));
  EXPECT_EQ(kLast, At(seconds(kLast) + 1s));
  EXPECT_EQ(kLast, At(hours(24 * 365 * 200)));
  EXPECT_EQ(kFirst, At(seconds(kFirst)));
  EXPECT_EQ(kFirst, At(seconds(kFirst) - 1ns));
}

timespec RealTime() {
  timespec t{};
  ::clock_gettime(CLOCK_REALTIME, &t);
  return t;
}

// Sampled in the first milliseconds of a second, the system clock is never behind CLOCK_REALTIME.
TEST(SystemClock, IsNotBehindTheRealTimeClockAfterASecondBegins) {
  SystemClock clock;
  long samples = 0;
  for (int attempt = 0; attempt < 5 && samples == 0; ++attempt) {  // a busy machine may miss one
    const time_t second = RealTime().tv_sec + 1;
    timespec t = RealTime();
    while (t.tv_sec < second) t = RealTime();
    for (; t.tv_sec == second && t.tv_nsec < 5000000; t = RealTime(), ++samples) {
      ASSERT_GE(clock.Now(), t.tv_sec) << "at " << t.tv_sec << " s + " << t.tv_nsec << " ns";
    }
  }
  EXPECT_GT(samples, 0);
}

}  // namespace
