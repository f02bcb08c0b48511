#pragma once

#include <string>

#include "platform/clock.h"

// A visit time as the windows show it: local time, "%x %I:%M %p" (the locale's date, the hour on
// the 12-hour clock and the minutes with two digits each, AM or PM).
std::string FormatVisitTime(Time32 time);
