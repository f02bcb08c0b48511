#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "exchange/bookmark_sink.h"

// A folder or a link as read from a bookmark file.
struct BookmarkNode {
  bool isFolder = false;
  std::string name;
  std::string url;                     // a link's address
  std::vector<BookmarkNode> children;  // a folder's entries, in file order
  BookmarkDates dates;
};

// Keeps what a read hands over as a tree, so that nothing reaches the Topics before the whole file
// has been read (and so that the reading may run on another thread). Folders are kept down to
// maxDepth levels; a folder deeper than that is not made, and its links, and those of the folders
// inside it, go in file order to the deepest folder kept above it.
class BookmarkCollector : public BookmarkSink {
 public:
  explicit BookmarkCollector(std::size_t maxDepth);

  void BeginFolder(std::string name, BookmarkDates dates) override;
  void AddLink(std::string name, std::string url, BookmarkDates dates) override;
  void EndFolder() override;

  // The entries of the file's top level, in file order.
  const std::vector<BookmarkNode>& TopLevel() const { return top_; }
  std::vector<BookmarkNode>& TopLevel() { return top_; }
  std::size_t Folders() const { return folders_; }
  std::size_t Links() const { return links_; }
  // Folders that were not made because they lay deeper than maxDepth.
  std::size_t FlattenedFolders() const { return flattened_; }

 private:
  std::vector<BookmarkNode>& Current() { return open_.empty() ? top_ : open_.back()->children; }

  std::size_t maxDepth_;
  std::vector<BookmarkNode> top_;
  std::vector<BookmarkNode*> open_;  // the folders being filled, innermost last
  std::size_t beyond_ = 0;           // folders begun past maxDepth and not yet ended
  std::size_t folders_ = 0;
  std::size_t links_ = 0;
  std::size_t flattened_ = 0;
};
