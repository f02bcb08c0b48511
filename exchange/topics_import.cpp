#include "exchange/topics_import.h"

#include <vector>

namespace {

std::string Count(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// Adds entries to folder, last first, each after those added before it.
void AddEntries(TopicsModel& model, const CTopic& folder, const std::vector<BookmarkNode>& entries,
                RandomSource& random, TopicsImportResult& result) {
  std::size_t index = 0;
  for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
    if (entry->isFolder) {
      const CTopic* made = model.NewFolder(folder, index, entry->name, random);
      if (!made) continue;
      ++result.foldersAdded;
      AddEntries(model, *made, entry->children, random, result);
    } else {
      if (!model.NewLink(folder, index, entry->name, entry->url)) continue;
      ++result.linksAdded;
    }
    ++index;
  }
}

}  // namespace

void AddToTopics(TopicsModel& model, const BookmarkCollector& bookmarks, RandomSource& random,
                 TopicsImportResult& result) {
  TopicsModel::Batch batch(model);
  AddEntries(model, model.Root(), bookmarks.TopLevel(), random, result);
  result.foldersFlattened += bookmarks.FlattenedFolders();
}

TopicsImportResult ImportBookmarks(std::istream& in, TopicsModel& model, RandomSource& random,
                                   const ReadOptions& options) {
  TopicsImportResult result;
  BookmarkCollector bookmarks(TopicsModel::kMaxFolderDepth);
  result.read = ReadBookmarks(in, bookmarks, options);
  if (result.read.status == ReadStatus::Ok) AddToTopics(model, bookmarks, random, result);
  return result;
}

std::string DescribeImport(const TopicsImportResult& result) {
  if (result.read.status != ReadStatus::Ok)
    return DescribeReadProblem(result.read) + " Nothing was imported.";
  std::string text = "Imported " + Count(result.linksAdded, "link", "links") + " and " +
                     Count(result.foldersAdded, "folder", "folders") + ".";
  if (result.read.truncated)
    text += " The file ended inside a folder; everything before its end was imported.";
  if (result.foldersFlattened > 0)
    text += " " + Count(result.foldersFlattened, "folder", "folders") + " nested more than " +
            std::to_string(TopicsModel::kMaxFolderDepth) +
            " deep were not made; their links went to the folder above them.";
  if (result.read.skipped > 0)
    text += " " + Count(result.read.skipped, "anchor", "anchors") + " without an address left out.";
  return text;
}
