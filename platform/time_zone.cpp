#include "platform/time_zone.h"

#include <ctime>
#include <mutex>

namespace {
// tzset() and the global `timezone` are shared by the whole process.
std::mutex zoneMutex;
}  // namespace

int32_t SystemTimeZone::StandardBiasMinutes() const {
  std::lock_guard lock(zoneMutex);
  tzset();
  // `timezone` holds the seconds west of UTC of standard time, which is the bias's sign.
  return static_cast<int32_t>(timezone / 60);
}
