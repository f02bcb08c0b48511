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
};

// File > Import: reads a bookmark file and adds its folders and links to the top level of the
// Topics. Nothing is added unless the file was read to its end (ReadStatus::Ok, which includes a
// file cut short inside a list: then what came before the cut is added). Nothing there before is
// changed. Each new link and folder keeps the dates its entry carries (ImportedTimes); entries
// after the end of the file's top-level list come in at top level too. Folders are kept down to
// TopicsModel::kMaxFolderDepth. Each new folder gets a branch file named in the import form from
// random, which the caller seeds from the clock once per import.
// The model hears it all as one batch: each folder's file is written once, the listeners hear one
// OnTopicsReset. Main thread (the model's); the progress callback runs on it too.
TopicsImportResult ImportBookmarks(std::istream& in, TopicsModel& model, RandomSource& random,
                                   const ReadOptions& options = {});

// The adding half of ImportBookmarks, for a caller that read the file with a BookmarkCollector of
// depth TopicsModel::kMaxFolderDepth itself (on a worker thread, say). In every folder, the new
// entries come first in its children, in the reverse of their file order, ahead of what the
// folder held; the Topics window, which shows children from last to first, shows them in file
// order below what was there.
void AddToTopics(TopicsModel& model, const BookmarkCollector& bookmarks, RandomSource& random,
                 TopicsImportResult& result);

// One line for the user about an import: what was added, or why nothing was.
std::string DescribeImport(const TopicsImportResult& result);
