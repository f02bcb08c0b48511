#pragma once

#include <cstddef>
#include <istream>
#include <string>

#include "exchange/bookmark_collector.h"
#include "exchange/bookmark_reader.h"
#include "store/branch_names.h"
#include "store/topics_model.h"

// What an import read and what it added to the Topics.
struct TopicsImportResult {
  ReadResult read;
  std::size_t foldersAdded = 0;
  std::size_t linksAdded = 0;
  std::size_t foldersFlattened = 0;  // nested too deep to be made (see BookmarkCollector)
  bool tooMany = false;  // the Topics would have held more than TopicsModel::kMaxTopicNodes: nothing added
  bool written = true;   // false: a Topics file could not be written, and nothing was added
};

// File > Import: reads a bookmark file and adds its folders and links to the top level of the
// Topics. Nothing is added unless the file was read to its end (ReadStatus::Ok, which includes a
// file cut short inside a list: then what came before the cut is added). Nothing there before is
// changed. Each new link and folder keeps the dates its entry carries (ImportedTimes); entries
// after the end of the file's top-level list come in at top level too. Folders are kept down to
// TopicsModel::kMaxFolderDepth. Each new folder gets a branch file named in the import form from
// random, which the caller seeds from the clock once per import.
// All or nothing: the new branch files are written first and topics.data last, only when they
// all were (TopicsModel::Addition); otherwise the new files are removed, topics.data is as it
// was and nothing is added. The listeners hear one OnTopicsReset. Main thread (the model's); the
// progress callback runs on it too.
TopicsImportResult ImportBookmarks(std::istream& in, TopicsModel& model, RandomSource& random,
                                   const ReadOptions& options = {});

// The reading half of ImportBookmarks into bookmarks (of depth TopicsModel::kMaxFolderDepth):
// sets result.read, and stops, setting result.tooMany, once the file has given more entries than
// the Topics may hold.
void ReadForImport(std::istream& in, BookmarkCollector& bookmarks, ReadOptions options,
                   TopicsImportResult& result);

// The adding half of ImportBookmarks, for a caller that read the file itself (ReadForImport). In
// every folder, the new entries come first in its children, in the reverse of their file order,
// ahead of what the folder held; the Topics window, which shows children from last to first,
// shows them in file order below what was there. The names and addresses are moved out of
// bookmarks, and each folder's entries freed once added, so the file is not held twice.
void AddToTopics(TopicsModel& model, BookmarkCollector& bookmarks, RandomSource& random,
                 TopicsImportResult& result);

// One line for the user about an import: what was added, or why nothing was.
std::string DescribeImport(const TopicsImportResult& result);
