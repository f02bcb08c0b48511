#include "platform/clock.h"

#include <limits>
#include <utility>

// Not time(): on Linux it follows the coarse kernel clock, which still reports the previous second
// for a few milliseconds after each second begins. std::chrono::system_clock reads
// clock_gettime(CLOCK_REALTIME), which does not lag.
SystemClock::SystemClock() : rawTime_([] { return std::chrono::system_clock::now(); }) {}

SystemClock::SystemClock(RawTime rawTime) : rawTime_(std::move(rawTime)) {}

Time32 SystemClock::Now() const {
  const auto seconds = std::chrono::floor<std::chrono::seconds>(rawTime_().time_since_epoch()).count();
  if (seconds > std::numeric_limits<Time32>::max()) return std::numeric_limits<Time32>::max();
  if (seconds < std::numeric_limits<Time32>::min()) return std::numeric_limits<Time32>::min();
  return static_cast<Time32>(seconds);
}
