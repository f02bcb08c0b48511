// Any bytes as a bookmark file: the reader ends, and what it read, written out by the export and
// read again, is the same tree byte for byte, with the same visit times.
#include <cstdlib>
#include <sstream>

#include "exchange/bookmark_collector.h"
#include "exchange/bookmark_reader.h"
#include "exchange/topics_export.h"

namespace {

constexpr Time32 kNow = 1700000000;

class FixedClock : public Clock {
 public:
  Time32 Now() const override { return kNow; }
};

TopicTimes TimesOf(const BookmarkNode& node) {
  return ImportedTimes(node.dates, node.isFolder, kNow);
}

void AddTopics(CTopic& folder, const std::vector<BookmarkNode>& nodes) {
  for (const BookmarkNode& node : nodes) {
    auto topic = std::make_unique<CTopic>(0);
    topic->isFolder = node.isFolder ? 1 : 0;
    topic->name = node.name;
    topic->target = node.url;
    topic->firstVisited = TimesOf(node).firstVisited;
    topic->lastVisited = TimesOf(node).lastVisited;
    if (node.isFolder) {
      topic->children = std::make_unique<TopicArray>();
      AddTopics(*topic, node.children);
    }
    folder.children->insert(folder.children->begin(), std::move(topic));  // stored last first
  }
}

bool Same(const std::vector<BookmarkNode>& a, const std::vector<BookmarkNode>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].isFolder != b[i].isFolder || a[i].name != b[i].name || a[i].url != b[i].url) return false;
    if (TimesOf(a[i]) != TimesOf(b[i])) return false;
    if (!Same(a[i].children, b[i].children)) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  ReadOptions anyway;
  anyway.loadAnyway = true;
  BookmarkCollector first(8);
  ReadBookmarks(in, first, anyway);

  CTopic root(0);
  root.children = std::make_unique<TopicArray>();
  AddTopics(root, first.TopLevel());
  std::ostringstream out;
  ExportTopics(out, root, FixedClock());
  std::istringstream exported(out.str());
  BookmarkCollector second(8);
  if (ReadBookmarks(exported, second).status != ReadStatus::Ok || !Same(first.TopLevel(), second.TopLevel()))
    std::abort();
  return 0;
}
