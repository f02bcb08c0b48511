#include "platform/clock.h"

#include <ctime>

Time32 SystemClock::Now() const { return static_cast<Time32>(std::time(nullptr)); }
