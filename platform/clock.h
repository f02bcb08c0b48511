#pragma once

#include <cstdint>

// Seconds since 1970-01-01 00:00:00 UTC, signed 32-bit, as the store and the data files keep them.
using Time32 = int32_t;

// The wall clock, behind an interface so that visit times and the periodic save are testable.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual Time32 Now() const = 0;
};

class SystemClock : public Clock {
 public:
  Time32 Now() const override;
};
