#pragma once

#include <ctime>
#include <string>

// A Last-Modified value as servers write it ("Sun, 06 Nov 1994 08:49:37 GMT"), for the test servers.
inline std::string HttpDateText(std::time_t t) {
  std::tm tm{};
  gmtime_r(&t, &tm);
  char text[64];
  std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S GMT", &tm);
  return text;
}
