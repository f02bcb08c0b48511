#pragma once

#include <cstdint>

// The machine's time zone, as far as Hopwise asks about it: the standard bias only.
class TimeZone {
 public:
  virtual ~TimeZone() = default;
  // Minutes to add to local standard time to get UTC (UTC = local + bias): -60 one hour east of
  // UTC, 300 five hours west. Daylight saving is not part of it.
  virtual int32_t StandardBiasMinutes() const = 0;
};

// The zone the C library knows (TZ, else the system's zone), read afresh on every call.
class SystemTimeZone : public TimeZone {
 public:
  int32_t StandardBiasMinutes() const override;
};
