#include "exchange/browser_bookmarks.h"

#include <string>
#include <unordered_map>
#include <unordered_set>

#include "exchange/bookmark_dates.h"

namespace {

// What a folder holds already: its folders by name (the first of a name) and its links' addresses.
struct Held {
  std::unordered_map<std::string, const CTopic*> folders;
  std::unordered_set<std::string> links;
};

Held HeldIn(const CTopic& folder) {
  Held held;
  if (!folder.children) return held;
  // Children are stored last shown first: the first shown of a name is the last stored.
  for (auto node = folder.children->rbegin(); node != folder.children->rend(); ++node) {
    if ((*node)->isFolder)
      held.folders.emplace((*node)->name, node->get());
    else
      held.links.insert((*node)->target);
  }
  return held;
}

void KeepDates(TopicsModel& model, const CTopic& node, const BookmarkNode& entry) {
  const TopicTimes times = ImportedTimes(entry.dates, entry.isFolder, node.firstVisited);
  model.SetTimes(node, times.firstVisited, times.lastVisited);
}

class Adder {
 public:
  Adder(TopicsModel& model, RandomSource& random) : model_(model), random_(random) {}

  // Merges entries into folder: known folders are merged into, new entries added after the rest.
  void Merge(const CTopic& folder, std::vector<BookmarkNode>& entries) {
    const Held held = HeldIn(folder);
    std::vector<BookmarkNode*> fresh;
    for (BookmarkNode& entry : entries) {
      if (!entry.isFolder) {
        if (!held.links.contains(entry.url)) fresh.push_back(&entry);
        continue;
      }
      auto known = held.folders.find(entry.name);
      if (known != held.folders.end() && TopicsModel::IsOpenFolder(*known->second))
        Merge(*known->second, entry.children);
      else
        fresh.push_back(&entry);
    }
    Add(folder, fresh);
  }

  BookmarkAddition counts;

 private:
  // The entries at the front of folder's children, last first, so they show in order after the rest.
  void Add(const CTopic& folder, const std::vector<BookmarkNode*>& entries) {
    std::size_t index = 0;
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
      BookmarkNode& entry = **it;
      const CTopic* made = entry.isFolder ? model_.NewFolder(folder, index, std::move(entry.name), random_)
                                          : model_.NewLink(folder, index, std::move(entry.name), entry.url);
      if (!made) continue;
      KeepDates(model_, *made, entry);
      ++index;
      if (!entry.isFolder) {
        ++counts.links;
        continue;
      }
      ++counts.folders;
      std::vector<BookmarkNode*> children;
      for (BookmarkNode& child : entry.children) children.push_back(&child);
      Add(*made, children);
      std::vector<BookmarkNode>().swap(entry.children);
    }
  }

  TopicsModel& model_;
  RandomSource& random_;
};

}  // namespace

BookmarkAddition AddBrowserBookmarks(TopicsModel& model, std::vector<BookmarkNode>& roots,
                                     RandomSource& random) {
  Adder adder(model, random);
  // The roots are entries of the top level, merged as any folder is.
  adder.Merge(model.Root(), roots);
  return adder.counts;
}

std::size_t CountEntries(const std::vector<BookmarkNode>& entries) {
  std::size_t count = entries.size();
  for (const BookmarkNode& entry : entries) count += CountEntries(entry.children);
  return count;
}
