#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/bookmark_collector.h"
#include "platform/clock.h"

// What an import takes from a browser's profile, before anything of Hopwise is changed.

// A page of the browser's history: the PageMark it becomes.
struct VisitedPage {
  std::string url;
  std::string title;
  Time32 firstVisited = 0;
  Time32 lastVisited = 0;
};

struct BrowserData {
  std::vector<VisitedPage> pages;  // most recently visited first
  // One folder per root of the browser's bookmarks (a bookmarks bar, a menu) that holds anything,
  // named for the Topic folder it becomes ("Chromium bookmarks bar"), with the tree below it.
  std::vector<BookmarkNode> roots;
  std::size_t bookmarks = 0;         // links among them
  std::size_t foldersFlattened = 0;  // nested too deep (see BookmarkCollector)
  std::size_t leftOut = 0;           // history entries and bookmarks whose address may not be opened
};

// The browsers' clocks: Chromium counts microseconds since 1601-01-01 UTC, Firefox microseconds
// since 1970. Both give seconds since 1970; 0 (the browsers' "never") and times outside a Time32
// give 0, no time.
Time32 FromChromiumTime(int64_t microseconds);
Time32 FromUnixMicroseconds(int64_t microseconds);

// Whether an address from a browser becomes a PageMark or a Topic link: not one of the browser's
// own pages (chrome:, about:, moz-extension:, place: and the like), and nothing the browser guard
// refuses to open (javascript:, data:, text beginning with "-").
bool IsImportableAddress(std::string_view url);
