#pragma once

#include <cstdint>
#include <string>

#include "platform/clock.h"
#include "platform/time_zone.h"

// Calendar fields of a date and time, in the order and widths of the system-time record.
struct CalendarFields {
  uint16_t year = 1970;
  uint16_t month = 1;      // 1 to 12
  uint16_t dayOfWeek = 4;  // 0 Sunday to 6 Saturday
  uint16_t day = 1;        // day of the month
  uint16_t hour = 0;
  uint16_t minute = 0;
  uint16_t second = 0;
  uint16_t milliseconds = 0;

  bool operator==(const CalendarFields&) const = default;
};

// Reads a Last-Modified value in either comma form ("Sun, 06 Nov 1994 08:49:37 GMT" or
// "Sunday, 06-Nov-94 08:49:37 GMT") into fields. Positional and unchecked: every field is taken
// at a fixed offset from the one before. An unknown weekday or month name leaves that field as
// it was handed in; other unexpected text gives unexpected values. Never reads past the text.
// Two-digit years 00..70 mean 2000..2070, 71..99 mean 1971..1999.
void ParseHttpDate(const std::string& text, CalendarFields& fields);

// value - biasMinutes * 60: the standard bias only, never the daylight-saving one.
Time32 UtcToLocal(Time32 value, int32_t biasMinutes);
Time32 UtcToLocal(Time32 value, const TimeZone& zone);

// The instant the fields name when read as UTC (as HTTP dates are), in seconds since
// 1970-01-01 00:00:00 UTC. No time zone is involved, so daylight saving cannot shift it.
// 64-bit, because a server may name a date past 2038. Fields out of their ranges carry over
// as they do for timegm (month 13 is January of the next year, day 0 the last of the month
// before).
int64_t HttpDateToTime(const CalendarFields& fields);
