#include "exchange/topics_import.h"

#include <vector>

#include "exchange/bookmark_dates.h"

namespace {

std::string Count(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// Gives a node made from entry the dates the file gave it; one without keeps its creation time.
void KeepDates(TopicsModel& model, const CTopic& node, const BookmarkNode& entry) {
  const TopicTimes times = ImportedTimes(entry.dates, entry.isFolder, node.firstVisited);
  model.SetTimes(node, times.firstVisited, times.lastVisited);
}

// Adds entries to folder, last first, each after those added before it, and frees them.
void AddEntries(TopicsModel& model, const CTopic& folder, std::vector<BookmarkNode>& entries,
                RandomSource& random, TopicsImportResult& result) {
  std::size_t index = 0;
  for (; !entries.empty(); entries.pop_back()) {
    BookmarkNode& entry = entries.back();
    if (entry.isFolder) {
      const CTopic* made = model.NewFolder(folder, index, std::move(entry.name), random);
      if (!made) continue;
      KeepDates(model, *made, entry);
      ++result.foldersAdded;
      AddEntries(model, *made, entry.children, random, result);
    } else {
      const CTopic* made = model.NewLink(folder, index, std::move(entry.name), std::move(entry.url));
      if (!made) continue;
      KeepDates(model, *made, entry);
      ++result.linksAdded;
    }
    ++index;
  }
  std::vector<BookmarkNode>().swap(entries);
}

// The entries left out and why, as a sentence after the counts; empty when none were.
std::string DescribeSkipped(const ReadResult& read) {
  std::vector<std::string> parts;
  if (read.noAddress > 0)
    parts.push_back(Count(read.noAddress, "anchor", "anchors") + " without an address (HREF)");
  if (read.unknown > 0)
    parts.push_back(Count(read.unknown, "entry that is", "entries that are") +
                    " neither a link nor a folder");
  if (parts.empty()) return "";
  return " Skipped " + Count(read.noAddress + read.unknown, "entry", "entries") + ": " + parts[0] +
         (parts.size() > 1 ? " and " + parts[1] : "") + ".";
}

}  // namespace

void ReadForImport(std::istream& in, BookmarkCollector& bookmarks, ReadOptions options,
                   TopicsImportResult& result) {
  ReadProgress progress = std::move(options.progress);
  options.progress = [&](uint64_t done, uint64_t total) {
    if (bookmarks.Folders() + bookmarks.Links() > TopicsModel::kMaxTopicNodes) result.tooMany = true;
    return !result.tooMany && (!progress || progress(done, total));
  };
  result.read = ReadBookmarks(in, bookmarks, options);
}

void AddToTopics(TopicsModel& model, BookmarkCollector& bookmarks, RandomSource& random,
                 TopicsImportResult& result) {
  result.foldersFlattened += bookmarks.FlattenedFolders();
  TopicsModel::Addition addition(model);
  if (model.Count() + bookmarks.Folders() + bookmarks.Links() > TopicsModel::kMaxTopicNodes) {
    result.tooMany = true;
    return;
  }
  AddEntries(model, model.Root(), bookmarks.TopLevel(), random, result);
  if (addition.Commit()) return;
  result.written = false;
  result.foldersAdded = result.linksAdded = 0;
}

TopicsImportResult ImportBookmarks(std::istream& in, TopicsModel& model, RandomSource& random,
                                   const ReadOptions& options) {
  TopicsImportResult result;
  BookmarkCollector bookmarks(TopicsModel::kMaxFolderDepth);
  ReadForImport(in, bookmarks, options, result);
  if (result.read.status == ReadStatus::Ok && !result.tooMany) AddToTopics(model, bookmarks, random, result);
  return result;
}

std::string DescribeImport(const TopicsImportResult& result) {
  if (result.tooMany)
    return "The Topics would hold more than " + std::to_string(TopicsModel::kMaxTopicNodes) +
           " folders and links with this file; nothing was imported.";
  if (!result.written) return "The Topics files could not all be written; nothing was imported.";
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
  return text + DescribeSkipped(result.read);
}
