#include "windows/visit_time.h"

#include <ctime>

std::string FormatVisitTime(Time32 time) {
  const std::time_t when = time;
  std::tm local{};
  if (!::localtime_r(&when, &local)) return {};
  char text[128];
  const std::size_t length = std::strftime(text, sizeof text, "%x %I:%M %p", &local);
  return std::string(text, length);
}
