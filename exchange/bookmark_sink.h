#pragma once

#include <string>

#include "exchange/bookmark_dates.h"

// Receives the contents of a bookmark file in file order: a folder's entries come between its
// BeginFolder and its EndFolder, and every BeginFolder gets its EndFolder. Names and URLs are
// UTF-8 with the file's character references decoded; dates are those the entry's tag carries.
class BookmarkSink {
 public:
  virtual ~BookmarkSink() = default;
  virtual void BeginFolder(std::string name, BookmarkDates dates) = 0;
  virtual void AddLink(std::string name, std::string url, BookmarkDates dates) = 0;
  virtual void EndFolder() = 0;
};
