#pragma once

#include <string>

// Receives the contents of a bookmark file in file order: a folder's entries come between its
// BeginFolder and its EndFolder, and every BeginFolder gets its EndFolder. Names and URLs are
// UTF-8 with the file's character references decoded.
class BookmarkSink {
 public:
  virtual ~BookmarkSink() = default;
  virtual void BeginFolder(std::string name) = 0;
  virtual void AddLink(std::string name, std::string url) = 0;
  virtual void EndFolder() = 0;
};
