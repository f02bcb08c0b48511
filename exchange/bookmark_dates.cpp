#include "exchange/bookmark_dates.h"

#include <limits>

Time32 ReadBookmarkDate(std::optional<std::string_view> value) {
  if (!value || value->empty()) return 0;
  int64_t seconds = 0;
  for (const char c : *value) {
    if (c < '0' || c > '9') return 0;
    seconds = seconds * 10 + (c - '0');
    if (seconds > std::numeric_limits<Time32>::max()) return 0;
  }
  return static_cast<Time32>(seconds);
}

TopicTimes ImportedTimes(const BookmarkDates& dates, bool folder, Time32 now) {
  const Time32 last = folder ? dates.modified : dates.visited;
  const Time32 first = dates.added ? dates.added : last;
  if (!first) return {now, now};
  return {first, last ? last : first};
}
