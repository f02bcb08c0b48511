#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

// Seconds since 1970-01-01 00:00:00 UTC, signed 32-bit, as the store and the data files keep them.
using Time32 = int32_t;

// The wall clock, behind an interface so that visit times and the periodic save are testable.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual Time32 Now() const = 0;
};

// The system's wall clock. Now() is the whole second the current moment lies in, rounded down
// (also before 1970); a moment outside the range of Time32 gives its nearest end, so times never
// wrap around.
class SystemClock : public Clock {
 public:
  // Where the moment comes from. The default reads std::chrono::system_clock; a test pins it.
  using RawTime = std::function<std::chrono::system_clock::time_point()>;

  SystemClock();
  explicit SystemClock(RawTime rawTime);

  Time32 Now() const override;

 private:
  RawTime rawTime_;
};
