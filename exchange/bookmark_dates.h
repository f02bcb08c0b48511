#pragma once

#include <optional>
#include <string_view>

#include "platform/clock.h"

// The dates a bookmark file gives an entry, in seconds since 1970; 0 where it gives none.
struct BookmarkDates {
  Time32 added = 0;     // ADD_DATE
  Time32 visited = 0;   // LAST_VISIT, or LAST_VISITED as Hopwise writes it
  Time32 modified = 0;  // LAST_MODIFIED

  bool operator==(const BookmarkDates&) const = default;
};

// The value of a date attribute: decimal seconds since 1970 that fit a Time32. Anything else (no
// value, 0, a sign, other characters, a number too large, such as milliseconds) gives 0: no date.
Time32 ReadBookmarkDate(std::optional<std::string_view> value);

// The first and last visit of a Topic made from an entry with these dates.
struct TopicTimes {
  Time32 firstVisited = 0;
  Time32 lastVisited = 0;

  bool operator==(const TopicTimes&) const = default;
};

// A link's first visit is its ADD_DATE, its last visit its LAST_VISIT, each standing in for the
// other when only one is given; a folder's last visit is its LAST_MODIFIED, else its ADD_DATE. An
// entry without dates gets now for both.
TopicTimes ImportedTimes(const BookmarkDates& dates, bool folder, Time32 now);
