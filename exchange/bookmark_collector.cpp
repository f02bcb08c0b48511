#include "exchange/bookmark_collector.h"

#include <utility>

BookmarkCollector::BookmarkCollector(std::size_t maxDepth) : maxDepth_(maxDepth) {}

void BookmarkCollector::BeginFolder(std::string name, BookmarkDates dates) {
  if (open_.size() >= maxDepth_) {
    ++beyond_;
    ++flattened_;
    return;
  }
  std::vector<BookmarkNode>& siblings = Current();
  siblings.push_back(BookmarkNode{true, std::move(name), {}, {}, dates});
  open_.push_back(&siblings.back());
  ++folders_;
}

void BookmarkCollector::AddLink(std::string name, std::string url, BookmarkDates dates) {
  Current().push_back(BookmarkNode{false, std::move(name), std::move(url), {}, dates});
  ++links_;
}

void BookmarkCollector::EndFolder() {
  if (beyond_ > 0)
    --beyond_;
  else if (!open_.empty())
    open_.pop_back();
}
